// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/bookmarks/pendingbookmarks.h"

#include "core/book/bookreader.h"
#include "core/book/safewrite.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/bookmarks/bookmarklock.h"
#include "core/state/sidefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cstdio>

namespace
{

// What the name of every pending file of the book begins with.
QString namePrefix(const QString &bookPath)
{
    const QString bookmarks = Module1::BookmarkFilePath(bookPath);
    if (bookmarks.isEmpty())
        return QString();
    return QStringLiteral(".") + QFileInfo(bookmarks).fileName() + QStringLiteral(".pending-");
}

// The paths of the book's pending files.
QStringList pendingFiles(const QString &bookPath, const QString &prefix)
{
    const QDir folder = QFileInfo(bookPath).dir();
    QStringList paths;
    for (const QString &name :
         folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System))
        paths.append(folder.filePath(name));
    return paths;
}

} // namespace

namespace PendingBookmarks
{

QString filePath(const QString &bookPath, qint64 bookSize, const QByteArray &indexBytes)
{
    const QString prefix = namePrefix(bookPath);
    if (prefix.isEmpty())
        return QString();
    const QByteArray hash =
        QCryptographicHash::hash(indexBytes, QCryptographicHash::Sha256).toHex().left(16);
    return QFileInfo(bookPath).path() + QLatin1Char('/') + prefix + QString::number(bookSize) +
           QLatin1Char('-') + QString::fromLatin1(hash);
}

bool write(const QString &pendingPath, const QByteArray &bookmarkBytes)
{
    if (SideFile::blocksWriting(pendingPath))
        return false;
    QSaveFile file(pendingPath);
    file.setDirectWriteFallback(false);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) &&
           file.write(bookmarkBytes) == bookmarkBytes.size() && SafeWrite::syncData(file) &&
           file.commit() && SafeWrite::syncFolder(QFileInfo(pendingPath).path());
}

bool putInPlace(const QString &pendingPath, const QString &bookPath)
{
    const QString target = Module1::BookmarkFilePath(bookPath);
    if (SideFile::blocksWriting(target))
        return false;
    // rename(2) replaces the old file in one step, which QFile::rename does not.
    return std::rename(QFile::encodeName(pendingPath).constData(),
                       QFile::encodeName(target).constData()) == 0 &&
           SafeWrite::syncFolder(QFileInfo(target).path());
}

void complete(const QString &bookPath)
{
    const QString prefix = namePrefix(bookPath);
    if (prefix.isEmpty() || pendingFiles(bookPath, prefix).isEmpty())
        return;
    const BookmarkLock lock(bookPath, BookmarkLock::Try);
    if (lock.isFree())
        completeLocked(bookPath);
}

void completeLocked(const QString &bookPath)
{
    const QString prefix = namePrefix(bookPath);
    const QStringList pending = prefix.isEmpty() ? QStringList() : pendingFiles(bookPath, prefix);
    if (pending.isEmpty())
        return;
    const BookContents book = BookReader::readContents(bookPath);
    const QString current =
        book.ok ? filePath(bookPath, book.fileSize, book.indexBytes) : QString();
    for (const QString &path : pending) {
        if (path == current)
            putInPlace(path, bookPath);
        else
            QFile::remove(path);
    }
}

} // namespace PendingBookmarks
