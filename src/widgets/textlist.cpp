// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/textlist.h"

#include <QMouseEvent>

TextList::TextList(QWidget *parent) : QListView(parent), m_lines(this)
{
    setModel(&m_lines);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setUniformItemSizes(true);
}

int TextList::currentRow() const
{
    return currentIndex().row();
}

void TextList::setCurrentRow(int row)
{
    setCurrentIndex(m_lines.index(row));
}

int TextList::selectedRow() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.size() == 1 ? selected.first().row() : -1;
}

void TextList::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::RightButton)
        return event->accept();
    QListView::mousePressEvent(event);
}

void TextList::selectionChanged(const QItemSelection &selected, const QItemSelection &deselected)
{
    QListView::selectionChanged(selected, deselected);
    emit selectedLineChanged();
}
