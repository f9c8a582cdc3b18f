// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/documentsession.h"

#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"
#include "core/bookmarks/bookmarkediting.h"
#include "core/bookmarks/bookmarkline.h"
#include "core/bookmarks/bookmarklock.h"
#include "core/bookmarks/pendingbookmarks.h"
#include "core/state/readingplaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

DocumentSession::DocumentSession(const ScratchFolder *scratch, QObject *parent)
    : QObject(parent), m_scratch(scratch)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &DocumentSession::reloadBookmarks);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &DocumentSession::reloadBookmarks);
    connect(&m_documentWatch, &RewriteWatch::rewritten, this,
            &DocumentSession::takeRewrittenDocument);
}

DocumentKind DocumentSession::kind() const
{
    return Module1::DocumentKindOf(m_path);
}

void DocumentSession::open(const QString &path)
{
    m_path = path;
    m_place = ReadingPlace();
    m_pageCount = 0;
    m_placeKey.clear();
    m_history.clear();
    watchBookmarkFile();
    m_documentWatch.watch(kind() == DocumentKind::None ? QString() : path);
    emit documentOpened(path);
    switch (kind()) {
    case DocumentKind::Book:
        openBook();
        break;
    case DocumentKind::Pdf: {
        m_placeKey = ReadingPlaces::pdfKey(path);
        const std::optional<SavedPlace> saved = rememberedPlace(m_placeKey);
        emit pdfOpened(path);
        listBookmarks(Module1::ReadBookmarkEntries(path));
        showRemembered(saved);
        break;
    }
    case DocumentKind::None:
        break;
    }
}

void DocumentSession::openBook()
{
    m_bookPath = m_path;
    PendingBookmarks::complete(m_bookPath);
    m_book = BookReader::readContents(m_bookPath, m_scratch);
    m_chapter = -1;
    m_lastRead = m_places ? m_places->lastReadChapter(m_bookPath, m_book.lines) : -1;
    emit contentsChanged();
    emit nothingShown();
}

void DocumentSession::chooseChapter(int row)
{
    std::optional<SavedPlace> saved;
    if (m_path == m_bookPath && row >= 0 && row < m_book.lines.size()) {
        saved = rememberedPlace(ReadingPlaces::chapterKey(m_bookPath, m_book.lines, row));
        noteJump(ReadingPlace{row, 1, -1});
        m_place = ReadingPlace{row, 1, -1};
    }
    showChapter(row);
    showRemembered(saved);
}

void DocumentSession::showChapter(int row, void (DocumentSession::*ready)(const QString &))
{
    m_chapter = row;
    if (m_path != m_bookPath || row < 0 || row >= m_book.lines.size())
        return;
    m_pageCount = 0;
    m_placeKey.clear();
    // Only the book whose index gave the contents is read, and only a range inside its chapters.
    // A chapter that cannot be read leaves the view with nothing, never with the chapter before,
    // whose pages would otherwise be taken for this one's.
    if (copyChapterToScratchFile(row)) {
        m_placeKey = ReadingPlaces::chapterKey(m_bookPath, m_book.lines, row);
        m_lastRead = row;
        const QString scratchFile = m_scratch->chapterFilePath();
        emit(this->*ready)(scratchFile);
        // The view keeps the file open, so the chapter stays shown once its name is gone.
        QFile::remove(scratchFile);
    } else {
        emit chapterFileReady(QString());
    }
    listBookmarks(Module1::ReadBookmarkEntries(m_bookPath, row));
    emit chapterShown(row);
}

void DocumentSession::takeRewrittenDocument()
{
    if (kind() == DocumentKind::Pdf)
        emit documentRewritten(m_path);
    else if (kind() == DocumentKind::Book && m_path == m_bookPath)
        takeRebuiltBook();
}

// Rebuilt elsewhere: the chapters shown and read last are found again as FindChapterAgain finds
// them. The history is forgotten: its rows name nothing in the new contents.
void DocumentSession::takeRebuiltBook()
{
    if (m_editing)
        return;
    PendingBookmarks::complete(m_bookPath);
    BookContents book = BookReader::readContents(m_bookPath, m_scratch);
    if (!book.ok)
        return retryRewritten();
    // A change made here was taken already.
    if (book.fileSize == m_book.fileSize && book.indexBytes == m_book.indexBytes)
        return;
    const QList<ContentsIndex::Line> before = m_book.lines;
    const QList<ContentsIndex::Line> after = book.lines;
    takeChangedBook(std::move(book), [&](int row) { return FindChapterAgain(before, row, after); });
}

void DocumentSession::takeChangedBook(BookContents book, const std::function<int(int)> &newRowOf)
{
    const int shown = m_chapter >= 0 ? newRowOf(m_chapter) : -1;
    const bool wasShown = m_chapter >= 0;
    m_lastRead = m_lastRead >= 0 ? newRowOf(m_lastRead) : -1;
    m_book = std::move(book);
    m_history.clear();
    emit contentsChanged();
    if (!wasShown)
        return;
    if (shown < 0) {
        m_chapter = -1;
        m_pageCount = 0;
        m_placeKey.clear();
        m_place = ReadingPlace();
        emit nothingShown();
        listBookmarks({});
        return;
    }
    m_place.chapter = shown;
    showChapter(shown, &DocumentSession::documentRewritten);
}

EditRequest DocumentSession::beginEdit(const ChapterPlan &plan, bool dropBookmarks)
{
    m_editing = true;
    return {m_bookPath, m_book, plan, dropBookmarks, m_scratch ? m_scratch->path() : QString()};
}

void DocumentSession::takeEditedBook(const EditRequest &request, const EditResult &result)
{
    m_editing = false;
    if (result.outcome != EditOutcome::Done)
        return;
    BookContents book = BookReader::readContents(m_bookPath, m_scratch);
    if (!book.ok)
        return;
    const QList<int> rows = request.plan.newRowOf();
    if (m_places)
        m_places->followChapters(m_bookPath, request.book.lines, book.lines, rows);
    takeChangedBook(std::move(book), [&](int row) { return rows.value(row, -1); });
}

// A page of a PDF, or of a chapter in a book.
bool DocumentSession::isPlace(const ReadingPlace &place) const
{
    return place.page > 0 && (kind() != DocumentKind::Book || place.chapter >= 0);
}

void DocumentSession::goTo(const ReadingPlace &place, const FoundText &match)
{
    ReadingPlace target = place;
    if (kind() != DocumentKind::Book)
        target.chapter = -1;
    // Where the view shows what it showed before a chapter was chosen, a page of it is taken
    // for what it is.
    const bool here = kind() != DocumentKind::Book || target.chapter == m_chapter;
    if (target.page < 1 || (!here && target.chapter < 0) ||
        (here && m_pageCount > 0 && target.page > m_pageCount))
        return;
    noteJump(target);
    show(target, match);
}

// A jump to where the reader is already is no step.
void DocumentSession::noteJump(const ReadingPlace &to)
{
    if (isPlace(m_place) && !(m_place == to))
        m_history.jumped(m_place);
}

// The view reports the new chapter's pages while it is shown, so the chapter before can be
// shown at its last.
void DocumentSession::readOn(int direction)
{
    const int row = m_chapter + direction;
    if (kind() != DocumentKind::Book || m_path != m_bookPath || m_chapter < 0 || row < 0 ||
        row >= m_book.lines.size())
        return;
    m_place = ReadingPlace{row, 1, -1};
    showChapter(row);
    // Reading backwards goes on from the end of the chapter before, as it would within one.
    if (direction < 0 && m_pageCount > 0)
        show(ReadingPlace{row, m_pageCount, ReadingPlace::PageFoot}, FoundText());
}

void DocumentSession::goBack()
{
    if (m_history.canGoBack())
        show(m_history.back(m_place), FoundText());
}

void DocumentSession::goForward()
{
    if (m_history.canGoForward())
        show(m_history.forward(m_place), FoundText());
}

void DocumentSession::show(const ReadingPlace &place, const FoundText &match)
{
    if (kind() == DocumentKind::Book && place.chapter != m_chapter)
        showChapter(place.chapter);
    m_place = place;
    emit placeChanged(place, match);
}

void DocumentSession::notePlaceShown(int page, double top, int pageCount, const PageLook &look)
{
    m_pageCount = pageCount;
    m_place = ReadingPlace{kind() == DocumentKind::Book ? m_chapter : -1, page, top};
    if (m_places && page > 0 && !m_placeKey.isEmpty())
        m_places->note(m_placeKey, page, top, look);
}

// Looked up before the document is shown, whose first page is noted as it is shown.
std::optional<SavedPlace> DocumentSession::rememberedPlace(const QString &key) const
{
    return m_places ? m_places->placeOf(key) : std::nullopt;
}

void DocumentSession::showRemembered(const std::optional<SavedPlace> &saved)
{
    if (!saved || m_pageCount < 1)
        return;
    ReadingPlace place{kind() == DocumentKind::Book ? m_chapter : -1, saved->page, saved->top};
    if (place.page > m_pageCount)
        place = ReadingPlace{place.chapter, m_pageCount, -1};
    emit lookRestored(saved->look);
    show(place, FoundText());
}

// The chapter's bytes pass in bounded chunks into a scratch file made afresh, so it holds
// exactly this chapter. A copy that fails leaves no scratch file.
bool DocumentSession::copyChapterToScratchFile(int row)
{
    if (!m_scratch || !m_scratch->isValid() || !m_book.chapterReadable(row))
        return false;
    const QString path = m_scratch->chapterFilePath();
    QFile file;
    QString error;
    const bool copied = SafeWrite::createFresh(file, path) &&
                        BookReader::copyChapter(m_bookPath, m_book, row, file, &error);
    file.close();
    if (!copied)
        QFile::remove(path);
    return copied;
}

CapturedPlace DocumentSession::capturedPlace() const
{
    CapturedPlace place{m_path, -1, QString(), m_place.page, BookContents()};
    if (kind() == DocumentKind::Book && m_chapter >= 0 && m_chapter < m_book.lines.size()) {
        place.chapter = m_chapter;
        place.chapterText = m_book.lines.at(m_chapter).name();
        place.book = m_book;
    }
    return place;
}

DocumentSession::AddResult DocumentSession::addBookmark(const QString &name, int page,
                                                        const CapturedPlace &captured)
{
    const DocumentKind kind = Module1::DocumentKindOf(captured.documentPath);
    if (kind == DocumentKind::None)
        return AddResult::NoDocument;
    const QString entryText = Module1::PlainBookmarkLine(name, page);
    QString line = entryText;
    const BookmarkLock lock(captured.documentPath, BookmarkLock::Wait);
    CapturedPlace place = captured;
    if (kind == DocumentKind::Book) {
        if (captured.chapter < 0)
            return AddResult::NoChapter;
        place = placeNow(captured);
        if (place.chapter < 0)
            return AddResult::ChapterGone;
        line = Module1::ChapterBookmarkLine(place.chapter, place.chapterText, entryText);
    }
    if (!Module1::AppendBookmarkLine(captured.documentPath, line))
        return AddResult::NotWritten;
    if (showsPlace(place)) {
        m_bookmarks.append(Module1::BookmarkEntry{entryText, name.size()});
        emit bookmarkAdded(m_bookmarks.last());
    }
    return AddResult::Added;
}

// The captured chapter in the book as it is now, changed or not since. The caller holds the
// bookmark lock: a change left halfway is finished first, or the line added would go with the
// old bookmark file.
CapturedPlace DocumentSession::placeNow(const CapturedPlace &captured)
{
    PendingBookmarks::completeLocked(captured.documentPath);
    const BookContents now = BookReader::readContents(captured.documentPath);
    if (!now.ok ||
        (now.fileSize == captured.book.fileSize && now.indexBytes == captured.book.indexBytes))
        return captured;
    CapturedPlace place = captured;
    place.chapter = FindChapterAgain(captured.book.lines, captured.chapter, now.lines);
    place.chapterText = place.chapter >= 0 ? now.lines.at(place.chapter).name() : QString();
    place.book = now;
    return place;
}

bool DocumentSession::showsPlace(const CapturedPlace &place) const
{
    if (m_path != place.documentPath)
        return false;
    return kind() != DocumentKind::Book || m_chapter == place.chapter;
}

bool DocumentSession::rewriteBookmarks(const QString &documentPath, const QStringList &loadedLines,
                                       const QString &editedText)
{
    if (!editedText.trimmed().isEmpty() && !Module1::BookmarkFilePath(documentPath).isEmpty()) {
        const BookmarkLock lock(documentPath, BookmarkLock::Wait);
        const QString text =
            Module1::SavedBookmarkText(Module1::WithFullWidthBrackets(editedText), loadedLines,
                                       Module1::ReadBookmarkFileLines(documentPath));
        if (!Module1::RewriteBookmarkFile(documentPath, text))
            return false;
    }
    refreshBookmarks();
    return true;
}

void DocumentSession::refreshBookmarks()
{
    if (!QFileInfo(Module1::BookmarkFilePath(m_path)).isFile())
        return;
    if (const auto entries = entriesShown())
        listBookmarks(*entries);
}

// A PDF's bookmarks, or the chapter's once one is chosen; nothing for a book before that, whose
// lists still show what they showed.
std::optional<QList<Module1::BookmarkEntry>> DocumentSession::entriesShown() const
{
    if (kind() == DocumentKind::Pdf)
        return Module1::ReadBookmarkEntries(m_path);
    if (kind() == DocumentKind::Book && m_chapter >= 0)
        return Module1::ReadBookmarkEntries(m_path, m_chapter);
    return std::nullopt;
}

void DocumentSession::listBookmarks(const QList<Module1::BookmarkEntry> &entries)
{
    m_bookmarks = entries;
    emit bookmarksChanged();
}

void DocumentSession::watchBookmarkFile()
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    const QFileInfo file(Module1::BookmarkFilePath(m_path));
    if (file.filePath().isEmpty() || !file.absoluteDir().exists())
        return;
    m_watcher.addPath(file.absolutePath());
    if (file.exists())
        m_watcher.addPath(file.absoluteFilePath());
}

// A change elsewhere in the folder that leaves the lists as they are says nothing.
void DocumentSession::reloadBookmarks()
{
    watchBookmarkFile();
    const auto entries = entriesShown();
    if (!entries || *entries == m_bookmarks)
        return;
    m_bookmarks = *entries;
    emit bookmarksReloaded();
}
