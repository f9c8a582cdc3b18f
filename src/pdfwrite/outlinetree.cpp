// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/outlinetree.h"

namespace
{

OutlineNode copyItem(QPDFOutlineObjectHelper &item, QPDF &from, QPDF &to, int depth,
                     const std::function<void(QPDFObjectHandle)> &adjust)
{
    QPDFObjectHandle original = item.getObjectHandle();
    QPDFObjectHandle kept = QPDFObjectHandle::newDictionary();
    for (const char *key : {"/Title", "/Dest", "/A", "/C", "/F"}) {
        if (original.hasKey(key))
            kept.replaceKey(key, original.getKey(key));
    }
    OutlineNode node;
    node.item = to.copyForeignObject(from.makeIndirectObject(kept));
    node.open =
        original.getKey("/Count").isInteger() && original.getKey("/Count").getIntValue() > 0;
    if (adjust)
        adjust(node.item);
    if (depth < OutlineTree::MaxDepth) {
        for (QPDFOutlineObjectHelper &child : item.getKids())
            node.children.push_back(copyItem(child, from, to, depth + 1, adjust));
    }
    return node;
}

// Links `nodes` as the children of `parent`; the number of them a reader shows with `parent`
// opened.
long long linkChildren(std::vector<OutlineNode> &nodes, QPDFObjectHandle parent)
{
    long long shown = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        QPDFObjectHandle item = nodes[i].item;
        item.replaceKey("/Parent", parent);
        if (i > 0)
            item.replaceKey("/Prev", nodes[i - 1].item);
        if (i + 1 < nodes.size())
            item.replaceKey("/Next", nodes[i + 1].item);
        shown += 1;
        if (nodes[i].children.empty())
            continue;
        item.replaceKey("/First", nodes[i].children.front().item);
        item.replaceKey("/Last", nodes[i].children.back().item);
        const long long beneath = linkChildren(nodes[i].children, item);
        item.replaceKey("/Count", QPDFObjectHandle::newInteger(nodes[i].open ? beneath : -beneath));
        if (nodes[i].open)
            shown += beneath;
    }
    return shown;
}

} // namespace

std::vector<OutlineNode> OutlineTree::copy(const std::vector<QPDFOutlineObjectHelper> &items,
                                           QPDF &from, QPDF &to,
                                           const std::function<void(QPDFObjectHandle)> &adjust)
{
    std::vector<OutlineNode> nodes;
    for (QPDFOutlineObjectHelper item : items)
        nodes.push_back(copyItem(item, from, to, 1, adjust));
    return nodes;
}

OutlineNode OutlineTree::item(QPDF &pdf, const QString &title, QPDFObjectHandle page)
{
    QPDFObjectHandle item = QPDFObjectHandle::newDictionary();
    item.replaceKey("/Title", QPDFObjectHandle::newUnicodeString(title.toStdString()));
    QPDFObjectHandle destination = QPDFObjectHandle::newArray();
    destination.appendItem(page);
    destination.appendItem(QPDFObjectHandle::newName("/Fit"));
    item.replaceKey("/Dest", destination);
    return OutlineNode{pdf.makeIndirectObject(item), false, {}};
}

void OutlineTree::install(QPDF &pdf, std::vector<OutlineNode> &top)
{
    if (top.empty())
        return;
    QPDFObjectHandle root = pdf.makeIndirectObject(QPDFObjectHandle::newDictionary());
    root.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
    root.replaceKey("/First", top.front().item);
    root.replaceKey("/Last", top.back().item);
    root.replaceKey("/Count", QPDFObjectHandle::newInteger(linkChildren(top, root)));
    pdf.getRoot().replaceKey("/Outlines", root);
}
