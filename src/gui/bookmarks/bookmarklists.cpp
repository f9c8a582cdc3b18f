#include "gui/bookmarks/bookmarklists.h"

#include "core/bookmarks/bookmarkfile.h"

#include <QListWidget>
#include <QSignalBlocker>

void Module1::LoadBookmarkLists(QListWidget &entryList, QListWidget &nameList,
                                const QString &documentPath, std::optional<int> chapterIndex)
{
    const QList<BookmarkEntry> entries = ReadBookmarkEntries(documentPath, chapterIndex);
    const QSignalBlocker entryBlocker(&entryList);
    const QSignalBlocker nameBlocker(&nameList);
    for (const BookmarkEntry &entry : entries) {
        entryList.addItem(entry.entryText);
        nameList.addItem(entry.name);
    }
}
