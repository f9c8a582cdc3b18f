// SPDX-License-Identifier: GPL-2.0-or-later
#include "search/searchmatches.h"

void SearchMatches::clear(int firstPage, int pageCount)
{
    m_pages.clear();
    m_count = 0;
    m_firstPage = firstPage;
    m_pageCount = pageCount;
    m_current = Match();
    m_index = -1;
    m_moved = false;
}

int SearchMatches::searchOrder(int page) const
{
    return m_pageCount > 0 ? (page - m_firstPage + m_pageCount) % m_pageCount : page;
}

void SearchMatches::add(int page, const QList<QRectF> &areas)
{
    if (areas.isEmpty() || m_pages.contains(page))
        return;
    m_pages.insert(page, areas);
    m_count += int(areas.size());
    if (!m_moved && (m_index < 0 || searchOrder(page) < searchOrder(m_current.page))) {
        m_current = {page, areas.first()};
        m_index = 0;
    }
}

void SearchMatches::next()
{
    if (m_index < 0)
        return;
    m_moved = true;
    const QList<QRectF> &here = m_pages[m_current.page];
    if (m_index + 1 < here.size()) {
        m_current.area = here.at(++m_index);
        return;
    }
    auto it = m_pages.upperBound(m_current.page);
    if (it == m_pages.end())
        it = m_pages.begin();
    m_index = 0;
    m_current = {it.key(), it.value().first()};
}

void SearchMatches::previous()
{
    if (m_index < 0)
        return;
    m_moved = true;
    if (m_index > 0) {
        m_current.area = m_pages[m_current.page].at(--m_index);
        return;
    }
    auto it = m_pages.lowerBound(m_current.page);
    it = it == m_pages.begin() ? std::prev(m_pages.end()) : std::prev(it);
    m_index = int(it.value().size()) - 1;
    m_current = {it.key(), it.value().last()};
}

void SearchMatches::choose(int page, int onPage)
{
    const QList<QRectF> here = m_pages.value(page);
    if (onPage < 0 || onPage >= here.size())
        return;
    m_moved = true;
    m_index = onPage;
    m_current = {page, here.at(onPage)};
}

int SearchMatches::number() const
{
    if (m_index < 0)
        return 0;
    int before = 0;
    for (auto it = m_pages.cbegin(); it != m_pages.cend() && it.key() < m_current.page; ++it)
        before += int(it.value().size());
    return before + m_index + 1;
}

SearchMatches::Match SearchMatches::current() const
{
    return m_current;
}
