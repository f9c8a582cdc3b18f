#include "book/safewrite.h"

#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace SafeWrite {

bool createFresh(QFile &file, const QString &path)
{
    // QFile::remove follows nothing: it removes a link itself, not its target.
    if (QFileInfo(path).isSymLink() || QFileInfo::exists(path))
        QFile::remove(path);
    file.setFileName(path);
    // NewOnly is O_CREAT | O_EXCL, which fails on an existing path and on any symbolic link.
    return file.open(QIODevice::WriteOnly | QIODevice::NewOnly);
}

bool syncData(QFileDevice &file)
{
    if (!file.flush())
        return false;
#ifdef Q_OS_UNIX
    return ::fdatasync(file.handle()) == 0;
#else
    return true;
#endif
}

CopyResult copyBytes(QIODevice &in, QIODevice &out, qint64 length)
{
    return copyBytes(in, out, length, [](qint64) { return true; });
}

QString errorText(const QIODevice &device, const QString &fallback)
{
    const auto *file = qobject_cast<const QFileDevice *>(&device);
    if (file && file->error() == QFileDevice::NoError)
        return fallback;
    const QString text = device.errorString();
    return text.isEmpty() ? fallback : text;
}

} // namespace SafeWrite
