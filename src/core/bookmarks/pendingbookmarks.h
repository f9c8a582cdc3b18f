// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// The bookmark file of a book being changed in place, written before the book is replaced and
// renamed over the bookmark file after it, so a book and its bookmark file always agree: a
// program killed in between leaves the pending file, and whoever opens the book next finishes
// the change.
//
// The pending file lies beside the bookmark file and holds the new bookmark file byte for byte.
// Its name says which book it belongs to:
//   "." NAME ".pending-" SIZE "-" HASH
// where NAME is the bookmark file's name, SIZE the new book's size in decimal and HASH the first
// 16 hex digits (lower case) of the SHA-256 of its index bytes (as BookContents::indexBytes holds
// them). A pending file that names another book (the change never replaced the book) is deleted:
// it was never in place, so nothing is lost.
namespace PendingBookmarks
{

// The pending file for the book of `bookSize` bytes with `indexBytes`.
QString filePath(const QString &bookPath, qint64 bookSize, const QByteArray &indexBytes);

// Writes the pending file atomically (complete or not at all) and synced. False when it could
// not be written: nothing is left.
bool write(const QString &pendingPath, const QByteArray &bookmarkBytes);

// Renames the pending file over the bookmark file of `bookPath`, once the book it names is in
// place. The caller holds the bookmark lock.
bool putInPlace(const QString &pendingPath, const QString &bookPath);

// What every program that opens the book does first: a pending file naming the book as it is
// now is put in place, others are deleted. Only when no one holds the bookmark lock (a change
// still going on finishes its own); in a folder that cannot be written nothing changes and
// nothing is said.
void complete(const QString &bookPath);
// The same for a caller that holds the bookmark lock already.
void completeLocked(const QString &bookPath);

} // namespace PendingBookmarks
