// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/outlinetree.h"

namespace
{

std::string reference(int number)
{
    return std::to_string(number) + " 0 R";
}

// Writes `nodes` as the children of `parent`; the number of them a reader shows with `parent`
// opened.
long long writeChildren(PdfOutput &out, const std::vector<OutlineNode> &nodes, int parent)
{
    long long shown = 0;
    for (size_t i = 0; i < nodes.size(); ++i) {
        const OutlineNode &node = nodes[i];
        std::string body = "<<" + node.body + "/Parent " + reference(parent);
        if (i > 0)
            body += " /Prev " + reference(nodes[i - 1].number);
        if (i + 1 < nodes.size())
            body += " /Next " + reference(nodes[i + 1].number);
        shown += 1;
        if (!node.children.empty()) {
            const long long beneath = writeChildren(out, node.children, node.number);
            body += " /First " + reference(node.children.front().number) + " /Last " +
                    reference(node.children.back().number) + " /Count " +
                    std::to_string(node.open ? beneath : -beneath);
            if (node.open)
                shown += beneath;
        }
        out.writeObject(node.number, body + ">>");
    }
    return shown;
}

} // namespace

std::vector<QPDFObjectHandle> OutlineTree::siblings(QPDFObjectHandle first,
                                                    std::set<QPDFObjGen> &seen)
{
    std::vector<QPDFObjectHandle> items;
    for (QPDFObjectHandle item = first;
         item.isDictionary() && item.isIndirect() && seen.insert(item.getObjGen()).second;
         item = item.getKey("/Next"))
        items.push_back(item);
    return items;
}

OutlineNode OutlineTree::item(PdfOutput &out, const QString &title, int page)
{
    return {out.allocate(),
            "/Title " + QPDFObjectHandle::newUnicodeString(title.toStdString()).unparse() +
                " /Dest [" + reference(page) + " /Fit] ",
            false,
            {}};
}

int OutlineTree::write(PdfOutput &out, const std::vector<OutlineNode> &top)
{
    if (top.empty())
        return 0;
    const int root = out.allocate();
    const long long shown = writeChildren(out, top, root);
    out.writeObject(root, "<</Type /Outlines /First " + reference(top.front().number) + " /Last " +
                              reference(top.back().number) + " /Count " + std::to_string(shown) +
                              ">>");
    return root;
}
