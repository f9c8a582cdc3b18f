// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The bookmark file as text to edit by hand: what the organise dialog shows and what its Save
// makes of the edited text.
namespace Module1
{

// The file's lines without the blank ones (empty or blanks only), each ended by LF.
QString EditableBookmarkText(const QStringList &fileLines);

// `text` with every ASCII "[" and "]" made the full-width page brackets "［" and "］".
QString WithFullWidthBrackets(QString text);

// What Save writes: the edited text (LF line ends, brackets already full-width), then the
// non-blank lines appended to the file since it was loaded, every line end made CR LF. Lines
// count as appended only when the file has grown at its end and kept every line loaded.
QString SavedBookmarkText(const QString &editedText, const QStringList &loadedLines,
                          const QStringList &currentLines);

// Whether the file's lines now are the lines loaded, lines appended at its end aside.
bool OnlyAppendedTo(const QStringList &loadedLines, const QStringList &currentLines);

} // namespace Module1
