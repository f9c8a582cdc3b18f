// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QPoint>
#include <QSize>

// The reader window's layout arithmetic, all in twips. W and H are the window's outer size
// (borders, title and menu bar included), as the window was designed; the view's right edge
// stays at W - 200 and only its left edge moves: 3720 while the side panel is shown, 60 while it
// is hidden.
namespace ReaderLayout
{

constexpr int MinimumWidth = 8800;
constexpr int MinimumHeight = 6500;
constexpr int ShownViewLeft = 3720;
constexpr int HiddenViewLeft = 60;
constexpr int ViewTop = 60;
// The outer size less the client area below the menu bar, for the frame the design was drawn on.
constexpr int FrameWidth = 120;
constexpr int FrameHeight = 810;

// The outer size for a client area of the given size in pixels.
QSize outerSizeOf(QSize clientPixels);
// The smallest client area, in pixels, whose outer size is at least the minimum.
QSize minimumClientPixels();

// Where the view lies across the window; the start panel always takes the same left and width.
struct Column {
    int left = 0;
    int width = 0;
};

struct Layout {
    QSize outer;        // the outer size laid out for: never below the minimum
    bool grown = false; // the given size was below the minimum and had to grow
    Column view;        // the start panel takes the same column
    int viewHeight = 0; // the start panel takes the same height
    int sidePanelHeight = 0;
    int listHeight = 0; // both side lists
};

// The layout for outer size `outer`, the side panel shown or not.
Layout layout(QSize outer, bool sidePanelShown);

// The view's column in a window `outerWidth` wide, the side panel shown or not.
Column column(int outerWidth, bool sidePanelShown);

// The top-left corner of content of size `content` centred in a panel of size `panel`; a
// dimension in which the content is larger than the panel starts at 0.
QPoint centeredContent(QSize panel, QSize content);

} // namespace ReaderLayout
