// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/layout/pagelayout.h"

#include <QString>

// A place being read: in a book the chapter (its row in the contents, -1 for none), the page
// counted from 1 as the page box counts (0 for none), and how far down that page the view's top
// edge is, as a fraction of the page's height; below 0 for the page's top. PageFoot, the foot of
// the page at the view's top edge, shows the last page of a document at its end.
struct ReadingPlace {
    static constexpr double PageFoot = 1;

    int chapter = -1;
    int page = 0;
    double top = -1;

    bool operator==(const ReadingPlace &other) const
    {
        return chapter == other.chapter && page == other.page && top == other.top;
    }
};

// How the pages are shown: the zoom (0 fits the page's width to the view, -1 the whole page,
// above 0 a fixed scale, 1 for 100%), the quarter turns clockwise (0 to 3) and the spread.
struct PageLook {
    double zoom = 0;
    int quarterTurns = 0;
    PageLayout::Spread spread = PageLayout::Spread::Single;
};

// The colours pages are read in: as printed, light on dark for the night, or on warm paper. The
// stored values are kept in the state file: never renumber them.
enum class PageColours { Normal = 0, Night = 1, Warm = 2 };

// A text found on a page, to be shown as the current match there: the `onPage`-th place of
// `text` on it, counted from 0.
struct FoundText {
    QString text;
    int onPage = -1;
};
