// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <QString>

#include <set>
#include <string>
#include <vector>

// An outline item of a PdfOutput, written only when the whole outline is known: its number is
// given at once, so destinations and bookmarks can be settled item by item, and its links to
// parent, siblings and children are added when the outline is written.
struct OutlineNode {
    int number = 0;
    std::string body; // the item's own entries (/Title, /Dest, ...) as PDF text
    bool open = false;
    std::vector<OutlineNode> children;
};

namespace OutlineTree
{

// Deeper items are left out: an outline this deep is damage, and its copy would recurse.
constexpr int MaxDepth = 64;

// The items of one level of a document's outline, from `first` along /Next. A damaged outline
// may loop: an item in `seen` ends the walk, and each item walked is added to it. (qpdf's own
// outline helper does not end on every loop.)
std::vector<QPDFObjectHandle> siblings(QPDFObjectHandle first, std::set<QPDFObjGen> &seen);

// A new closed item titled `title` that shows the whole of page object `page`.
OutlineNode item(PdfOutput &out, const QString &title, int page);

// Writes `top`, everything beneath it and the outline root linked together; the root's number,
// or 0 when `top` is empty and nothing was written.
int write(PdfOutput &out, const std::vector<OutlineNode> &top);

} // namespace OutlineTree
