// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/protocol.h"

#include <QList>
#include <QRect>
#include <QSizeF>
#include <QStringList>

// How the window reads the answers of the worker (their fields are in protocol.h). The window
// trusts no count a worker gives: each reader checks the count against the bounds below before it
// allocates anything for it, and a count beyond them leaves the stream failed (ReadCorruptData),
// so the answer is malformed, as one that does not read as its fields.
//
// Bounds:
//   pages        at most maxPages(bytes) for a document of `bytes` bytes: at least MinPageBytes
//                of the file for each page, and no more pages than one PageSizes answer carries
//                (MaxPages).
//   lists        (links, words, places found, outline entries, fonts, labels, page sizes) at most
//                one item for each byte of the body left: no item is written in less than a byte.
//                Page sizes and labels are also at most one for each page.
//   images       at most `maxBytes` (the memory a worker may take), and no larger than the part
//                asked, when one was.
namespace Pdf::Protocol
{

// Every page is an object of the file's own. Written plainly the smallest, "1 0 obj<</Type/Page>>
// endobj" with its cross-reference entry, takes more than 40 bytes; packed in a compressed object
// stream, near-identical page objects take a few bytes each. One byte a page is below both: more
// pages than that is a lie, or a page count the file itself gets wrong, and the load fails.
constexpr qint64 MinPageBytes = 1;
// A PageSizes answer gives 16 bytes a page within MaxBody.
constexpr qint32 MaxPages = qint32(MaxBody / 16);

qint32 maxPages(qint64 fileBytes);

// What Load and Unlock answer. For Unlock, `opened` is whether the password unlocked it, and
// `locked` is not in the answer.
struct Opened {
    bool opened = false;
    qint32 pages = 0;
    bool locked = false;
};

// The answers of Load and Unlock for a document of `fileBytes` bytes.
Opened readLoad(QDataStream &in, qint64 fileBytes);
Opened readUnlock(QDataStream &in, qint64 fileBytes);

// The answers of PageSizes and PageLabels for a document of `pages` pages (within maxPages()):
// a shorter list is filled up with empty sizes and labels, as for pages that cannot be read, and
// a damaged one gives only those.
QList<QSizeF> readPageSizes(QDataStream &in, qint32 pages);
QStringList readPageLabels(QDataStream &in, qint32 pages);

// The fields of a Draw answer, without its memfd.
struct ImageLayout {
    qint32 width = 0;
    qint32 height = 0;
    qint32 bytesPerLine = 0;
    qint32 format = 0;
    qint64 bytes() const { return qint64(bytesPerLine) * height; }
};

// False for an image none of whose sizes add up, larger than `maxBytes`, or larger than `part`
// unless that is empty (the whole page), or of a format the window does not draw.
bool readImageLayout(QDataStream &in, const QRect &part, qint64 maxBytes, ImageLayout &layout);

} // namespace Pdf::Protocol
