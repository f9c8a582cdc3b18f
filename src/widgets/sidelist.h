// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "widgets/textlist.h"

// A side list of the reader window. Like the list box it stands for, it scrolls sideways only
// as far as it has been told its lines reach: the horizontal extent, in pixels, set after every
// change of its lines. Its horizontal scroll bar shows while that extent is wider than the
// visible part of the list, however wide the lines really are. Every line is laid out as wide
// as the extent, so its whole text comes into view when scrolled to.
class SideList : public TextList
{
    Q_OBJECT

public:
    explicit SideList(QWidget *parent = nullptr);

    void setHorizontalExtent(int pixels);
    int horizontalExtent() const { return m_extent; }

    // Every row is this many pixels high; 0 leaves the height to the font.
    void setRowHeight(int pixels);
    int rowHeight() const { return m_rowHeight; }

protected:
    void updateGeometries() override;

private:
    void keepExtent();

    int m_extent = 0;
    int m_rowHeight = 0;
};
