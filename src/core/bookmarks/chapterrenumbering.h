// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>

// The bookmark file of a book whose chapters were added, removed, moved or renamed, worked on as
// bytes so that every byte that need not change stays as it was (a file edited by hand may hold
// bytes that are no GBK).
//
// A chapter entry is a line that begins "{" N "}" where N is a chapter index as the reader writes
// it (decimal digits, no leading zero); everything else (plain entries, empty lines, lines
// typed by hand) is kept byte for byte, line ends included. In a chapter entry of old chapter N:
//   - N becomes the chapter's new index, and the chapter text (up to the first "&") becomes the
//     chapter's name now, with "&" written as "?": the reader splits the entry at the first "&",
//     so a name holding one would change what every entry of the chapter shows;
//   - a line without "&" has only its index changed;
//   - a line of a chapter removed is dropped with its line end;
//   - a line whose index names no chapter of the book is kept as it is.
namespace Module1
{

struct RenumberedBookmarks {
    QByteArray bytes;
    int droppedLines = 0;
};

// `newRowOf[oldRow]` is the new index of each old chapter, -1 for one removed; `newNames` the
// names of the chapters of the new book by new index.
RenumberedBookmarks RenumberChapterEntries(const QByteArray &fileBytes, const QList<int> &newRowOf,
                                           const QStringList &newNames);

// The chapter entries of old chapter `row` in the file.
int CountChapterEntries(const QByteArray &fileBytes, int row);

} // namespace Module1
