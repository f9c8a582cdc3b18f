// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/documentsession.h"

#include "core/book/chapterplan.h"
#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"
#include "core/bookmarks/pendingbookmarks.h"

#include <QFile>

DocumentSession::DocumentSession(const ScratchFolder *scratch, QObject *parent)
    : QObject(parent), m_scratch(scratch), m_bookmarks(m_open),
      m_navigator(m_open, [this](int row) { showChapter(row); })
{
    connect(&m_documentWatch, &RewriteWatch::rewritten, this,
            &DocumentSession::takeRewrittenDocument);
}

void DocumentSession::open(const QString &path)
{
    m_open = OpenDocument::of(path);
    if (m_open.isBook()) {
        PendingBookmarks::complete(path);
        m_open.book = BookReader::readContents(path, m_scratch);
    }
    m_navigator.startDocument();
    m_bookmarks.watch();
    m_documentWatch.watch(m_open.kind == DocumentKind::None ? QString() : path);
    emit documentOpened(path);
    if (m_open.isBook()) {
        emit contentsChanged();
        emit nothingShown();
    } else if (m_open.isPdf()) {
        showPdf();
    }
}

void DocumentSession::showPdf()
{
    m_navigator.startShowing(-1);
    const std::optional<SavedPlace> saved = m_navigator.rememberedAt(-1);
    emit pdfOpened(m_open.path);
    m_bookmarks.list();
    m_navigator.showRemembered(saved);
}

void DocumentSession::chooseChapter(int row)
{
    if (m_open.hasLine(row))
        m_navigator.chooseChapter(row);
    else
        showChapter(row);
}

// Only the book whose index gave the contents is read, and only a range inside its chapters. A
// chapter that cannot be read leaves the view with nothing, never with the chapter before, whose
// pages would otherwise be taken for this one's.
void DocumentSession::showChapter(int row, void (DocumentSession::*ready)(const QString &))
{
    m_open.chapter = row;
    if (!m_open.hasLine(row))
        return;
    const bool copied = copyChapterToScratchFile(row);
    m_navigator.startShowing(copied ? row : -1);
    if (copied) {
        const QString scratchFile = m_scratch->chapterFilePath();
        emit(this->*ready)(scratchFile);
        // The view keeps the file open, so the chapter stays shown once its name is gone.
        QFile::remove(scratchFile);
    } else {
        emit chapterFileReady(QString());
    }
    m_bookmarks.list();
    emit chapterShown(row);
}

void DocumentSession::takeRewrittenDocument()
{
    if (m_open.isPdf())
        emit documentRewritten(m_open.path);
    else if (m_open.isBook())
        takeRebuiltBook();
}

// Rebuilt elsewhere: the chapters shown and read last are found again as FindChapterAgain finds
// them. The history is forgotten: its rows name nothing in the new contents.
void DocumentSession::takeRebuiltBook()
{
    if (m_editing)
        return;
    PendingBookmarks::complete(m_open.path);
    BookContents book = BookReader::readContents(m_open.path, m_scratch);
    if (!book.ok)
        return retryRewritten();
    // A change made here was taken already.
    if (book.fileSize == m_open.book.fileSize && book.indexBytes == m_open.book.indexBytes)
        return;
    const QList<ContentsIndex::Line> before = m_open.book.lines;
    const QList<ContentsIndex::Line> after = book.lines;
    takeChangedBook(std::move(book), [&](int row) { return FindChapterAgain(before, row, after); });
}

void DocumentSession::takeChangedBook(BookContents book, const std::function<int(int)> &newRowOf)
{
    const int shown = m_open.chapter >= 0 ? newRowOf(m_open.chapter) : -1;
    const bool wasShown = m_open.chapter >= 0;
    m_navigator.followChapters(newRowOf);
    m_open.book = std::move(book);
    emit contentsChanged();
    if (!wasShown)
        return;
    if (shown < 0) {
        m_open.chapter = -1;
        emit nothingShown();
        m_bookmarks.clear();
        return;
    }
    showChapter(shown, &DocumentSession::documentRewritten);
}

EditRequest DocumentSession::beginEdit(const ChapterPlan &plan, bool dropBookmarks)
{
    m_editing = true;
    return {m_open.path, m_open.book, plan, dropBookmarks,
            m_scratch ? m_scratch->path() : QString()};
}

void DocumentSession::takeEditedBook(const EditRequest &request, const EditResult &result)
{
    m_editing = false;
    if (result.outcome != EditOutcome::Done)
        return;
    BookContents book = BookReader::readContents(m_open.path, m_scratch);
    if (!book.ok)
        return;
    const QList<int> rows = request.plan.newRowOf();
    m_navigator.followEdit(request.book.lines, book.lines, rows);
    takeChangedBook(std::move(book), [&](int row) { return rows.value(row, -1); });
}

// The chapter's bytes pass in bounded chunks into a scratch file made afresh, so it holds
// exactly this chapter. A copy that fails leaves no scratch file.
bool DocumentSession::copyChapterToScratchFile(int row)
{
    if (!m_scratch || !m_scratch->isValid() || !m_open.book.chapterReadable(row))
        return false;
    const QString path = m_scratch->chapterFilePath();
    QFile file;
    QString error;
    const bool copied = SafeWrite::createFresh(file, path) &&
                        BookReader::copyChapter(m_open.path, m_open.book, row, file, &error);
    file.close();
    if (!copied)
        QFile::remove(path);
    return copied;
}

CapturedPlace DocumentSession::capturedPlace() const
{
    return CapturedPlace::of(m_open, m_navigator.place().page);
}
