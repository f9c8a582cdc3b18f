// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/bookexport.h"

#include "core/bookmarks/bookmarkfile.h"
#include "pdfwrite/cagedwork.h"
#include "pdfwrite/chapterinput.h"
#include "pdfwrite/chapterlinks.h"
#include "pdfwrite/chapterobjects.h"
#include "pdfwrite/destinations.h"
#include "pdfwrite/outlinetree.h"
#include "pdfwrite/pdfdocument.h"
#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>

#include <QDataStream>

#include <map>
#include <memory>
#include <optional>
#include <set>

namespace
{

const QString BookmarksTitle = QStringLiteral("书签");

// A chapter that cannot be exported, with the reason.
struct Refusal {
    QString cause;
};

// What chapter `index` (from 0) puts before the names of its destinations.
std::string namePrefix(int index)
{
    return "c" + std::to_string(index + 1) + "-";
}

// A page label range of chapter `number` (from 1) that labels each page "N-" and then the label
// the chapter gave it: a range without a style gives its prefix alone, with no number.
std::string chapterLabel(QPDFObjectHandle label, int number)
{
    QPDFObjectHandle prefix = label.getKey("/P");
    const std::string own = prefix.isString() ? prefix.getUTF8Value() : std::string();
    std::string text =
        "<</P " + QPDFObjectHandle::newUnicodeString(std::to_string(number) + "-" + own).unparse();
    QPDFObjectHandle style = label.getKey("/S");
    if (style.isName()) {
        text += " /S " + style.unparse();
        if (label.getKey("/St").isInteger())
            text += " /St " + std::to_string(label.getKey("/St").getIntValue());
    }
    return text + ">>";
}

// The chapters go to the output one by one: a chapter's source document is closed once its
// objects are written, so memory follows the largest chapter, not the book.
class Exporter
{
public:
    Exporter(const QString &bookPath, const BookContents &contents, const QString &outPath,
             const ExportControl &control)
        : m_contents(contents), m_control(control), m_out(outPath), m_pagesRoot(m_out.allocate()),
          // Read before the chapters, which may be read where no other file can be.
          m_bookmarkLines(Module1::ReadBookmarkFileLines(bookPath))
    {
        for (int i = 0; i < int(contents.lines.size()); ++i)
            m_chapterFiles.emplace(ChapterLinks::fileOf(contents.lines.at(i).name()), i);
    }

    // Throws Refusal for chapter `index`.
    void addChapter(const std::shared_ptr<BookFile> &book, int index);
    void addBookmarks();
    void finish();
    void commit() { m_out.commit(); }

private:
    void writeChapter(QPDF &chapter, int index);
    void addLabels(QPDF &chapter, int index, long long pageCount);
    void joinChapters(QPDF &chapter, ChapterObjects &objects, QPDFObjectHandle link);
    int pageNumber(int chapter, long long page);
    int takeAhead(int chapter, long long page);

    const BookContents &m_contents;
    const ExportControl &m_control;
    PdfOutput m_out;
    const int m_pagesRoot;
    const QStringList m_bookmarkLines;
    std::vector<int> m_allPages;
    std::vector<std::vector<int>> m_pages; // by chapter
    std::vector<OutlineNode> m_outline;
    Destinations::Texts m_names;
    std::string m_labels;
    std::map<std::string, int> m_chapterFiles;        // a chapter's file name as links give it
    std::map<std::pair<int, long long>, int> m_ahead; // chapter and page a link leads to ahead
};

void Exporter::addChapter(const std::shared_ptr<BookFile> &book, int index)
{
    if (!m_contents.chapterReadable(index))
        throw Refusal{QStringLiteral("its place in the book is damaged")};
    const ContentsIndex::Line &line = m_contents.lines.at(index);
    QPDF chapter;
    const QString reason = PdfDocument::open(
        chapter, std::make_shared<ChapterInput>(book, line.start - 1, line.length,
                                                "chapter " + std::to_string(index + 1)));
    if (!reason.isEmpty())
        throw Refusal{reason};
    try {
        writeChapter(chapter, index);
    } catch (const PdfDocument::Stopped &) {
        throw;
    } catch (const PdfOutput::WriteFailed &) {
        throw;
    } catch (const std::exception &error) {
        throw Refusal{PdfDocument::reasonOf(error)};
    }
}

void Exporter::writeChapter(QPDF &chapter, int index)
{
    // A page may take its media box or resources from the page tree it leaves behind.
    chapter.pushInheritedAttributesToPage();
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(chapter).getAllPages();
    addLabels(chapter, index, (long long)pages.size());
    ChapterObjects objects(m_out, m_pagesRoot, m_control.stop);
    std::vector<int> numbers;
    for (size_t i = 0; i < pages.size(); ++i)
        numbers.push_back(
            objects.addPage(pages[i].getObjectHandle(), takeAhead(index, (long long)i)));
    m_allPages.insert(m_allPages.end(), numbers.begin(), numbers.end());
    m_pages.push_back(numbers);

    const std::string prefix = namePrefix(index);
    std::set<QPDFObjGen> renamed;
    const auto rename = [&](QPDFObjectHandle holder) {
        Destinations::rename(holder, prefix, renamed);
    };
    for (QPDFPageObjectHelper page : pages) {
        QPDFObjectHandle annotations = page.getObjectHandle().getKey("/Annots");
        for (int i = 0; annotations.isArray() && i < annotations.getArrayNItems(); ++i) {
            rename(annotations.getArrayItem(i));
            joinChapters(chapter, objects, annotations.getArrayItem(i));
        }
    }
    for (const auto &[name, destination] : Destinations::namedIn(chapter))
        m_names[prefix + name] = objects.text(destination);
    OutlineNode entry =
        OutlineTree::item(m_out, m_contents.lines.at(index).name(), numbers.front());
    std::set<QPDFObjGen> seen;
    entry.children = objects.copyOutline(
        OutlineTree::siblings(chapter.getRoot().getKey("/Outlines").getKey("/First"), seen),
        rename);
    objects.writePending();
    m_outline.push_back(std::move(entry));
}

// A link into the file of a chapter of this book, as a split writes it, leads to that chapter's
// named destination or page here.
void Exporter::joinChapters(QPDF &chapter, ChapterObjects &objects, QPDFObjectHandle link)
{
    ChapterLinks::Remote remote;
    if (!link.isDictionary() || !ChapterLinks::remoteOf(link, &remote))
        return;
    const auto target = m_chapterFiles.find(remote.file);
    if (target == m_chapterFiles.end())
        return;
    QPDFObjectHandle destination = remote.destination;
    if (destination.isName() || destination.isString()) {
        QPDFObjectHandle action = QPDFObjectHandle::parse("<</S /GoTo>>");
        action.replaceKey("/D", Destinations::prefixed(destination, namePrefix(target->second)));
        link.replaceKey("/A", action);
    } else if (destination.isArray() && destination.getArrayNItems() > 0 &&
               destination.getArrayItem(0).isInteger()) {
        // The page may be of a chapter still to come: the action is written with its number.
        std::string text =
            "<</S /GoTo /D [" +
            std::to_string(pageNumber(target->second, destination.getArrayItem(0).getIntValue())) +
            " 0 R";
        for (int i = 1; i < destination.getArrayNItems(); ++i)
            text += ' ' + destination.getArrayItem(i).unparseResolved();
        QPDFObjectHandle action = chapter.makeIndirectObject(QPDFObjectHandle::newDictionary());
        objects.replace(action, text + "]>>");
        link.replaceKey("/A", action);
    }
}

// The output's number of page `page` of chapter `chapter` (both from 0). A page not written yet
// gets its number now; one its chapter does not have is written as null at the end.
int Exporter::pageNumber(int chapter, long long page)
{
    if (size_t(chapter) < m_pages.size() && page >= 0 && size_t(page) < m_pages[chapter].size())
        return m_pages[chapter][size_t(page)];
    const auto [found, added] = m_ahead.try_emplace({chapter, page}, 0);
    if (added)
        found->second = m_out.allocate();
    return found->second;
}

// The number a link of an earlier chapter gave the page, or 0.
int Exporter::takeAhead(int chapter, long long page)
{
    const auto found = m_ahead.find({chapter, page});
    if (found == m_ahead.end())
        return 0;
    const int number = found->second;
    m_ahead.erase(found);
    return number;
}

void Exporter::addLabels(QPDF &chapter, int index, long long pageCount)
{
    const long long firstPage = (long long)m_allPages.size();
    QPDFPageLabelDocumentHelper labels(chapter);
    if (!labels.hasPageLabels()) {
        m_labels += std::to_string(firstPage) + ' ' +
                    chapterLabel(QPDFObjectHandle::parse("<</S /D>>"), index + 1) + ' ';
        return;
    }
    std::vector<QPDFObjectHandle> ranges;
    labels.getLabelsForPageRange(0, pageCount - 1, firstPage, ranges);
    for (size_t i = 0; i + 1 < ranges.size(); i += 2)
        m_labels += ranges[i].unparse() + ' ' + chapterLabel(ranges[i + 1], index + 1) + ' ';
}

// A chapter entry "{N}text&name［page］" of the bookmark file, at page `page` (from 1) of chapter
// N (from 0); entries of chapters or pages the book does not have are left out.
void Exporter::addBookmarks()
{
    std::vector<OutlineNode> bookmarks;
    for (const QString &line : m_bookmarkLines) {
        const qsizetype close = line.indexOf(QLatin1Char('}'));
        bool numbered = false;
        const int chapter =
            line.startsWith(QLatin1Char('{')) ? line.mid(1, close - 1).toInt(&numbered) : -1;
        if (!numbered || chapter < 0 || size_t(chapter) >= m_pages.size())
            continue;
        for (const Module1::BookmarkEntry &entry : Module1::BookmarkEntriesOf({line}, chapter)) {
            bool ok = false;
            const int page = Module1::BookmarkPageText(entry.entryText).toInt(&ok);
            if (ok && page >= 1 && size_t(page) <= m_pages[chapter].size())
                bookmarks.push_back(
                    OutlineTree::item(m_out, entry.name(), m_pages[chapter][page - 1]));
        }
    }
    if (bookmarks.empty())
        return;
    m_outline.push_back(OutlineTree::item(m_out, BookmarksTitle, m_allPages.front()));
    m_outline.back().children = std::move(bookmarks);
}

void Exporter::finish()
{
    for (const auto &[page, number] : m_ahead)
        m_out.writeObject(number, "null");
    std::string catalog = " /PageLabels <</Nums [" + m_labels + "]>>";
    if (const int outline = OutlineTree::write(m_out, m_outline))
        catalog += " /Outlines " + std::to_string(outline) + " 0 R";
    catalog += Destinations::write(m_out, m_names);
    m_out.close(m_pagesRoot, m_allPages, catalog);
}

ExportResult failure(ExportResult::Outcome outcome, const QString &file, const QString &cause,
                     int chapter = -1)
{
    return {outcome, chapter, file, cause};
}

// Copies every chapter and writes the rest, saying in `mark` which chapter is read.
ExportResult exportChapters(Exporter &exporter, const std::shared_ptr<BookFile> &book,
                            const QString &bookPath, const QString &outPath, int count,
                            const ExportControl &control, std::atomic<int> &mark)
{
    int index = 0;
    try {
        for (; index < count; ++index) {
            PdfDocument::checkStop(control.stop);
            mark.store(index);
            exporter.addChapter(book, index);
            if (control.progress)
                control.progress(index + 1, count);
        }
        mark.store(-1);
        exporter.addBookmarks();
        if (control.progress)
            control.progress(count, count);
        exporter.finish();
        return {ExportResult::Written, -1, outPath, QString()};
    } catch (const Refusal &refusal) {
        return failure(ExportResult::ChapterRefused, bookPath, refusal.cause, index);
    } catch (const PdfDocument::Stopped &) {
        return failure(ExportResult::Stopped, outPath, QStringLiteral("stopped"));
    } catch (const std::exception &error) {
        // Not a chapter's fault: the output cannot be written.
        return failure(ExportResult::Failed, outPath, PdfDocument::reasonOf(error));
    }
}

QByteArray encoded(const ExportResult &result)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << qint32(result.outcome) << qint32(result.chapter) << result.file << result.cause;
    return bytes;
}

// What a caged child answered, checked: it read hostile files and may have been taken over.
std::optional<ExportResult> decoded(const QByteArray &bytes, int count)
{
    QDataStream in(bytes);
    qint32 outcome = -1;
    qint32 chapter = -1;
    ExportResult result;
    in >> outcome >> chapter >> result.file >> result.cause;
    if (in.status() != QDataStream::Ok || !in.atEnd() || outcome < ExportResult::Written ||
        outcome > ExportResult::Stopped || chapter < -1 || chapter >= count)
        return std::nullopt;
    result.outcome = ExportResult::Outcome(outcome);
    result.chapter = chapter;
    return result;
}

// The chapters read by a caged child, which writes into the output opened here.
ExportResult exportCaged(Exporter &exporter, const std::shared_ptr<BookFile> &book,
                         const QString &bookPath, const QString &outPath, int count,
                         const ExportControl &control)
{
    const CagedWork::Outcome outcome = CagedWork::run(
        control.cage,
        [&](std::atomic<int> &mark) {
            return encoded(exportChapters(exporter, book, bookPath, outPath, count, control, mark));
        },
        control.stop);
    if (outcome.kind == CagedWork::Outcome::Answered) {
        if (const std::optional<ExportResult> result = decoded(outcome.answer, count))
            return *result;
        return failure(ExportResult::Failed, bookPath,
                       QStringLiteral("its reading answered with nonsense"));
    }
    if (outcome.kind != CagedWork::Outcome::NotCaged && outcome.mark >= 0 && outcome.mark < count)
        return failure(ExportResult::ChapterRefused, bookPath, CagedWork::reasonOf(outcome),
                       outcome.mark);
    return failure(ExportResult::Failed, bookPath, CagedWork::reasonOf(outcome));
}

} // namespace

ExportResult ExportBook(const QString &bookPath, const BookContents &contents,
                        const QString &outPath, const ExportControl &control)
{
    if (PdfDocument::sameFile(bookPath, outPath))
        return failure(ExportResult::Failed, outPath, QStringLiteral("is the book itself"));
    const int count = int(contents.lines.size());
    if (count == 0)
        return failure(ExportResult::Failed, bookPath, QStringLiteral("has no chapters"));
    const std::shared_ptr<BookFile> book = BookFile::open(bookPath);
    if (!book)
        return failure(ExportResult::Failed, bookPath, QStringLiteral("cannot be opened"));
    try {
        Exporter exporter(bookPath, contents, outPath, control);
        std::atomic<int> mark{-1};
        const ExportResult result =
            control.cage ? exportCaged(exporter, book, bookPath, outPath, count, control)
                         : exportChapters(exporter, book, bookPath, outPath, count, control, mark);
        if (result.outcome == ExportResult::Written)
            exporter.commit();
        return result;
    } catch (const std::exception &error) {
        return failure(ExportResult::Failed, outPath, PdfDocument::reasonOf(error));
    }
}
