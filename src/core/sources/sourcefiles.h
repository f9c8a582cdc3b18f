// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The rules the source list of a book follows, shared by the book-making window and the
// command line.
namespace SourceFiles
{

// The file name without its folder, with every ".pdf" removed in any letter case:
// "Report.PDF.pdf" gives "Report", "a.pdf.bak.pdf" gives "a.bak", ".pdf" gives "".
QString chapterNameOf(const QString &path);

// True when the path ends in ".pdf" in any letter case.
bool isPdfPath(const QString &path);

// Sorts file names in the folder order: Chinese (zh_CN) collation, letter case ignored, digits
// compared as characters, whatever the user's own locale. Names that differ only in letter case
// follow a plain comparison ("A.pdf" before "a.pdf"), so the order never depends on the listing.
void sortInFolderOrder(QStringList &fileNames);

// The full paths of the PDF files of a folder (any letter case of ".pdf", regular files only,
// hidden ones and subfolders left out), in the folder order. Empty for a folder that cannot be
// listed.
QStringList pdfFilesInFolder(const QString &folder);

} // namespace SourceFiles
