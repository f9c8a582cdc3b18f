// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// The contents index of a book file.
//
// Layout of a book with N chapters (offsets 0-based, S = sum of the chapter lengths, L = index
// length):
//   [0, S)        the chapters' bytes, one after another, nothing between them
//   [S, S + L)    the index: GBK text, one line per chapter, then one more CR LF
//   [S + L, +4)   L as a signed 32-bit little-endian integer
// An index line is: name "♂" start "♀" length CR LF, where start is the 1-based position of the
// chapter's first byte and both numbers are plain ASCII decimal digits. "♂" is A1 E1 and "♀" is
// A1 E2 in GBK.
namespace ContentsIndex
{

inline const QChar StartMark(0x2642);  // ♂
inline const QChar LengthMark(0x2640); // ♀

// Positions in a book are signed 32-bit values: a book's size S + L + 4 may not exceed this.
constexpr qint64 MaxBookSize = 2147483647;
// An index longer than this is taken for damage: 32767 long Chinese names need about 17 MiB.
constexpr qint64 MaxIndexLength = 32 * 1024 * 1024;
constexpr int MaxChapters = 32767;

struct Chapter {
    QString name;
    qint64 length = 0;
};

// One non-empty line of a stored index. `valid` is false for a damaged line: no "♂" or "♀",
// a number that is not plain digits in the signed 32-bit range, a start below 1 or a length
// below 1. A damaged line keeps its place, so the contents list and the line list stay aligned.
// The name is kept as the length of its part of the text: a book may hold a million lines.
struct Line {
    QString text;
    qsizetype nameLength = 0;
    bool valid = false;
    qint32 start = 0;
    qint32 length = 0;

    QString name() const { return text.left(nameLength); }
    QStringView nameView() const { return QStringView(text).left(nameLength); }
};

// The name as lists and messages show it: cut after ShownNameLength characters, with "…". A
// name may be megabytes long, and laying it out would hold the window.
constexpr qsizetype ShownNameLength = 200;
QString shownName(const QString &name);

// The name as it can stand in an index line: "♂", "♀" and control characters (CR and LF among
// them) become "?", as GBK does for a character it cannot represent.
QString safeChapterName(const QString &name);

// The name as a book's index gives it back: made safe, and with "?" for what GBK cannot hold.
QString storedChapterName(const QString &name);

// The file a chapter of that name is written to on its own: its stored name with ".pdf". Links
// between the chapters of a book split from one PDF name each other so.
QString chapterFileName(const QString &name);

// The index bytes for chapters in book order, starting at position 1, ending with the empty
// line. Names are made safe first.
QByteArray encode(const QList<Chapter> &chapters);

// True when a book with chapters of `chapterBytes` in all and an index of `indexLength` bytes
// stays within the signed 32-bit positions.
bool fitsInBook(qint64 chapterBytes, qint64 indexLength);

// Decodes the index as GBK first (a GBK character's second byte may be any byte from 0x40 up,
// so splitting the bytes could cut a character), then splits at CR LF, CR or LF and drops
// empty lines.
QStringList splitLines(const QByteArray &indexBytes);

// The chapter name is the text before the first "♂"; a line without one is its own name.
Line parseLine(const QString &text);

QList<Line> parse(const QByteArray &indexBytes);

} // namespace ContentsIndex
