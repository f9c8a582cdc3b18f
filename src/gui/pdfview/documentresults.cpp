// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/documentresults.h"

#include "widgets/resultlist.h"

#include <QVBoxLayout>

DocumentResults::DocumentResults(QWidget *parent) : QWidget(parent)
{
    m_list = new ResultList(this);
    m_list->setObjectName(QStringLiteral("findResults"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 4, 2, 2);
    layout->addWidget(m_list);
    connect(m_list, &ResultList::matchChosen, this, &DocumentResults::choose);
}

void DocumentResults::begin(const QString &text)
{
    clear();
    m_text = text;
}

// A find starts at the page shown and goes round: a page before it comes late, and its rows go
// in above those of the pages after it.
void DocumentResults::add(int page, const QStringList &contexts)
{
    if (m_text.isEmpty() || m_pageRows.contains(page))
        return;
    const int row = firstRowAfter(page);
    for (int i = 0; i < contexts.size(); ++i) {
        m_list->addMatch(int(m_matches.size()), QString(), page, contexts.at(i), m_text, row + i);
        m_matches.append({page, i});
    }
    m_pageRows.insert(page, int(contexts.size()));
}

void DocumentResults::finish()
{
    if (m_text.isEmpty())
        return;
    m_list->addNote(m_matches.isEmpty()
                        ? QStringLiteral("未找到“%1”").arg(m_text)
                        : QStringLiteral("“%1”：共 %2 处").arg(m_text).arg(m_matches.size()));
}

void DocumentResults::clear()
{
    m_list->clearRows();
    m_text.clear();
    m_matches.clear();
    m_pageRows.clear();
}

void DocumentResults::showMatch(int page, int onPage)
{
    for (int key = 0; key < m_matches.size(); ++key) {
        if (m_matches.at(key).page == page && m_matches.at(key).onPage == onPage)
            return m_list->showMatch(key);
    }
}

void DocumentResults::choose(int match)
{
    emit chosen(m_matches.at(match).page, m_matches.at(match).onPage);
}

int DocumentResults::firstRowAfter(int page) const
{
    int row = 0;
    for (auto it = m_pageRows.cbegin(); it != m_pageRows.cend() && it.key() < page; ++it)
        row += it.value();
    return row;
}
