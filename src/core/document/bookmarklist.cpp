// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/bookmarklist.h"

#include "core/book/chapterplan.h"
#include "core/bookmarks/bookmarkediting.h"
#include "core/bookmarks/bookmarkline.h"
#include "core/bookmarks/bookmarklock.h"
#include "core/bookmarks/pendingbookmarks.h"

#include <QDir>
#include <QFileInfo>

CapturedPlace CapturedPlace::of(const OpenDocument &shown, int page)
{
    CapturedPlace place{shown.kind, shown.path, -1, QString(), page, BookContents()};
    if (shown.hasLine(shown.chapter)) {
        place.chapter = shown.chapter;
        place.chapterText = shown.book.lines.at(shown.chapter).name();
        place.book = shown.book;
    }
    return place;
}

BookmarkList::BookmarkList(const OpenDocument &shown, QObject *parent)
    : QObject(parent), m_shown(shown)
{
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &BookmarkList::reload);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &BookmarkList::reload);
}

void BookmarkList::watch()
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    const QFileInfo file(Module1::BookmarkFilePath(m_shown.path));
    if (file.filePath().isEmpty() || !file.absoluteDir().exists())
        return;
    m_watcher.addPath(file.absolutePath());
    if (file.exists())
        m_watcher.addPath(file.absoluteFilePath());
}

void BookmarkList::list()
{
    listEntries(entriesShown().value_or(QList<Module1::BookmarkEntry>()));
}

void BookmarkList::clear()
{
    listEntries({});
}

BookmarkList::AddResult BookmarkList::add(const QString &name, int page,
                                          const CapturedPlace &captured)
{
    if (captured.kind == DocumentKind::None)
        return AddResult::NoDocument;
    const QString entryText = Module1::PlainBookmarkLine(name, page);
    QString line = entryText;
    const BookmarkLock lock(captured.documentPath, BookmarkLock::Wait);
    CapturedPlace place = captured;
    if (captured.kind == DocumentKind::Book) {
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
        m_entries.append(Module1::BookmarkEntry{entryText, name.size()});
        emit added(m_entries.last());
    }
    return AddResult::Added;
}

// The captured chapter in the book as it is now, changed or not since. The caller holds the
// bookmark lock: a change left halfway is finished first, or the line added would go with the
// old bookmark file.
CapturedPlace BookmarkList::placeNow(const CapturedPlace &captured)
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

bool BookmarkList::showsPlace(const CapturedPlace &place) const
{
    if (m_shown.path != place.documentPath)
        return false;
    return !m_shown.isBook() || m_shown.chapter == place.chapter;
}

bool BookmarkList::rewrite(const QString &documentPath, const QStringList &loadedLines,
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
    if (QFileInfo(Module1::BookmarkFilePath(m_shown.path)).isFile()) {
        if (const auto entries = entriesShown())
            listEntries(*entries);
    }
    return true;
}

// A PDF's bookmarks, or the chapter's once one is chosen; nothing for a book before that, whose
// list still shows what it showed.
std::optional<QList<Module1::BookmarkEntry>> BookmarkList::entriesShown() const
{
    if (m_shown.isPdf())
        return Module1::ReadBookmarkEntries(m_shown.path);
    if (m_shown.chapterChosen())
        return Module1::ReadBookmarkEntries(m_shown.path, m_shown.chapter);
    return std::nullopt;
}

void BookmarkList::listEntries(const QList<Module1::BookmarkEntry> &entries)
{
    m_entries = entries;
    emit changed();
}

// A change elsewhere in the folder that leaves the list as it is says nothing.
void BookmarkList::reload()
{
    watch();
    const auto entries = entriesShown();
    if (!entries || *entries == m_entries)
        return;
    m_entries = *entries;
    emit reloaded();
}
