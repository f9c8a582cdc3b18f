// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/document/documentkind.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <optional>

class ScratchFolder;

// Where a page was captured: the document shown then and, in a book, the chapter chosen (-1 for
// none) with its line in the contents list.
struct CapturedPlace {
    QString documentPath;
    int chapter = -1;
    QString chapterText;
};

// The document open in the reader window and what is shown of it: its path, for a book its
// contents and the chapter chosen, and the bookmarks listed. The window shows what the signals
// say; the rules live here.
//
// A book's contents are read once, when it is opened, through the scratch index file; a chapter
// is shown from a scratch chapter file that exists only while `chapterFileReady` is handled.
// A book whose index cannot be read gives contents without lines, never those of an earlier
// book. Opening a book keeps the bookmarks listed until a chapter is chosen. While a document is
// open its bookmark file is watched, and the bookmarks listed always say what the file says.
class DocumentSession : public QObject
{
    Q_OBJECT

public:
    enum class AddResult {
        Added,      // in the file; listed when the lists still show the captured place
        NoDocument, // the captured path names no document: nothing to do
        NoChapter,  // a book page captured with no chapter chosen
        NotWritten, // the bookmark file could not be written
    };

    // `scratch` must outlive the session; without a valid one no chapter can be shown.
    explicit DocumentSession(const ScratchFolder *scratch, QObject *parent = nullptr);

    QString documentPath() const { return m_path; }
    DocumentKind kind() const;
    const BookContents &contents() const { return m_book; }
    // The row of the chapter chosen last in the open book, -1 before any.
    int chapter() const { return m_chapter; }
    const QList<Module1::BookmarkEntry> &bookmarks() const { return m_bookmarks; }

    // Makes `path` the document shown, whatever its kind; a book's contents, or a PDF and its
    // bookmarks, follow. A path of no kind is only taken as the path.
    void open(const QString &path);
    // Takes `row` as the chapter chosen and, when it is a line of the book shown, shows it and
    // lists its bookmarks. A chapter that cannot be read (a damaged line, a range outside the
    // book, a book changed since its index was read) is shown as nothing; a row that is no line
    // changes nothing else.
    void chooseChapter(int row);

    // The place shown now, to be noted when a page is captured.
    CapturedPlace capturedPlace() const;
    // Appends the bookmark `name` for `page` to the bookmark file of the captured place: a plain
    // entry for a PDF, a chapter entry for a book. It is listed only while the lists still show
    // that document and chapter, so the page of one document never becomes a bookmark of another.
    AddResult addBookmark(const QString &name, int page, const CapturedPlace &captured);

    // Saves the organised bookmarks of `documentPath`, whose file had `loadedLines` when its text
    // was taken: a text of blanks and empty lines only leaves the file as it is. ASCII page
    // brackets become full-width, and lines appended to the file meanwhile are kept. Then the
    // lists of the document shown now are filled afresh when it has a bookmark file (in a book,
    // once a chapter is chosen). False when the file could not be written: nothing changed.
    bool rewriteBookmarks(const QString &documentPath, const QStringList &loadedLines,
                          const QString &editedText);

signals:
    void documentOpened(const QString &path);
    void pdfOpened(const QString &path);
    void contentsChanged();
    // Emitted with a direct connection only: the file is deleted as soon as the handlers return.
    // An empty path when the chapter cannot be read: the view is to show nothing.
    void chapterFileReady(const QString &path);
    void bookmarksChanged();
    void bookmarkAdded(const Module1::BookmarkEntry &entry);
    // The bookmark file changed on disk (edited elsewhere, appended to by another running copy,
    // created or deleted) and the bookmarks listed were filled again from it.
    void bookmarksReloaded();

private:
    void openBook();
    bool copyChapterToScratchFile(int row);
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
    QList<Module1::BookmarkEntry> m_bookmarks;
    // The open document's bookmark file and its folder: a file rewritten by rename is a new file,
    // which a watch on the old one never sees.
    QFileSystemWatcher m_watcher;
};
