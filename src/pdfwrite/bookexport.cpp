// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/bookexport.h"

#include "core/bookmarks/bookmarkfile.h"
#include "pdfwrite/chapterinput.h"
#include "pdfwrite/destinations.h"
#include "pdfwrite/outlinetree.h"
#include "pdfwrite/pagecopy.h"
#include "pdfwrite/pdfdocument.h"

#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFPageLabelDocumentHelper.hh>

#include <sys/stat.h>

#include <QFile>

#include <memory>

namespace
{

const QString BookmarksTitle = QStringLiteral("书签");

// A chapter that cannot be exported, with the reason.
struct Refusal {
    QString cause;
};

bool sameFile(const QString &a, const QString &b)
{
    struct stat first = {};
    struct stat second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

// A page label range of chapter `number` (from 1): style and start kept, "N-" before the prefix.
QPDFObjectHandle chapterLabel(QPDFObjectHandle label, int number)
{
    QPDFObjectHandle result = QPDFObjectHandle::newDictionary();
    QPDFObjectHandle style = label.getKey("/S");
    result.replaceKey("/S", style.isName() ? style : QPDFObjectHandle::newName("/D"));
    if (label.getKey("/St").isInteger())
        result.replaceKey("/St", QPDFObjectHandle::newInteger(label.getKey("/St").getIntValue()));
    QPDFObjectHandle prefix = label.getKey("/P");
    const std::string own = prefix.isString() ? prefix.getUTF8Value() : std::string();
    result.replaceKey("/P", QPDFObjectHandle::newUnicodeString(std::to_string(number) + "-" + own));
    return result;
}

class Exporter
{
public:
    Exporter(const QString &bookPath, const BookContents &contents, const ExportControl &control)
        : m_bookPath(bookPath), m_contents(contents), m_control(control)
    {
        m_out.emptyPDF();
        m_out.setSuppressWarnings(true);
    }

    // Throws Refusal for chapter `index`.
    void addChapter(const std::shared_ptr<BookFile> &book, int index);
    void addBookmarks();
    void finish();
    void save(const QString &outPath) { PdfDocument::save(m_out, outPath, m_control.stop); }

private:
    void addLabels(QPDF &chapter, int index, long long firstPage, long long pageCount);

    const QString &m_bookPath;
    const BookContents &m_contents;
    const ExportControl &m_control;
    QPDF m_out;
    // Kept open to the end: the writer reads the chapters' streams.
    std::vector<std::unique_ptr<QPDF>> m_chapters;
    std::vector<std::vector<QPDFObjectHandle>> m_pages; // by chapter
    std::vector<OutlineNode> m_outline;
    Destinations::Table m_names;
    QPDFObjectHandle m_labels = QPDFObjectHandle::newArray();
    long long m_pageCount = 0;
};

void Exporter::addChapter(const std::shared_ptr<BookFile> &book, int index)
{
    if (!m_contents.chapterReadable(index))
        throw Refusal{QStringLiteral("its place in the book is damaged")};
    const ContentsIndex::Line &line = m_contents.lines.at(index);
    QPDF &chapter = *m_chapters.emplace_back(std::make_unique<QPDF>());
    const QString reason = PdfDocument::open(
        chapter, std::make_shared<ChapterInput>(book, line.start - 1, line.length,
                                                "chapter " + std::to_string(index + 1)));
    if (!reason.isEmpty())
        throw Refusal{reason};
    try {
        const long long firstPage = m_pageCount;
        const std::vector<QPDFPageObjectHelper> pages =
            QPDFPageDocumentHelper(chapter).getAllPages();
        addLabels(chapter, index, firstPage, (long long)pages.size());
        const std::vector<QPDFObjectHandle> copies =
            PageCopy::copy(chapter, pages, m_out, m_control.stop);
        const std::string prefix = "c" + std::to_string(index + 1) + "-";
        std::set<QPDFObjGen> renamed;
        const auto rename = [&](QPDFObjectHandle holder) {
            Destinations::rename(holder, prefix, renamed);
        };
        for (QPDFObjectHandle page : copies) {
            QPDFObjectHandle annotations = page.getKey("/Annots");
            for (int i = 0; annotations.isArray() && i < annotations.getArrayNItems(); ++i)
                rename(annotations.getArrayItem(i));
        }
        for (auto [name, destination] : Destinations::namedIn(chapter)) {
            if (!destination.isIndirect())
                destination = chapter.makeIndirectObject(destination);
            m_names[prefix + name] = m_out.copyForeignObject(destination);
        }
        OutlineNode entry = OutlineTree::item(m_out, line.name(), copies.front());
        QPDFOutlineDocumentHelper outline(chapter);
        entry.children = OutlineTree::copy(outline.getTopLevelOutlines(), chapter, m_out, rename);
        m_outline.push_back(std::move(entry));
        m_pages.push_back(copies);
        m_pageCount += (long long)copies.size();
    } catch (const PdfDocument::Stopped &) {
        throw;
    } catch (const std::exception &error) {
        throw Refusal{PdfDocument::reasonOf(error)};
    }
}

void Exporter::addLabels(QPDF &chapter, int index, long long firstPage, long long pageCount)
{
    QPDFPageLabelDocumentHelper labels(chapter);
    if (!labels.hasPageLabels()) {
        m_labels.appendItem(QPDFObjectHandle::newInteger(firstPage));
        m_labels.appendItem(chapterLabel(QPDFObjectHandle::newDictionary(), index + 1));
        return;
    }
    std::vector<QPDFObjectHandle> ranges;
    labels.getLabelsForPageRange(0, pageCount - 1, firstPage, ranges);
    for (size_t i = 0; i + 1 < ranges.size(); i += 2) {
        m_labels.appendItem(ranges[i]);
        m_labels.appendItem(chapterLabel(ranges[i + 1], index + 1));
    }
}

// A chapter entry "{N}text&name［page］" of the bookmark file, at page `page` (from 1) of chapter
// N (from 0); entries of chapters or pages the book does not have are left out.
void Exporter::addBookmarks()
{
    OutlineNode bookmarks;
    for (const QString &line : Module1::ReadBookmarkFileLines(m_bookPath)) {
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
                bookmarks.children.push_back(
                    OutlineTree::item(m_out, entry.name(), m_pages[chapter][page - 1]));
        }
    }
    if (bookmarks.children.empty())
        return;
    OutlineNode top = OutlineTree::item(m_out, BookmarksTitle, m_pages.front().front());
    top.children = std::move(bookmarks.children);
    m_outline.push_back(std::move(top));
}

void Exporter::finish()
{
    OutlineTree::install(m_out, m_outline);
    Destinations::store(m_out, m_names);
    QPDFObjectHandle labels = QPDFObjectHandle::newDictionary();
    labels.replaceKey("/Nums", m_labels);
    m_out.getRoot().replaceKey("/PageLabels", m_out.makeIndirectObject(labels));
}

ExportResult failure(ExportResult::Outcome outcome, const QString &file, const QString &cause,
                     int chapter = -1)
{
    return {outcome, chapter, file, cause};
}

} // namespace

ExportResult ExportBook(const QString &bookPath, const BookContents &contents,
                        const QString &outPath, const ExportControl &control)
{
    if (sameFile(bookPath, outPath))
        return failure(ExportResult::Failed, outPath, QStringLiteral("is the book itself"));
    const int count = int(contents.lines.size());
    if (count == 0)
        return failure(ExportResult::Failed, bookPath, QStringLiteral("has no chapters"));
    const std::shared_ptr<BookFile> book = BookFile::open(bookPath);
    if (!book)
        return failure(ExportResult::Failed, bookPath, QStringLiteral("cannot be opened"));
    int index = 0;
    try {
        Exporter exporter(bookPath, contents, control);
        for (; index < count; ++index) {
            PdfDocument::checkStop(control.stop);
            exporter.addChapter(book, index);
            if (control.progress)
                control.progress(index + 1, count);
        }
        exporter.addBookmarks();
        exporter.finish();
        if (control.progress)
            control.progress(count, count);
        exporter.save(outPath);
        return {ExportResult::Written, -1, outPath, QString()};
    } catch (const Refusal &refusal) {
        return failure(ExportResult::ChapterRefused, bookPath, refusal.cause, index);
    } catch (const PdfDocument::Stopped &) {
        return failure(ExportResult::Stopped, outPath, QStringLiteral("stopped"));
    } catch (const std::exception &error) {
        // The chapters opened: what fails now is the writing, or a stream damaged deep inside.
        return failure(ExportResult::Failed, outPath, PdfDocument::reasonOf(error));
    }
}
