// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdfwrite/outlinetree.h"
#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDF.hh>

#include <atomic>
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// The objects of one source document written into a PdfOutput under new numbers: an object gets
// its number when something written refers to it, and is written by writePending(). The source's
// page tree stays behind: a reference to a /Pages node, or to a page that was not added, becomes
// null, and the pages added are written with `pagesRoot` as their parent. Links between the
// added pages need no order: every page has its number before anything is written.
class ChapterObjects
{
public:
    ChapterObjects(PdfOutput &out, int pagesRoot, const std::atomic<bool> *stop)
        : m_out(out), m_pagesRoot(pagesRoot), m_stop(stop)
    {
    }

    // The new number of a page of the source, which is written as a page of the output: `number`
    // when given, one allocated before because something written earlier leads to the page.
    int addPage(QPDFObjectHandle page, int number = 0);
    // The indirect `object` of the source is written as `text`, PDF text of the output.
    void replace(QPDFObjectHandle object, const std::string &text);
    // `object` as PDF text, its references by their new numbers.
    std::string text(QPDFObjectHandle object);
    // Copies of the outline `items` and the items beneath them, each item once and at most
    // OutlineTree::MaxDepth deep: each keeps its title, destination or action, colour and style,
    // and whether it is shown opened. `adjust` is given each source item first.
    std::vector<OutlineNode> copyOutline(const std::vector<QPDFObjectHandle> &items,
                                         const std::function<void(QPDFObjectHandle)> &adjust);
    // Writes every object referred to so far, and those they refer to. Throws
    // PdfDocument::Stopped between objects once the stop flag is set, and what qpdf throws for
    // an object or a stream it cannot read.
    void writePending();

private:
    std::vector<OutlineNode> copyItems(const std::vector<QPDFObjectHandle> &items,
                                       const std::function<void(QPDFObjectHandle)> &adjust,
                                       std::set<QPDFObjGen> &seen, int depth);
    int numberOf(QPDFObjectHandle object);
    void append(QPDFObjectHandle object, std::string &text, bool top);
    void writeObject(int number, QPDFObjectHandle object);

    PdfOutput &m_out;
    int m_pagesRoot;
    const std::atomic<bool> *m_stop;
    std::map<QPDFObjGen, int> m_numbers;
    std::map<QPDFObjGen, std::string> m_replaced;
    std::set<QPDFObjGen> m_pages;
    std::deque<QPDFObjectHandle> m_pending;
};
