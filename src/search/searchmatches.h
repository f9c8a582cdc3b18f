// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QMap>
#include <QRectF>

// The matches of a search as they come in, page by page and in any order, kept in document
// order, and the one the user is at. Until the user moves, the match at is the first one from
// the page the search started at onwards, round to the page before it.
class SearchMatches
{
public:
    struct Match {
        int page = -1;
        QRectF area; // in the page's normalised coordinates
    };

    void clear(int firstPage, int pageCount);
    void add(int page, const QList<QRectF> &areas);
    // Move to the next or previous match in document order, round from the last to the first.
    void next();
    void previous();
    // Move to the `onPage`-th match (from 0) of `page`; nothing changes for a match not known.
    void choose(int page, int onPage);

    int count() const { return m_count; }
    // Counted from 1 in document order; 0 without matches.
    int number() const;
    Match current() const;
    // Which of its page's matches the current one is, from 0; -1 without matches.
    int currentOnPage() const { return m_index; }
    QList<QRectF> on(int page) const { return m_pages.value(page); }

private:
    int searchOrder(int page) const;

    QMap<int, QList<QRectF>> m_pages;
    int m_count = 0;
    int m_firstPage = 0;
    int m_pageCount = 0;
    Match m_current;
    int m_index = -1; // within m_current.page
    bool m_moved = false;
};
