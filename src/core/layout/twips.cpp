// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/layout/twips.h"

#include <cmath>

int Twips::toPixels(int twips)
{
    // Half a pixel rounds away from zero, the same on both sides of the origin.
    return int(std::lround(double(twips) / PerPixel));
}

int Twips::fromPixels(int pixels)
{
    return pixels * PerPixel;
}

QRect Twips::toPixelRect(int left, int top, int width, int height)
{
    const int x = toPixels(left);
    const int y = toPixels(top);
    return QRect(x, y, toPixels(left + width) - x, toPixels(top + height) - y);
}

QRect Twips::toPixelRect(const QRect &twipsRect)
{
    return toPixelRect(twipsRect.x(), twipsRect.y(), twipsRect.width(), twipsRect.height());
}
