// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagecache.h"

#include <QtMath>

namespace
{

bool sameScale(double a, double b)
{
    return qAbs(a - b) < 1e-9;
}

} // namespace

qint64 PageCache::costOf(const Entry &entry)
{
    return entry.image.sizeInBytes();
}

void PageCache::insert(Entry entry)
{
    const qint64 cost = costOf(entry);
    if (cost > Budget)
        return;
    // The same drawing comes again only redrawn; a whole page makes its parts redundant.
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        const Entry &old = m_entries.at(i);
        if (old.page == entry.page && sameScale(old.scale, entry.scale) &&
            old.quarterTurns == entry.quarterTurns &&
            (old.part == entry.part || entry.part.isEmpty())) {
            m_bytes -= costOf(old);
            m_entries.removeAt(i);
        }
    }
    while (!m_entries.isEmpty() && m_bytes + cost > Budget) {
        m_bytes -= costOf(m_entries.first());
        m_entries.removeFirst();
    }
    m_bytes += cost;
    m_entries.append(std::move(entry));
}

const PageCache::Entry *PageCache::find(int page, double scale, int quarterTurns, const QRect &part)
{
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        const Entry &entry = m_entries.at(i);
        if (entry.page != page || !sameScale(entry.scale, scale) ||
            entry.quarterTurns != quarterTurns)
            continue;
        const bool covers = entry.part.isEmpty() || (!part.isEmpty() && entry.part.contains(part));
        if (!covers)
            continue;
        m_entries.move(i, m_entries.size() - 1);
        return &m_entries.last();
    }
    return nullptr;
}

void PageCache::dropFarFrom(int first, int last)
{
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        const Entry &entry = m_entries.at(i);
        if (entry.failed || (entry.page >= first - Near && entry.page <= last + Near))
            continue;
        m_bytes -= costOf(entry);
        m_entries.removeAt(i);
    }
}

const PageCache::Entry *PageCache::anyOf(int page, int quarterTurns) const
{
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        const Entry &entry = m_entries.at(i);
        if (entry.page == page && entry.quarterTurns == quarterTurns && entry.part.isEmpty() &&
            !entry.failed)
            return &entry;
    }
    return nullptr;
}

const PageCache::Entry *PageCache::latestPart(int page, double scale, int quarterTurns) const
{
    for (int i = m_entries.size() - 1; i >= 0; --i) {
        const Entry &entry = m_entries.at(i);
        if (entry.page == page && sameScale(entry.scale, scale) &&
            entry.quarterTurns == quarterTurns && !entry.part.isEmpty() && !entry.failed)
            return &entry;
    }
    return nullptr;
}

void PageCache::clear()
{
    m_entries.clear();
    m_bytes = 0;
}
