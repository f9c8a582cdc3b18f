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

bool ReaderLayout::sidePanelShown(int viewLeft)
{
    return viewLeft == ShownViewLeft;
}

ReaderLayout::Layout ReaderLayout::layout(QSize outer, int viewLeft)
{
    Layout result;
    result.outer = QSize(qMax(outer.width(), MinimumWidth), qMax(outer.height(), MinimumHeight));
    result.grown = result.outer != outer;
    const int width = result.outer.width();
    const int height = result.outer.height();
    result.view = sidePanelShown(viewLeft)
                      ? Column{ShownViewLeft, viewWidthFrom(width, ShownViewLeft)}
                      : hiddenColumn(width);
    result.viewHeight = height - 945;
    result.sidePanelHeight = height - 825;
    result.listHeight = result.sidePanelHeight - 1005;
    return result;
}

ReaderLayout::Column ReaderLayout::hiddenColumn(int outerWidth)
{
    return Column{HiddenViewLeft, viewWidthFrom(outerWidth, HiddenViewLeft)};
}

ReaderLayout::Column ReaderLayout::toggledColumn(int outerWidth, int viewLeft)
{
    if (sidePanelShown(viewLeft))
        return hiddenColumn(outerWidth);
    return Column{ShownViewLeft, viewWidthFrom(outerWidth, ShownViewLeft)};
}

QPoint ReaderLayout::centeredContent(QSize panel, QSize content)
{
    const int left = content.width() > panel.width() ? 0 : (panel.width() - content.width()) / 2;
    const int top = content.height() > panel.height() ? 0 : (panel.height() - content.height()) / 2;
    return QPoint(left, top);
}
