// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/contentsindex.h"
#include "core/state/statestore.h"

// The places last shown of PDFs and of chapters of books, and the colours pages are read in, kept
// in the state file between runs and shared by every running copy as StateStore says; a place read
// later wins.
class ReadingPlaces : public StateStore
{
    Q_OBJECT

public:
    using StateStore::StateStore;

    // A document is known by its absolute path; a chapter by the book's path and the chapter's
    // row in its contents, from which its name, length and occurrence are taken.
    static QString pdfKey(const QString &path);
    static QString chapterKey(const QString &bookPath, const QList<ContentsIndex::Line> &lines,
                              int row);

    std::optional<SavedPlace> placeOf(const QString &key) const;
    // The row of the chapter of the book read last, -1 when none was read.
    int lastReadChapter(const QString &bookPath, const QList<ContentsIndex::Line> &lines) const;
    void note(const QString &key, int page, double top, const PageLook &look);
    // After the book's chapters were changed in place (`newRowOf` as ChapterPlan gives it), the
    // place of each chapter kept is carried to the key it has now (a chapter renamed, or whose
    // occurrence changed), as read when it was read.
    void followChapters(const QString &bookPath, const QList<ContentsIndex::Line> &before,
                        const QList<ContentsIndex::Line> &after, const QList<int> &newRowOf);
    // The colours pages are read in, the same for every document.
    PageColours colours() const { return contents().colours.colours; }
    void setColours(PageColours colours);
};
