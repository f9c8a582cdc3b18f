// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bytesource.h"
#include "core/book/contentsindex.h"

#include <QDateTime>
#include <QIODevice>
#include <QString>

class ScratchFolder;

// What reading a book's end gave: its trailer, its index and the chapters the index names.
//
// Reading trusts nothing: a trailer length that is zero, negative, larger than the file less
// four bytes or larger than ContentsIndex::MaxIndexLength gives no chapters (`ok` false, with
// the reason in `error`). Each line's range is checked against the chapter area [0, S) when a
// chapter is read, never before, so a damaged line still takes its place in the list.
struct BookContents {
    bool ok = false;
    QString error;
    qint64 fileSize = 0;
    // When the book file was last written, as read with its index: a book rebuilt since, even
    // to the same size, has other ranges. Invalid for a book read from memory.
    QDateTime modified;
    qint32 indexLength = 0;     // L, from the last four bytes
    qint64 chapterAreaSize = 0; // S = file size - 4 - L: where the index begins
    QByteArray indexBytes;
    QList<ContentsIndex::Line> lines;

    // True when line `number` (0-based) is a valid line whose range lies inside [0, S).
    bool chapterReadable(int number) const;
};

namespace BookReader
{

// Reads the trailer, then the index with one read of exactly its length.
BookContents readContents(ByteSource &book);

// The same for a file; the index also takes its round trip through the scratch index file
// when a scratch folder is given, as the reader window does.
BookContents readContents(const QString &bookPath, const ScratchFolder *scratch = nullptr);

// True when the book at `bookPath` is still the one `contents` was read from (its size and when
// it was written); false, with the reason in `error`, when it cannot be read or has changed.
bool isUnchanged(const QString &bookPath, const BookContents &contents, QString *error);

// Copies chapter `number` (0-based) from the book at `bookPath` to `out` in bounded chunks; a
// file given as `out` is flushed, so true means every byte reached it. False, with the reason in
// `error`, for a chapter that cannot be read or written.
bool copyChapter(const QString &bookPath, const BookContents &contents, int number, QIODevice &out,
                 QString *error);

} // namespace BookReader
