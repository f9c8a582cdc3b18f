// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/sidefile.h"

#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

// O_NONBLOCK: a pipe planted at the path would wait for a writer before fstat could tell.
int openNoFollow(const QString &path, int flags)
{
    int descriptor = -1;
    do
        descriptor = ::open(QFile::encodeName(path).constData(),
                            flags | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0644);
    while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return -1;
    struct stat status {
    };
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(descriptor);
        return -1;
    }
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    return descriptor;
}

} // namespace

namespace SideFile
{

Reading read(const QString &path, qint64 limit, QByteArray &bytes)
{
    bytes.clear();
    struct stat status {
    };
    if (path.isEmpty())
        return Reading::Missing;
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno == ENOENT ? Reading::Missing : Reading::Unreadable;
    const int descriptor = openNoFollow(path, O_RDONLY);
    QFile file;
    if (descriptor < 0 ||
        !file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        if (descriptor >= 0)
            ::close(descriptor);
        return Reading::Unreadable;
    }
    // One byte past the bound tells a file too long, whatever size it claims.
    bytes = file.read(limit + 1);
    if (bytes.size() > limit || file.error() != QFileDevice::NoError) {
        bytes.clear();
        return Reading::Unreadable;
    }
    return Reading::Read;
}

bool blocksWriting(const QString &path)
{
    struct stat status {
    };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return errno != ENOENT;
    return !S_ISREG(status.st_mode);
}

bool openForWriting(QFile &file, const QString &path, int mode)
{
    const auto openMode = QIODevice::OpenMode(mode);
    int flags = O_CREAT;
    flags |= openMode.testFlag(QIODevice::ReadOnly) ? O_RDWR : O_WRONLY;
    if (openMode.testFlag(QIODevice::Append))
        flags |= O_APPEND;
    if (openMode.testFlag(QIODevice::Truncate))
        flags |= O_TRUNC;
    const int descriptor = openNoFollow(path, flags);
    if (descriptor < 0)
        return false;
    if (!file.open(descriptor, openMode, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        return false;
    }
    return true;
}

} // namespace SideFile
