// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/listfitting.h"

#include "widgets/sidelist.h"

#include <QFontMetrics>

int Module1::MeasureListWidth(const QListWidget &list)
{
    const QFontMetrics metrics(list.font());
    int widest = 0;
    for (int row = 0; row < list.count(); ++row)
        widest = qMax(widest, metrics.horizontalAdvance(list.item(row)->text()) + 8);
    return widest;
}

void Module1::FitList(SideList &list)
{
    list.setHorizontalExtent(MeasureListWidth(list));
}
