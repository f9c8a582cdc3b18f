// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/chapterobjects.h"

#include "pdfwrite/pdfdocument.h"

namespace
{

// Part of the source's page tree that is not written: its nodes, and its pages not added.
bool staysBehind(QPDFObjectHandle object, const std::set<QPDFObjGen> &pages)
{
    if (!object.isDictionary())
        return false;
    QPDFObjectHandle type = object.getKey("/Type");
    return type.isNameAndEquals("/Pages") ||
           (type.isNameAndEquals("/Page") && !pages.count(object.getObjGen()));
}

} // namespace

int ChapterObjects::addPage(QPDFObjectHandle page, int number)
{
    m_pages.insert(page.getObjGen());
    if (number > 0 && m_numbers.emplace(page.getObjGen(), number).second)
        m_pending.push_back(page);
    return numberOf(page);
}

void ChapterObjects::replace(QPDFObjectHandle object, const std::string &text)
{
    m_replaced[object.getObjGen()] = text;
}

int ChapterObjects::numberOf(QPDFObjectHandle object)
{
    const auto [found, added] = m_numbers.try_emplace(object.getObjGen(), 0);
    if (added) {
        found->second = m_out.allocate();
        m_pending.push_back(object);
    }
    return found->second;
}

std::string ChapterObjects::text(QPDFObjectHandle object)
{
    std::string text;
    append(object, text, false);
    return text;
}

void ChapterObjects::append(QPDFObjectHandle object, std::string &text, bool top)
{
    if (!top && object.isIndirect()) {
        if (staysBehind(object, m_pages))
            text += "null";
        else
            text += std::to_string(numberOf(object)) + " 0 R";
        return;
    }
    if (object.isArray()) {
        text += '[';
        for (int i = 0; i < object.getArrayNItems(); ++i) {
            append(object.getArrayItem(i), text, false);
            text += ' ';
        }
        text += ']';
    } else if (object.isDictionary()) {
        const bool page = top && m_pages.count(object.getObjGen());
        text += "<<";
        for (auto [key, value] : object.ditems()) {
            if (value.isNull() || (page && key == "/Parent"))
                continue;
            text += QPDFObjectHandle::newName(key).unparse() + ' ';
            append(value, text, false);
            text += ' ';
        }
        if (page)
            text += "/Parent " + std::to_string(m_pagesRoot) + " 0 R ";
        text += ">>";
    } else {
        text += object.unparseResolved();
    }
}

std::vector<OutlineNode>
ChapterObjects::copyOutline(const std::vector<QPDFObjectHandle> &items,
                            const std::function<void(QPDFObjectHandle)> &adjust)
{
    std::set<QPDFObjGen> seen;
    for (const QPDFObjectHandle &item : items)
        seen.insert(item.getObjGen());
    return copyItems(items, adjust, seen, 1);
}

std::vector<OutlineNode>
ChapterObjects::copyItems(const std::vector<QPDFObjectHandle> &items,
                          const std::function<void(QPDFObjectHandle)> &adjust,
                          std::set<QPDFObjGen> &seen, int depth)
{
    std::vector<OutlineNode> nodes;
    for (QPDFObjectHandle item : items) {
        if (adjust)
            adjust(item);
        OutlineNode node{m_out.allocate(), std::string(), false, {}};
        for (const char *key : {"/Title", "/Dest", "/A", "/C", "/F"}) {
            if (item.hasKey(key))
                node.body += std::string(key) + ' ' + text(item.getKey(key)) + ' ';
        }
        QPDFObjectHandle count = item.getKey("/Count");
        node.open = count.isInteger() && count.getIntValue() > 0;
        if (depth < OutlineTree::MaxDepth) {
            node.children = copyItems(OutlineTree::siblings(item.getKey("/First"), seen), adjust,
                                      seen, depth + 1);
        }
        nodes.push_back(std::move(node));
    }
    return nodes;
}

void ChapterObjects::writeObject(int number, QPDFObjectHandle object)
{
    if (const auto replaced = m_replaced.find(object.getObjGen()); replaced != m_replaced.end()) {
        m_out.writeObject(number, replaced->second);
        return;
    }
    if (!object.isStream()) {
        std::string body;
        append(object, body, true);
        m_out.writeObject(number, body);
        return;
    }
    // The length is known once the data is through: it follows as an object of its own.
    const int length = m_out.allocate();
    std::string head = "<<";
    for (auto [key, value] : object.getDict().ditems()) {
        if (value.isNull() || key == "/Length")
            continue;
        head += QPDFObjectHandle::newName(key).unparse() + ' ';
        append(value, head, false);
        head += ' ';
    }
    head += "/Length " + std::to_string(length) + " 0 R>>\nstream\n";
    m_out.beginObject(number);
    m_out.write(head);
    const qint64 start = m_out.position();
    bool decoded = false;
    if (!object.pipeStreamData(&m_out, &decoded, 0, qpdf_dl_none, true))
        throw std::runtime_error("a stream cannot be read");
    const qint64 written = m_out.position() - start;
    m_out.write(std::string("\nendstream\nendobj\n"));
    m_out.writeObject(length, std::to_string(written));
}

void ChapterObjects::writePending()
{
    while (!m_pending.empty()) {
        PdfDocument::checkStop(m_stop);
        QPDFObjectHandle object = m_pending.front();
        m_pending.pop_front();
        writeObject(m_numbers.at(object.getObjGen()), object);
    }
}
