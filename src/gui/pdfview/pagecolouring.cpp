// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagecolouring.h"

#include <algorithm>

namespace
{

const QColor WarmPaper(0xf5, 0xe9, 0xcf);

// Lightness is (max + min) / 2; adding (full - max - min) to every channel turns it into
// full - lightness, and leaves the differences between channels, which make hue and
// saturation, as they were. In premultiplied pixels the alpha is the full value.
void invertLightness(QRgb *pixel, int full)
{
    const int red = qRed(*pixel);
    const int green = qGreen(*pixel);
    const int blue = qBlue(*pixel);
    const int shift = full - std::max({red, green, blue}) - std::min({red, green, blue});
    *pixel = qRgba(red + shift, green + shift, blue + shift, qAlpha(*pixel));
}

void warm(QRgb *pixel)
{
    *pixel = qRgba(qRed(*pixel) * WarmPaper.red() / 255, qGreen(*pixel) * WarmPaper.green() / 255,
                   qBlue(*pixel) * WarmPaper.blue() / 255, qAlpha(*pixel));
}

} // namespace

void PageColouring::apply(QImage &image, PageColours colours)
{
    if (colours == PageColours::Normal || image.isNull())
        return;
    const QImage::Format format = image.format();
    if (format != QImage::Format_RGB32 && format != QImage::Format_ARGB32 &&
        format != QImage::Format_ARGB32_Premultiplied)
        image.convertTo(QImage::Format_ARGB32_Premultiplied);
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    // Most of a page is white paper: it takes one comparison.
    const QRgb white = qRgb(255, 255, 255);
    const QRgb paperShown = paper(colours).rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto *pixel = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (QRgb *end = pixel + image.width(); pixel != end; ++pixel) {
            if (*pixel == white)
                *pixel = paperShown;
            else if (colours == PageColours::Warm)
                warm(pixel);
            else
                invertLightness(pixel, premultiplied ? qAlpha(*pixel) : 255);
        }
    }
}

QColor PageColouring::paper(PageColours colours)
{
    switch (colours) {
    case PageColours::Night:
        return Qt::black;
    case PageColours::Warm:
        return WarmPaper;
    case PageColours::Normal:
        break;
    }
    return Qt::white;
}
