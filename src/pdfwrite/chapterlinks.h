// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <qpdf/QPDFObjectHandle.hh>

#include <QString>

#include <string>

// Links from one chapter of a book into another. The chapters a split makes are PDFs of their
// own, so such a link leads into the other chapter's file: a remote go-to whose /F is that
// chapter's name, as the book's index holds it, with ".pdf", and whose /D is the named
// destination the link led to, or [page /Fit] with the page counted from 0 in that chapter.
// An export of the book makes them links within the one PDF again.
namespace ChapterLinks
{

// The file name a link gives the chapter named `name` in the book's index.
std::string fileOf(const QString &name);

// Makes `link` lead into the chapter file `file`: to the name it leads to, or else to `page`.
void leadInto(QPDFObjectHandle link, const std::string &file, int page);

// Where a remote go-to of `link` leads: the file and the destination as the action gives them.
struct Remote {
    std::string file;
    QPDFObjectHandle destination;
};
// False for a link without a remote go-to that names its file.
bool remoteOf(QPDFObjectHandle link, Remote *remote);

} // namespace ChapterLinks
