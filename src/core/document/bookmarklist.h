// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/document/opendocument.h"

#include <QFileSystemWatcher>
#include <QObject>

#include <optional>

// Where a page was captured: the document shown then and, in a book, the chapter chosen (-1 for
// none) with its line in the contents list, and the page being read then (0 for none). The
// book's contents then find the chapter again should the book be changed before the bookmark is
// added.
struct CapturedPlace {
    DocumentKind kind = DocumentKind::None;
    QString documentPath;
    int chapter = -1;
    QString chapterText;
    int page = 0;
    BookContents book;

    // What is captured of `page` of `shown`.
    static CapturedPlace of(const OpenDocument &shown, int page);
};

// The bookmarks of what is shown: a PDF's, or in a book those of the chapter chosen. The list is
// filled when asked (`list`, `clear`) and follows the bookmark file from then on: while a document
// is open its file is watched, and the bookmarks listed always say what the file says. Bookmarks
// are added to the file of the place they were captured at, and the file is rewritten from the
// organise dialog's text, both under the bookmark lock.
class BookmarkList : public QObject
{
    Q_OBJECT

public:
    enum class AddResult {
        Added,       // in the file; listed when the list still shows the captured place
        NoDocument,  // the captured path names no document: nothing to do
        NoChapter,   // a book page captured with no chapter chosen
        NotWritten,  // the bookmark file could not be written
        ChapterGone, // the book was changed meanwhile and no longer has the chapter
    };

    // `shown` is read at every call and change of the file; it must outlive the list.
    explicit BookmarkList(const OpenDocument &shown, QObject *parent = nullptr);

    const QList<Module1::BookmarkEntry> &entries() const { return m_entries; }

    // Watches the bookmark file of the document shown now (and its folder: a file rewritten by
    // rename is a new file, which a watch on the old one never sees).
    void watch();
    // Lists the bookmarks of what is shown: the PDF's, or the chapter's in a book.
    void list();
    // Lists none.
    void clear();

    // Appends the bookmark `name` for `page` to the bookmark file of the captured place: a plain
    // entry for a PDF, a chapter entry for a book. It is listed only while the list still shows
    // that document and chapter, so the page of one document never becomes a bookmark of
    // another. A book changed since the capture has the entry filed under the chapter's row now
    // (FindChapterAgain), never under the row it had.
    AddResult add(const QString &name, int page, const CapturedPlace &captured);

    // Saves the organised bookmarks of `documentPath`, whose file had `loadedLines` when its text
    // was taken: a text of blanks and empty lines only leaves the file as it is. ASCII page
    // brackets become full-width, and lines appended to the file meanwhile are kept. Then the
    // list of what is shown now is filled afresh when it has a bookmark file (in a book, once a
    // chapter is chosen). False when the file could not be written: nothing changed.
    bool rewrite(const QString &documentPath, const QStringList &loadedLines,
                 const QString &editedText);

signals:
    void changed();
    void added(const Module1::BookmarkEntry &entry);
    // The bookmark file changed on disk (edited elsewhere, appended to by another running copy,
    // created or deleted) and the bookmarks listed were filled again from it.
    void reloaded();

private:
    static CapturedPlace placeNow(const CapturedPlace &captured);
    bool showsPlace(const CapturedPlace &place) const;
    std::optional<QList<Module1::BookmarkEntry>> entriesShown() const;
    void listEntries(const QList<Module1::BookmarkEntry> &entries);
    void reload();

    const OpenDocument &m_shown;
    QList<Module1::BookmarkEntry> m_entries;
    QFileSystemWatcher m_watcher;
};
