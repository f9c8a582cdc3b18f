// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/listfitting.h"

#include "widgets/sidelist.h"
#include "widgets/textwidths.h"

int Module1::MeasureListWidth(const TextList &list)
{
    if (list.count() == 0)
        return 0;
    const LineListModel &lines = list.lines();
    return TextWidths(list.font()).widest(list.count(), [&](int row) { return lines.text(row); }) +
           8;
}

void Module1::FitList(SideList &list)
{
    list.setHorizontalExtent(MeasureListWidth(list));
}
