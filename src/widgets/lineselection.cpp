// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/lineselection.h"

#include "widgets/textlist.h"

#include <QEvent>

LineSelection::LineSelection(TextList *list) : QObject(list), m_list(list)
{
    connect(list, &TextList::selectedLineChanged, this, &LineSelection::takeSelection);
    connect(list, &TextList::clicked, this, &LineSelection::takeClick);
    list->viewport()->installEventFilter(this);
}

// Seen before the list handles the press, so a selection the press makes is told apart from
// one made earlier.
bool LineSelection::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress)
        m_reportedRow = -1;
    return QObject::eventFilter(watched, event);
}

// A press, a drag and a key all change the selection; a current line that focus sets alone
// selects nothing.
void LineSelection::takeSelection()
{
    const int row = m_list->selectedRow();
    if (row < 0)
        return;
    m_reportedRow = row;
    emit lineChosen(m_reportedRow);
}

void LineSelection::takeClick(const QModelIndex &index)
{
    const int row = index.row();
    if (row == m_reportedRow) {
        m_reportedRow = -1;
        return;
    }
    if (row >= 0 && row < m_list->count())
        emit lineChosen(row);
}
