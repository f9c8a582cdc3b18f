// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/layout/readerlayout.h"

#include "core/layout/twips.h"

#include <QtGlobal>

namespace
{

// The view ends 200 twips short of the window's outer right edge in both states.
int viewWidthFrom(int outerWidth, int viewLeft)
{
    return outerWidth - 200 - viewLeft;
}

int ceilDiv(int value, int divisor)
{
    return (value + divisor - 1) / divisor;
}

} // namespace

QSize ReaderLayout::outerSizeOf(QSize clientPixels)
{
    return QSize(Twips::fromPixels(clientPixels.width()) + FrameWidth,
                 Twips::fromPixels(clientPixels.height()) + FrameHeight);
}

QSize ReaderLayout::minimumClientPixels()
{
    return QSize(ceilDiv(MinimumWidth - FrameWidth, Twips::PerPixel),
                 ceilDiv(MinimumHeight - FrameHeight, Twips::PerPixel));
}

ReaderLayout::Layout ReaderLayout::layout(QSize outer, bool sidePanelShown)
{
    Layout result;
    result.outer = QSize(qMax(outer.width(), MinimumWidth), qMax(outer.height(), MinimumHeight));
    result.grown = result.outer != outer;
    const int width = result.outer.width();
    const int height = result.outer.height();
    result.view = column(width, sidePanelShown);
    result.viewHeight = height - 945;
    result.sidePanelHeight = height - 825;
    result.listHeight = result.sidePanelHeight - 1005;
    return result;
}

ReaderLayout::Column ReaderLayout::column(int outerWidth, bool sidePanelShown)
{
    const int left = sidePanelShown ? ShownViewLeft : HiddenViewLeft;
    return Column{left, viewWidthFrom(outerWidth, left)};
}

QPoint ReaderLayout::centeredContent(QSize panel, QSize content)
{
    const int left = content.width() > panel.width() ? 0 : (panel.width() - content.width()) / 2;
    const int top = content.height() > panel.height() ? 0 : (panel.height() - content.height()) / 2;
    return QPoint(left, top);
}
