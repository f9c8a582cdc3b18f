// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookediting.h"
#include "core/book/bookreader.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/document/documentkind.h"
#include "core/document/readinghistory.h"
#include "core/document/readingplace.h"
#include "core/document/rewritewatch.h"
#include "core/state/statefile.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <functional>
#include <optional>

class ReadingPlaces;
class ScratchFolder;

// Where a page was captured: the document shown then and, in a book, the chapter chosen (-1 for
// none) with its line in the contents list, and the page being read then (0 for none). The
// book's contents then find the chapter again should the book be changed before the bookmark is
// added.
struct CapturedPlace {
    QString documentPath;
    int chapter = -1;
    QString chapterText;
    int page = 0;
    BookContents book;
};

// The document open in the reader window and what is shown of it: its path, for a book its
// contents and the chapter chosen, the place being read, and the bookmarks listed. The window
// shows what the signals say; the rules live here.
//
// A book's contents are read once, when it is opened, through the scratch index file; until a
// chapter is chosen no page is shown (`nothingShown`). A chapter is shown from a scratch chapter
// file that exists only while `chapterFileReady` is handled.
// A book whose index cannot be read gives contents without lines, never those of an earlier
// book. Opening a book keeps the bookmarks listed until a chapter is chosen. While a document is
// open its bookmark file is watched, and the bookmarks listed always say what the file says.
//
// The open document is watched too. A PDF written again on disk is to be shown again where it
// was read (`documentRewritten`). A book rebuilt has its contents read again, and the chapter
// shown is shown again, by its name, at its new row and where it was read, with its bookmarks;
// a chapter the book no longer has leaves nothing shown. A book whose index cannot be read yet
// (still being written) changes nothing and is tried again.
//
// The place being read moves in two ways. A jump (a chapter chosen, goTo) is a step of the
// history, which back and forward walk across chapters; the session then says where to show
// (placeChanged). Scrolling and paging are only noted as the view reports them (notePlaceShown).
//
// With reading places given, the place shown of every PDF and chapter is noted there, and a PDF
// opened, or a chapter chosen from the contents, is shown at its remembered place and look (a
// page past its end at its last page). Jumps and reading on go to their own pages.
class DocumentSession : public QObject
{
    Q_OBJECT

public:
    enum class AddResult {
        Added,       // in the file; listed when the lists still show the captured place
        NoDocument,  // the captured path names no document: nothing to do
        NoChapter,   // a book page captured with no chapter chosen
        NotWritten,  // the bookmark file could not be written
        ChapterGone, // the book was changed meanwhile and no longer has the chapter
    };

    // `scratch` must outlive the session; without a valid one no chapter can be shown.
    explicit DocumentSession(const ScratchFolder *scratch, QObject *parent = nullptr);
    // `places` must outlive the session; nullptr keeps no places.
    void setReadingPlaces(ReadingPlaces *places) { m_places = places; }

    QString documentPath() const { return m_path; }
    DocumentKind kind() const;
    const BookContents &contents() const { return m_book; }
    // The row of the chapter chosen last in the open book, -1 before any.
    int chapter() const { return m_chapter; }
    // The row of the chapter of the open book read last, in this run or an earlier one; -1 for
    // none.
    int lastReadChapter() const { return m_lastRead; }
    const QList<Module1::BookmarkEntry> &bookmarks() const { return m_bookmarks; }

    // Makes `path` the document shown, whatever its kind; a book's contents, or a PDF and its
    // bookmarks, follow. A path of no kind is only taken as the path.
    void open(const QString &path);
    // Takes `row` as the chapter chosen and, when it is a line of the book shown, shows it from
    // its first page, lists its bookmarks and notes a step of the history. A chapter that cannot
    // be read (a damaged line, a range outside the book, a book changed since its index was read)
    // is shown as nothing; a row that is no line changes nothing else.
    void chooseChapter(int row);

    ReadingPlace place() const { return m_place; }
    // A jump to `place`, with `match` to show there when it names a text: a step of the history.
    // In a book a chapter other than the one shown is shown first, as chooseChapter shows it; in
    // the document shown, a page outside it is ignored.
    void goTo(const ReadingPlace &place, const FoundText &match = FoundText());
    // In a book, reading on past the last page of the chapter shown (`direction` 1) shows the
    // next chapter from its first page, and back before its first page (-1) the chapter before
    // at the end of its last page, as chooseChapter shows a chapter; no step of the history. The
    // book's first and last chapters end it, as a PDF ends.
    void readOn(int direction);
    // Back to the place the last jump left, or forward again; across chapters of a book.
    void goBack();
    void goForward();
    // Whether there is a place to go back or forward to: known after every placeChanged,
    // documentOpened and contentsChanged.
    bool canGoBack() const { return m_history.canGoBack(); }
    bool canGoForward() const { return m_history.canGoForward(); }
    // The view shows `page` of its `pageCount` pages, with its top `top` down the page, and with
    // `look`: the place being read, no step of the history.
    void notePlaceShown(int page, double top, int pageCount, const PageLook &look = PageLook());

    // The place shown now, to be noted when a page is captured.
    CapturedPlace capturedPlace() const;
    // Appends the bookmark `name` for `page` to the bookmark file of the captured place: a plain
    // entry for a PDF, a chapter entry for a book, under the bookmark lock. It is listed only
    // while the lists still show that document and chapter, so the page of one document never
    // becomes a bookmark of another. A book changed since the capture has the entry filed under
    // the chapter's row now (FindChapterAgain), never under the row it had.
    AddResult addBookmark(const QString &name, int page, const CapturedPlace &captured);

    // What EditBook (bookediting.h) takes to change the open book as `plan`, made from
    // contents(), says. It may run on another thread. Until takeEditedBook, the book replaced on
    // disk is left to it, not taken as a book rebuilt elsewhere.
    EditRequest beginEdit(const ChapterPlan &plan, bool dropBookmarks);
    // After EditBook of `request` gave `result`: when the book was changed, the places read
    // follow their chapters, and the book is taken again at once, the chapter shown still shown
    // at its new row.
    void takeEditedBook(const EditRequest &request, const EditResult &result);

    // Saves the organised bookmarks of `documentPath`, whose file had `loadedLines` when its text
    // was taken: a text of blanks and empty lines only leaves the file as it is. ASCII page
    // brackets become full-width, and lines appended to the file meanwhile are kept. Then the
    // lists of the document shown now are filled afresh when it has a bookmark file (in a book,
    // once a chapter is chosen). False when the file could not be written: nothing changed.
    bool rewriteBookmarks(const QString &documentPath, const QStringList &loadedLines,
                          const QString &editedText);
    // The file `documentRewritten` gave could not be shown: it is taken again once it settles.
    void retryRewritten() { m_documentWatch.retry(); }

signals:
    void documentOpened(const QString &path);
    void pdfOpened(const QString &path);
    void contentsChanged();
    // No page of the open document is to be shown: a book was opened and no chapter chosen yet.
    void nothingShown();
    // Emitted with a direct connection only: the file is deleted as soon as the handlers return.
    // An empty path when the chapter cannot be read: the view is to show nothing.
    void chapterFileReady(const QString &path);
    // The chapter of `row` is shown: chosen, or gone to by a jump or the history.
    void chapterShown(int row);
    // The view is to show `place` of the document or chapter shown, and `match` there.
    void placeChanged(const ReadingPlace &place, const FoundText &match);
    // The view is to show its pages with `look`: emitted before the remembered place.
    void lookRestored(const PageLook &look);
    void bookmarksChanged();
    void bookmarkAdded(const Module1::BookmarkEntry &entry);
    // The bookmark file changed on disk (edited elsewhere, appended to by another running copy,
    // created or deleted) and the bookmarks listed were filled again from it.
    void bookmarksReloaded();
    // The PDF or chapter shown was written again: the view is to show the file at `path` in
    // place of it, where it was read and as it looked, keeping the old one shown when the new
    // one cannot be shown (then retryRewritten). Emitted with a direct connection only: a
    // chapter's file is deleted as soon as the handlers return.
    void documentRewritten(const QString &path);

private:
    void openBook();
    void showChapter(int row, void (DocumentSession::*ready)(const QString &) =
                                  &DocumentSession::chapterFileReady);
    void takeRewrittenDocument();
    void takeRebuiltBook();
    void takeChangedBook(BookContents book, const std::function<int(int)> &newRowOf);
    bool copyChapterToScratchFile(int row);
    bool isPlace(const ReadingPlace &place) const;
    std::optional<SavedPlace> rememberedPlace(const QString &key) const;
    void showRemembered(const std::optional<SavedPlace> &saved);
    void noteJump(const ReadingPlace &to);
    void show(const ReadingPlace &place, const FoundText &match);
    static CapturedPlace placeNow(const CapturedPlace &captured);
    bool showsPlace(const CapturedPlace &place) const;
    void refreshBookmarks();
    std::optional<QList<Module1::BookmarkEntry>> entriesShown() const;
    void listBookmarks(const QList<Module1::BookmarkEntry> &entries);
    void watchBookmarkFile();
    void reloadBookmarks();

    const ScratchFolder *m_scratch;
    QString m_path;
    // The book whose index gave m_book.
    QString m_bookPath;
    BookContents m_book;
    int m_chapter = -1;
    int m_lastRead = -1;
    ReadingPlace m_place;
    ReadingPlaces *m_places = nullptr;
    // The key of the PDF or chapter shown among the reading places; empty while none is.
    QString m_placeKey;
    int m_pageCount = 0; // of the document or chapter shown, as the view reported it
    ReadingHistory m_history;
    QList<Module1::BookmarkEntry> m_bookmarks;
    // The open document's bookmark file and its folder: a file rewritten by rename is a new file,
    // which a watch on the old one never sees.
    QFileSystemWatcher m_watcher;
    RewriteWatch m_documentWatch;
    // Between beginEdit and takeEditedBook.
    bool m_editing = false;
};
