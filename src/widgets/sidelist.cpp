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
        if (m_list->rowHeight() > 0)
            size.setHeight(m_list->rowHeight());
        return size;
    }

private:
    const SideList *m_list;
};

} // namespace

SideList::SideList(QWidget *parent) : QListWidget(parent)
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
    m_extent = qMax(pixels, 0);
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
    QListWidget::updateGeometries();
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
