// SPDX-License-Identifier: GPL-2.0-or-later
#include "testfiles.h"

#include "core/book/contentsindex.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

namespace TestFiles
{

namespace
{

// The processes this one started, each with the letter of its state ('Z' once it has ended).
QList<QPair<int, char>> children()
{
    QList<QPair<int, char>> found;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // The state and the parent are the two fields after the name, which ends with the last ')'.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.value(1).toInt() == ::getpid())
            found.append(
                {pid.toInt(), fields.value(0).isEmpty() ? char(0) : fields.value(0).at(0)});
    }
    return found;
}

} // namespace

void killChildren()
{
    for (const QPair<int, char> &child : children())
        ::kill(child.first, SIGKILL);
}

bool childrenAllEnded()
{
    for (const QPair<int, char> &child : children()) {
        if (child.second != 'Z')
            return false;
    }
    return true;
}

QSet<int> runningChildren()
{
    QSet<int> running;
    for (const QPair<int, char> &child : children()) {
        if (child.second != 'Z')
            running.insert(child.first);
    }
    return running;
}

bool write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

QByteArray read(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray pdfLike(qint64 size, int seed)
{
    QByteArray bytes = QByteArrayLiteral("%PDF-1.4\n").left(size);
    quint32 state = quint32(seed) * 2654435761u + 1;
    while (bytes.size() < size) {
        state = state * 1664525u + 1013904223u;
        bytes.append(char(state >> 24));
    }
    return bytes;
}

QByteArray trailer(qint32 indexLength)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(indexLength, bytes.data());
    return bytes;
}

QByteArray bookOf(const QByteArray &chapterArea, const QByteArray &index)
{
    return chapterArea + index + trailer(qint32(index.size()));
}

QByteArray bookOf(const QList<QPair<QString, QByteArray>> &chapters)
{
    QList<ContentsIndex::Chapter> index;
    QByteArray bytes;
    for (const auto &chapter : chapters) {
        index << ContentsIndex::Chapter{chapter.first, chapter.second.size()};
        bytes += chapter.second;
    }
    return bookOf(bytes, ContentsIndex::encode(index));
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

QString listedIn(const QList<Module1::BookmarkEntry> &entries)
{
    QStringList listed;
    for (const Module1::BookmarkEntry &entry : entries)
        listed << entry.name() + "=" + entry.entryText;
    return listed.join(',');
}

qint64 FailDevice::writeData(const char *bytes, qint64 length)
{
    largestWrite = qMax(largestWrite, length);
    const qint64 taken = qMin(length, m_capacity - data.size());
    if (taken < length)
        setErrorString(QStringLiteral("no space left on the device"));
    if (taken <= 0)
        return -1;
    data.append(bytes, taken);
    return taken;
}

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_oldSoft = limit.rlim_cur;
    m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_oldSoft);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_oldHandler);
}

} // namespace TestFiles
