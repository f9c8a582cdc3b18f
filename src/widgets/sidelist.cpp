// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/sidelist.h"

#include <QScrollBar>
#include <QStyledItemDelegate>

namespace
{

class FixedRowDelegate : public QStyledItemDelegate
{
public:
    explicit FixedRowDelegate(SideList *list) : QStyledItemDelegate(list), m_list(list) {}

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        size.setWidth(m_list->horizontalExtent());
        if (m_list->rowHeight() > 0)
            size.setHeight(m_list->rowHeight());
        return size;
    }

private:
    const SideList *m_list;
};

} // namespace

SideList::SideList(QWidget *parent) : TextList(parent)
{
    setItemDelegate(new FixedRowDelegate(this));
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // A line longer than the list is cut at the edge, not shortened with an ellipsis.
    setTextElideMode(Qt::ElideNone);
    // The list view sets the range from its lines in more places than one.
    connect(horizontalScrollBar(), &QScrollBar::rangeChanged, this, &SideList::keepExtent);
}

void SideList::setHorizontalExtent(int pixels)
{
    const int extent = qMax(pixels, 0);
    if (extent == m_extent) {
        keepExtent();
        return;
    }
    m_extent = extent;
    // The rows, all as wide as the extent, are laid out again.
    doItemsLayout();
    keepExtent();
}

void SideList::setRowHeight(int pixels)
{
    m_rowHeight = qMax(pixels, 0);
    // Rows are laid out again with the new height.
    doItemsLayout();
}

void SideList::updateGeometries()
{
    TextList::updateGeometries();
    keepExtent();
}

void SideList::keepExtent()
{
    QScrollBar *bar = horizontalScrollBar();
    const int visible = viewport()->width();
    const int maximum = qMax(0, m_extent - visible);
    if (bar->minimum() != 0 || bar->maximum() != maximum)
        bar->setRange(0, maximum);
    bar->setPageStep(visible);
    bar->setSingleStep(qMax(1, fontMetrics().averageCharWidth()));
}
