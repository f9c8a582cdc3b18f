#pragma once

#include <QString>

#include <optional>

class QListWidget;

namespace Module1 {

// Appends the bookmarks of the document at `documentPath` (of a PDF without `chapterIndex`, of
// that chapter of a book with it) to the two bookmark lists, in file order: each entry text to
// `entryList` (List3) and its name to `nameList` (List4), so item i of one belongs to item i of
// the other. The caller empties both first. Without a bookmark file nothing is added. The lists
// emit no signals while they are filled.
void LoadBookmarkLists(QListWidget &entryList, QListWidget &nameList, const QString &documentPath,
                       std::optional<int> chapterIndex = std::nullopt);

} // namespace Module1
