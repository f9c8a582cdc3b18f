// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The two kinds of line a bookmark file holds, as the system writes them (without the line end):
//
//   plain entry (a PDF):      name "［" page "］"
//   chapter entry (a book):   "{" chapter index "}" chapter text "&" plain entry
//
// The page is written in decimal; the chapter index is the chapter's row in the contents list
// and the chapter text its line there.
namespace Module1
{

QString PlainBookmarkLine(const QString &name, int page);
QString ChapterBookmarkLine(int chapter, const QString &chapterText, const QString &plainEntry);

} // namespace Module1
