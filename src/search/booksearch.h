// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"

#include <QHash>
#include <QString>

#include <functional>

// Finds a text in every chapter of a book, letter case ignored. Each chapter is read straight
// from its byte range in the book by a worker process of its own, two side by side: no scratch
// file and no copy. A chapter that takes its worker past a limit (too long on a page, too much
// memory) or makes it fail is named as skipped, and the search goes on with the next. Matches come
// in book order: chapter, page, place on the page. A damaged chapter is told once, through
// `skipped`.
namespace BookSearch
{

struct Match {
    int chapter = 0; // from 0
    int page = 0;    // from 0
    // The how-many-th match on its page, from 0: where the view's own find goes.
    int onPage = 0;
    QString chapterName;
    // Up to `ContextLength` characters either side of the match and the match, on one line.
    QString context;
};

constexpr int ContextLength = 20;

// What the search tells as it goes. `found` and `skipped` are called in book order on the thread
// that runs the search; `goOn` after each chapter, with the chapters done, may return false to
// stop.
// Why a chapter was not searched, or not to its end.
enum class Skip {
    Damaged, // a damaged index line, a range outside the book, bytes that are no PDF
    Locked,  // locked with no password or a wrong one
    GivenUp, // the worker reading it broke a limit or failed; matches before are told
    NoText,  // searched, but no page holds any text: pictures of pages, as a scan has them
};

struct Listener {
    std::function<void(const Match &)> found;
    // Told before the chapter's matches; `reason` in a line of English.
    std::function<void(int chapter, const QString &name, const QString &reason, Skip skip)> skipped;
    std::function<bool(int chaptersDone)> goOn;
    // Optional: asked between pages on the threads that search the chapters. True stops at
    // once; nothing of the chapters under way is told.
    std::function<bool()> stopNow;
};

enum class Outcome { Finished, Stopped, BookUnreadable };

// The passwords of locked chapters, by chapter (from 0).
using Passwords = QHash<int, QString>;

// Searches the book at `bookPath`, whose index gave `contents`, for `text`, locked chapters with
// their `passwords`. BookUnreadable, with the reason in `error`, when the book cannot be read or
// has changed since its index was read: the search stops there.
Outcome run(const QString &bookPath, const BookContents &contents, const QString &text,
            const Listener &listener, QString *error, const Passwords &passwords = {});

// The matches of `text` in the text of one page, as `run` gives them (chapter fields unset).
QList<Match> matchesInPage(const QString &pageText, const QString &text);

// Which of `matches`, in book order, to go to from the place being read (`chapter` and `page`,
// from 0): with `direction` 1 the first at or after that page, with -1 the last at or before it,
// round the ends; from `chosen`, the one gone to last, while it is on that page. -1 without
// matches.
int matchFrom(const QList<Match> &matches, int chosen, int chapter, int page, int direction);

} // namespace BookSearch
