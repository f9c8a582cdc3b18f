// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QRect>

// Drawn pages kept for painting, within a budget of bytes: the least recently used go first.
// An entry is a whole page or a part of one, drawn at one scale and rotation. Pages far from the
// view go as it moves on (dropFarFrom), so paging through a long document keeps only those about
// the view; the budget holds at high zoom and in spreads.
class PageCache
{
public:
    struct Entry {
        int page = 0;
        double scale = 0;
        int quarterTurns = 0;
        QRect part; // empty for the whole page
        QImage image;
        bool failed = false; // could not be drawn: shown blank, never asked again
    };

    static constexpr qint64 Budget = 64 * 1024 * 1024;

    // Replaces the same drawing, and for a whole page every part of it at that scale.
    void insert(Entry entry);
    // The entry drawn at exactly this scale and rotation covering `part` (empty: the whole
    // page), marked as used; nullptr when there is none.
    const Entry *find(int page, double scale, int quarterTurns, const QRect &part = QRect());
    // Any whole page drawn at this rotation, for painting scaled until the right one is drawn.
    const Entry *anyOf(int page, int quarterTurns) const;
    // The part of the page drawn last at this scale and rotation, to paint while a part that
    // covers the view is drawn.
    const Entry *latestPart(int page, double scale, int quarterTurns) const;
    // Drops the pages more than Near pages before `first` or after `last`, the pages in view;
    // a page that could not be drawn stays known as such.
    void dropFarFrom(int first, int last);
    static constexpr int Near = 1;
    void clear();
    qint64 bytes() const { return m_bytes; }

private:
    static qint64 costOf(const Entry &entry);

    QList<Entry> m_entries; // most recently used last
    qint64 m_bytes = 0;
};
