// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookgenerator.h"
#include "core/book/chapterplan.h"

// Changes a book in place as a ChapterPlan says: the new book is written beside the old one
// (kept chapters copied from it by the kernel, as `make` copies its sources) and replaces it in
// one rename; its bookmark file follows, every chapter entry keeping its chapter
// (chapterrenumbering.h).
//
// A book and its bookmark file always agree, both old or both new, wherever the program stops:
//   1. the new book is written to an unnamed file beside the old one and synced;
//   2. the bookmark lock is taken (bookmarklock.h), and the book is checked to be the one the
//      plan was made from;
//   3. the new bookmark file is written as a pending file naming the new book
//      (pendingbookmarks.h);
//   4. the new book is renamed over the old one;
//   5. the pending file is renamed over the bookmark file.
// A stop before 4 leaves the old book, and a pending file that names another book, which the
// next opener deletes; a stop after 4, a pending file naming the book, which the next opener
// puts in place. A failure before 4 leaves everything as it was.
enum class EditOutcome {
    Done,
    HasBookmarks, // a chapter removed has bookmarks and dropping them was not allowed
    BookChanged,  // the book is no longer the one the plan was made from: nothing was done
    Failed,       // see `file` and `cause`
};

struct EditResult {
    EditOutcome outcome = EditOutcome::Failed;
    QString file;
    QString cause; // a short English reason
    // Done: the bookmark lines dropped; HasBookmarks: the lines that would have been.
    int bookmarkLines = 0;
    // Done: the book as it is now.
    qint64 bookSize = 0;
    QByteArray indexBytes;
};

struct EditRequest {
    QString bookPath;
    // The book as it was read when the plan was made from it.
    BookContents book;
    ChapterPlan plan;
    bool dropBookmarks = false;
    // The private folder of the scratch index file.
    QString scratchFolder;
};

EditResult EditBook(const EditRequest &request, const GenerationCallback &progress = {});
