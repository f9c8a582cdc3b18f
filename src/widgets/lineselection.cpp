// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/lineselection.h"

#include <QEvent>
#include <QListWidget>

LineSelection::LineSelection(QListWidget *list) : QObject(list), m_list(list)
{
    connect(list, &QListWidget::itemSelectionChanged, this, &LineSelection::takeSelection);
    connect(list, &QListWidget::clicked, this, &LineSelection::takeClick);
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
    const QList<QListWidgetItem *> selected = m_list->selectedItems();
    if (selected.size() != 1)
        return;
    m_reportedRow = m_list->row(selected.first());
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
