// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineObjectHelper.hh>

#include <QString>

#include <functional>
#include <vector>

// An outline being put together: items made or copied first, linked into the document at the
// end, when every item's place is known.
struct OutlineNode {
    QPDFObjectHandle item; // an indirect dictionary of the target document
    bool open = false;
    std::vector<OutlineNode> children;
};

namespace OutlineTree
{

// Deeper items are left out: an outline this deep is damage, and its copy would recurse.
constexpr int MaxDepth = 64;

// Copies `items` of `from` and the items beneath them into `to`: each copy keeps its title,
// destination or action, colour and style, and whether it is shown opened; `adjust` is given
// each copy. Destinations lead to the copies of their pages, so the pages are copied first.
std::vector<OutlineNode> copy(const std::vector<QPDFOutlineObjectHelper> &items, QPDF &from,
                              QPDF &to, const std::function<void(QPDFObjectHandle)> &adjust = {});

// A new closed item titled `title` that shows the whole of `page`.
OutlineNode item(QPDF &pdf, const QString &title, QPDFObjectHandle page);

// Links `top` and everything beneath it as the document's outline (/Outlines), replacing any
// outline it had; nothing when `top` is empty.
void install(QPDF &pdf, std::vector<OutlineNode> &top);

} // namespace OutlineTree
