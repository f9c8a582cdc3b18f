// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookediting.h"
#include "core/book/bookreader.h"
#include "core/document/bookmarklist.h"
#include "core/document/opendocument.h"
#include "core/document/readingnavigator.h"
#include "core/document/rewritewatch.h"

#include <QObject>

#include <functional>

class ReadingPlaces;
class ScratchFolder;

// The document open in the reader window and what is shown of it: the open document itself
// (OpenDocument), its bookmarks (BookmarkList) and the place being read (ReadingNavigator). The
// session opens documents, shows a book's chapters and follows the open document as it is
// rewritten or edited; the windows connect to the part they show.
//
// A book's contents are read once, when it is opened, through the scratch index file; until a
// chapter is chosen no page is shown (`nothingShown`). A chapter is shown from a scratch chapter
// file that exists only while `chapterFileReady` is handled. A book whose index cannot be read
// gives contents without lines, never those of an earlier book. Opening a book keeps the
// bookmarks listed until a chapter is chosen.
//
// The open document is watched. A PDF written again on disk is to be shown again where it was
// read (`documentRewritten`). A book rebuilt has its contents read again, and the chapter shown
// is shown again, by its name, at its new row and where it was read, with its bookmarks; a
// chapter the book no longer has leaves nothing shown. A book whose index cannot be read yet
// (still being written) changes nothing and is tried again.
class DocumentSession : public QObject
{
    Q_OBJECT

public:
    // `scratch` must outlive the session; without a valid one no chapter can be shown.
    explicit DocumentSession(const ScratchFolder *scratch, QObject *parent = nullptr);
    // `places` must outlive the session; nullptr keeps no places.
    void setReadingPlaces(ReadingPlaces *places) { m_navigator.setReadingPlaces(places); }

    QString documentPath() const { return m_open.path; }
    DocumentKind kind() const { return m_open.kind; }
    const BookContents &contents() const { return m_open.book; }
    // The row of the chapter chosen last in the open book, -1 before any.
    int chapter() const { return m_open.chapter; }

    BookmarkList &bookmarks() { return m_bookmarks; }
    ReadingNavigator &navigator() { return m_navigator; }

    // Makes `path` the document shown, whatever its kind; a book's contents, or a PDF and its
    // bookmarks, follow. A path of no kind is only taken as the path.
    void open(const QString &path);
    // Takes `row` as the chapter chosen and, when it is a line of the book shown, shows it from
    // its first page, lists its bookmarks and notes a step of the history. A chapter that cannot
    // be read (a damaged line, a range outside the book, a book changed since its index was read)
    // is shown as nothing; a row that is no line changes nothing else.
    void chooseChapter(int row);

    // The place shown now, to be noted when a page is captured.
    CapturedPlace capturedPlace() const;

    // What EditBook (bookediting.h) takes to change the open book as `plan`, made from
    // contents(), says. It may run on another thread. Until takeEditedBook, the book replaced on
    // disk is left to it, not taken as a book rebuilt elsewhere.
    EditRequest beginEdit(const ChapterPlan &plan, bool dropBookmarks);
    // After EditBook of `request` gave `result`: when the book was changed, the places read
    // follow their chapters, and the book is taken again at once, the chapter shown still shown
    // at its new row.
    void takeEditedBook(const EditRequest &request, const EditResult &result);

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
    // The PDF or chapter shown was written again: the view is to show the file at `path` in
    // place of it, where it was read and as it looked, keeping the old one shown when the new
    // one cannot be shown (then retryRewritten). Emitted with a direct connection only: a
    // chapter's file is deleted as soon as the handlers return.
    void documentRewritten(const QString &path);

private:
    void showPdf();
    void showChapter(int row, void (DocumentSession::*ready)(const QString &) =
                                  &DocumentSession::chapterFileReady);
    void takeRewrittenDocument();
    void takeRebuiltBook();
    void takeChangedBook(BookContents book, const std::function<int(int)> &newRowOf);
    bool copyChapterToScratchFile(int row);

    const ScratchFolder *m_scratch;
    OpenDocument m_open;
    BookmarkList m_bookmarks;
    ReadingNavigator m_navigator;
    RewriteWatch m_documentWatch;
    // Between beginEdit and takeEditedBook.
    bool m_editing = false;
};
