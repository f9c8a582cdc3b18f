// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pdfsplit.h"

#include "core/book/bookgenerator.h"
#include "core/book/scratchfolder.h"
#include "pdfwrite/cagedwork.h"
#include "pdfwrite/chapterinput.h"
#include "pdfwrite/chapterlinks.h"
#include "pdfwrite/chapterobjects.h"
#include "pdfwrite/destinations.h"
#include "pdfwrite/outlinetree.h"
#include "pdfwrite/pdfdocument.h"
#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QDataStream>
#include <QFileInfo>
#include <QTemporaryFile>

#include <algorithm>
#include <map>
#include <optional>
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

// Where a page of the source goes: its part, and its index there.
struct Place {
    size_t part = 0;
    int page = 0;
};

// The source split: its pages and names, its parts, where each page goes and the file name each
// part's chapter will have in the book.
struct Source {
    const std::vector<QPDFPageObjectHelper> &pages;
    const Destinations::Table &named;
    const std::vector<Part> &parts;
    std::map<QPDFObjGen, Place> places;
    std::vector<std::string> files;

    Source(const std::vector<QPDFPageObjectHelper> &pages, const Destinations::Table &named,
           const std::vector<Part> &parts);
    size_t endOf(size_t part) const
    {
        return part + 1 < parts.size() ? parts[part + 1].firstPage : pages.size();
    }
    // Null for an object that is no page of the source.
    const Place *placeOf(QPDFObjectHandle page) const
    {
        const auto found = page.isIndirect() ? places.find(page.getObjGen()) : places.end();
        return found == places.end() ? nullptr : &found->second;
    }
};

Source::Source(const std::vector<QPDFPageObjectHelper> &pages, const Destinations::Table &named,
               const std::vector<Part> &parts)
    : pages(pages), named(named), parts(parts)
{
    for (size_t part = 0; part < parts.size(); ++part) {
        for (size_t i = parts[part].firstPage; i < endOf(part); ++i)
            places[pages[i].getObjectHandle().getObjGen()] = {part, int(i - parts[part].firstPage)};
        files.push_back(ChapterLinks::fileOf(parts[part].title));
    }
}

// The links on the pages of `part` that lead into another part lead into its chapter's file.
void leadOut(const Source &source, size_t part)
{
    for (size_t i = source.parts[part].firstPage; i < source.endOf(part); ++i) {
        QPDFObjectHandle page = source.pages[i].getObjectHandle();
        QPDFObjectHandle annotations = page.getKey("/Annots");
        for (int j = 0; annotations.isArray() && j < annotations.getArrayNItems(); ++j) {
            QPDFObjectHandle link = annotations.getArrayItem(j);
            if (!link.isDictionary() || !link.getKey("/Subtype").isNameAndEquals("/Link"))
                continue;
            const Place *target = source.placeOf(Destinations::pageOfHolder(link, source.named));
            if (target && target->part != part)
                ChapterLinks::leadInto(link, source.files[target->part], target->page);
        }
    }
}

// Writes the pages of `part` with what belongs to them into `parts`, after what it holds.
void writePart(const Source &source, size_t part, QFileDevice &parts)
{
    leadOut(source, part);
    PdfOutput out(parts);
    const int pagesRoot = out.allocate();
    ChapterObjects objects(out, pagesRoot, nullptr);
    std::vector<int> numbers;
    for (size_t i = source.parts[part].firstPage; i < source.endOf(part); ++i)
        numbers.push_back(objects.addPage(source.pages[i].getObjectHandle()));
    Destinations::Texts names;
    for (const auto &[name, destination] : source.named) {
        const Place *place = source.placeOf(Destinations::pageOf(destination));
        if (place && place->part == part)
            names[name] = objects.text(destination);
    }
    const std::vector<OutlineNode> outline = objects.copyOutline(source.parts[part].outline, {});
    objects.writePending();
    std::string catalog;
    if (const int root = OutlineTree::write(out, outline))
        catalog += " /Outlines " + std::to_string(root) + " 0 R";
    catalog += Destinations::write(out, names);
    out.close(pagesRoot, numbers, catalog);
}

// The chapters of a split, written one after another into one file.
struct Written {
    QString cause; // empty when every chapter is written
    QStringList titles;
    QList<qint64> lengths;
};

Written writeParts(const std::shared_ptr<BookFile> &file, qint64 size, const QString &pdfPath,
                   QFileDevice &parts)
{
    Written written;
    QPDF pdf;
    written.cause = PdfDocument::open(
        pdf, std::make_shared<ChapterInput>(file, 0, size, pdfPath.toStdString()));
    if (!written.cause.isEmpty())
        return written;
    try {
        // A page may take its media box or resources from the page tree it leaves behind.
        pdf.pushInheritedAttributesToPage();
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
        const Destinations::Table named = Destinations::namedIn(pdf);
        const std::vector<Part> found = partsOf(pdf, pages, named);
        if (found.empty()) {
            written.cause = QStringLiteral("has no outline entry that leads to a page");
            return written;
        }
        const Source source(pages, named, found);
        qint64 end = 0;
        for (size_t i = 0; i < found.size(); ++i) {
            writePart(source, i, parts);
            if (!parts.flush())
                throw PdfOutput::WriteFailed(parts.errorString().toStdString());
            written.titles.append(found[i].title);
            written.lengths.append(parts.pos() - end);
            end = parts.pos();
        }
    } catch (const std::exception &error) {
        written.cause = PdfDocument::reasonOf(error);
    }
    return written;
}

QByteArray encoded(const Written &written)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << written.cause << written.titles << written.lengths;
    return bytes;
}

// What a caged child answered, checked: it read a hostile file and may have been taken over.
std::optional<Written> decoded(const QByteArray &bytes, qint64 partsSize)
{
    QDataStream in(bytes);
    Written written;
    in >> written.cause >> written.titles >> written.lengths;
    if (in.status() != QDataStream::Ok || !in.atEnd() ||
        written.titles.size() != written.lengths.size())
        return std::nullopt;
    qint64 total = 0;
    for (const qint64 length : std::as_const(written.lengths)) {
        if (length <= 0 || length > partsSize - total)
            return std::nullopt;
        total += length;
    }
    return written;
}

// The chapters written by a child in `cage`, into the file opened here.
Written writePartsCaged(const CagedWork::Cage &cage, const std::shared_ptr<BookFile> &file,
                        qint64 size, const QString &pdfPath, QFile &parts)
{
    const CagedWork::Outcome outcome = CagedWork::run(
        cage, [&](std::atomic<int> &) { return encoded(writeParts(file, size, pdfPath, parts)); });
    Written written;
    if (outcome.kind != CagedWork::Outcome::Answered) {
        written.cause = CagedWork::reasonOf(outcome);
        return written;
    }
    if (const std::optional<Written> answer = decoded(outcome.answer, QFileInfo(parts).size()))
        return *answer;
    written.cause = QStringLiteral("its reading answered with nonsense");
    return written;
}

SplitResult failure(const QString &file, const QString &cause)
{
    SplitResult result;
    result.file = file;
    result.cause = cause;
    return result;
}

} // namespace

SplitResult SplitPdf(const QString &pdfPath, const QString &bookName, const QString &outFolder,
                     const CagedWork::Cage &cage)
{
    const std::shared_ptr<BookFile> file = BookFile::open(pdfPath);
    if (!file)
        return failure(pdfPath, QStringLiteral("cannot be opened"));
    const qint64 size = QFileInfo(pdfPath).size();
    QTemporaryFile parts;
    if (!parts.open())
        return failure(QString(), parts.errorString());
    const Written written = cage ? writePartsCaged(cage, file, size, pdfPath, parts)
                                 : writeParts(file, size, pdfPath, parts);
    if (!written.cause.isEmpty())
        return failure(pdfPath, written.cause);
    GenerationRequest request;
    qint64 offset = 0;
    for (qsizetype i = 0; i < written.titles.size(); ++i) {
        request.sources.append(
            {written.titles.at(i), parts.fileName(), offset, written.lengths.at(i)});
        offset += written.lengths.at(i);
    }
    request.bookName = bookName;
    request.saveFolder = outFolder;
    const ScratchFolder scratch;
    request.scratchFolder = scratch.path();
    const GenerationResult generated = GenerateBook(request);
    if (generated.outcome != GenerationOutcome::Written)
        return failure(generated.file, generated.cause);
    SplitResult result;
    result.ok = true;
    result.bookPath = generated.bookPath;
    result.titles = written.titles;
    return result;
}
