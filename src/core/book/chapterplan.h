// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"

#include <QList>
#include <QString>
#include <QStringList>

// A book's chapters as they are to be after a change in place: each kept chapter by its row in
// the book, each added one by its file. Starts as the book is; each change is checked against
// the plan as it stands and refused as a whole, leaving the plan as it was. Chapter numbers count
// from 1, as `quillmoor-book list` prints them.
struct PlannedChapter {
    int oldRow = -1; // the chapter's row in the book, -1 for a file added
    QString name;    // made safe to stand in an index line
    QString source;  // the file added
};

enum class PlanRefusal {
    None,
    NoSuchChapter,   // a number that is no chapter
    NoSuchPlace,     // an --at or --to outside the book as it will be
    OnlyChapter,     // the only chapter cannot be removed
    AmpersandInName, // would move the split of every bookmark entry of the chapter
    NotAPdf,         // a file added whose name does not end in ".pdf"
    NothingAdded,    // no file given
};

class ChapterPlan
{
public:
    explicit ChapterPlan(const BookContents &book);

    // The files become chapters `at`, `at` + 1, ...; `at` 0 adds them at the end. Their names
    // are taken from the file names as the book-making window takes them.
    PlanRefusal add(const QStringList &files, int at = 0);
    PlanRefusal remove(int number);
    // Chapter `number` becomes chapter `to` of the new order.
    PlanRefusal move(int number, int to);
    PlanRefusal rename(int number, const QString &name);

    const QList<PlannedChapter> &chapters() const { return m_chapters; }
    // The new row of each chapter of the book, by its old row; -1 for one removed.
    QList<int> newRowOf() const;
    QStringList names() const;

private:
    bool isChapter(int number) const { return number >= 1 && number <= m_chapters.size(); }

    int m_oldCount = 0;
    QList<PlannedChapter> m_chapters;
};

// The row in `now` of the chapter that was row `row` of `before`, when a book was changed by
// someone else meanwhile (another running copy, a book made again): the same name and length,
// the same occurrence among chapters of that name and length; else the first of that name (its
// source made anew); else a chapter renamed in place, the same row with the same length and a
// name `before` did not have. -1 when it is gone or cannot be told.
int FindChapterAgain(const QList<ContentsIndex::Line> &before, int row,
                     const QList<ContentsIndex::Line> &now);
