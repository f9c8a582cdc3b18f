// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pdfsplit.h"

#include "core/book/bookgenerator.h"
#include "core/book/scratchfolder.h"
#include "pdfwrite/chapterobjects.h"
#include "pdfwrite/destinations.h"
#include "pdfwrite/outlinetree.h"
#include "pdfwrite/pdfdocument.h"
#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <map>
#include <set>

namespace
{

const QString PrefaceTitle = QStringLiteral("前言");

struct Part {
    QString title;
    size_t firstPage = 0;
    std::vector<QPDFObjectHandle> outline;
};

QString titleOf(QPDFObjectHandle item)
{
    QPDFObjectHandle title = item.getKey("/Title");
    return title.isString() ? QString::fromStdString(title.getUTF8Value()) : QString();
}

// The parts of the outline's top level, in page order.
std::vector<Part> partsOf(QPDF &pdf, const std::vector<QPDFPageObjectHelper> &pages,
                          const Destinations::Table &named)
{
    std::map<QPDFObjGen, size_t> pageIndex;
    for (size_t i = 0; i < pages.size(); ++i)
        pageIndex[pages[i].getObjectHandle().getObjGen()] = i;
    std::set<QPDFObjGen> seen;
    std::vector<std::pair<size_t, QPDFObjectHandle>> entries;
    for (QPDFObjectHandle entry :
         OutlineTree::siblings(pdf.getRoot().getKey("/Outlines").getKey("/First"), seen)) {
        QPDFObjectHandle page = Destinations::pageOfHolder(entry, named);
        const auto found = page.isIndirect() ? pageIndex.find(page.getObjGen()) : pageIndex.end();
        if (found != pageIndex.end())
            entries.emplace_back(found->second, entry);
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<Part> parts;
    if (!entries.empty() && entries.front().first > 0)
        parts.push_back({PrefaceTitle, 0, {}});
    for (auto &[page, entry] : entries) {
        if (!parts.empty() && parts.back().firstPage == page)
            parts.back().outline.push_back(entry);
        else
            parts.push_back(
                {titleOf(entry), page, OutlineTree::siblings(entry.getKey("/First"), seen)});
    }
    return parts;
}

// Writes the pages [first, end) with what belongs to them to `path`.
void writePart(const std::vector<QPDFPageObjectHelper> &pages, const Destinations::Table &named,
               const Part &part, size_t end, const QString &path)
{
    PdfOutput out(path);
    const int pagesRoot = out.allocate();
    ChapterObjects objects(out, pagesRoot, nullptr);
    std::vector<int> numbers;
    std::set<QPDFObjGen> kept;
    for (size_t i = part.firstPage; i < end; ++i) {
        numbers.push_back(objects.addPage(pages[i].getObjectHandle()));
        kept.insert(pages[i].getObjectHandle().getObjGen());
    }
    Destinations::Texts names;
    for (const auto &[name, destination] : named) {
        QPDFObjectHandle page = Destinations::pageOf(destination);
        if (page.isIndirect() && kept.count(page.getObjGen()))
            names[name] = objects.text(destination);
    }
    const std::vector<OutlineNode> outline = objects.copyOutline(part.outline, {});
    objects.writePending();
    std::string catalog;
    if (const int root = OutlineTree::write(out, outline))
        catalog += " /Outlines " + std::to_string(root) + " 0 R";
    catalog += Destinations::write(out, names);
    out.close(pagesRoot, numbers, catalog);
}

SplitResult failure(const QString &file, const QString &cause)
{
    SplitResult result;
    result.file = file;
    result.cause = cause;
    return result;
}

} // namespace

SplitResult SplitPdf(const QString &pdfPath, const QString &bookName, const QString &outFolder)
{
    QPDF pdf;
    const QString reason = PdfDocument::open(pdf, pdfPath);
    if (!reason.isEmpty())
        return failure(pdfPath, reason);
    QTemporaryDir parts;
    if (!parts.isValid())
        return failure(QString(), parts.errorString());
    GenerationRequest request;
    SplitResult result;
    try {
        // A page may take its media box or resources from the page tree it leaves behind.
        pdf.pushInheritedAttributesToPage();
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        const Destinations::Table named = Destinations::namedIn(pdf);
        const std::vector<Part> found = partsOf(pdf, pages, named);
        if (found.empty())
            return failure(pdfPath, QStringLiteral("has no outline entry that leads to a page"));
        for (size_t i = 0; i < found.size(); ++i) {
            const size_t end = i + 1 < found.size() ? found[i + 1].firstPage : pages.size();
            const QString path = QDir(parts.path()).filePath(QStringLiteral("%1.pdf").arg(i + 1));
            writePart(pages, named, found[i], end, path);
            request.sources.append({found[i].title, path});
            result.titles.append(found[i].title);
        }
    } catch (const std::exception &error) {
        return failure(pdfPath, PdfDocument::reasonOf(error));
    }
    request.bookName = bookName;
    request.saveFolder = outFolder;
    const ScratchFolder scratch;
    request.scratchFolder = scratch.path();
    const GenerationResult generated = GenerateBook(request);
    if (generated.outcome != GenerationOutcome::Written)
        return failure(generated.file, generated.cause);
    result.ok = true;
    result.bookPath = generated.bookPath;
    return result;
}
