// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QRect>

// Window geometry is designed in twips: 15 twips are one device-independent pixel. A place in
// twips becomes pixels by rounding each edge to the nearest pixel, so neighbouring controls that
// share an edge in twips share it in pixels too.
namespace Twips
{

constexpr int PerPixel = 15;

int toPixels(int twips);
int fromPixels(int pixels);

// left, top, width and height in twips to the pixel rectangle with rounded edges.
QRect toPixelRect(int left, int top, int width, int height);
QRect toPixelRect(const QRect &twipsRect);

} // namespace Twips
