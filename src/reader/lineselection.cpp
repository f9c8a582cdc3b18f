#include "reader/lineselection.h"

#include <QEvent>
#include <QListWidget>

LineSelection::LineSelection(QListWidget *list) : QObject(list), m_list(list)
{
    connect(list, &QListWidget::currentRowChanged, this, &LineSelection::takeCurrentRow);
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

void LineSelection::takeCurrentRow(int row)
{
    const QListWidgetItem *item = m_list->item(row);
    if (!item || !item->isSelected())
        return;
    m_reportedRow = row;
    emit lineChosen(row);
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
