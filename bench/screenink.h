// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

namespace ScreenInk
{

// Whether `widget` shows anything dark: a page drawn, not yet only its blank paper. Every other
// pixel of every other row is looked at, which finds a line of text.
inline bool showsInk(QWidget *widget)
{
    const QImage shot = widget->grab().toImage();
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 2) {
            if (qGray(shot.pixel(x, y)) < 100)
                return true;
        }
    }
    return false;
}

} // namespace ScreenInk
