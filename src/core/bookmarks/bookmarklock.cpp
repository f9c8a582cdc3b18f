// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/bookmarks/bookmarklock.h"

#include "core/bookmarks/bookmarkfile.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

BookmarkLock::BookmarkLock(const QString &documentPath, Mode mode)
{
    const QString path = lockFilePath(documentPath);
    if (path.isEmpty())
        return;
    // O_NOFOLLOW: a link planted under the lock's name is never followed into another file.
    m_descriptor = ::open(QFile::encodeName(path).constData(),
                          O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
    if (m_descriptor < 0)
        return;
    int locked = 0;
    do
        locked = ::flock(m_descriptor, mode == Wait ? LOCK_EX : LOCK_EX | LOCK_NB);
    while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        m_free = errno != EWOULDBLOCK;
        ::close(m_descriptor);
        m_descriptor = -1;
    }
}

BookmarkLock::~BookmarkLock()
{
    if (m_descriptor >= 0)
        ::close(m_descriptor);
}

QString BookmarkLock::lockFilePath(const QString &documentPath)
{
    const QString bookmarks = Module1::BookmarkFilePath(documentPath);
    if (bookmarks.isEmpty())
        return QString();
    const QFileInfo info(bookmarks);
    return info.path() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".lock");
}
