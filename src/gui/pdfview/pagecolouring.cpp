// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagecolouring.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace
{

const QColor WarmPaper(0xf5, 0xe9, 0xcf);

// A coloured pixel is lifted to at least its own chroma in lightness, up to this: pure green
// (L* 88) would otherwise fall to L* 12 and red to 47, too dark to read on black, and L* 50 gives
// 4.7:1 against black. Greys have no chroma, so they only ever invert, and the faint colours at
// the edges of coloured text stay darker than its middle.
constexpr float ColourFloor = 50;

struct Lab {
    float l, a, b;
};

float toLinear(float channel)
{
    return channel <= 0.04045f ? channel / 12.92f : std::pow((channel + 0.055f) / 1.055f, 2.4f);
}

float toSrgb(float linear)
{
    return linear <= 0.0031308f ? 12.92f * linear : 1.055f * std::pow(linear, 1 / 2.4f) - 0.055f;
}

float labF(float t)
{
    return t > 216.0f / 24389 ? std::cbrt(t) : (24389.0f / 27 * t + 16) / 116;
}

float labFInverse(float f)
{
    return f > 6.0f / 29 ? f * f * f : (116 * f - 16) * 27 / 24389;
}

// sRGB under D65, XYZ taken relative to the white point so that greys come out with a = b = 0.
Lab toLab(float red, float green, float blue)
{
    const float r = toLinear(red), g = toLinear(green), b = toLinear(blue);
    const float x = (0.4124564f * r + 0.3575761f * g + 0.1804375f * b) / 0.95047f;
    const float y = 0.2126729f * r + 0.7151522f * g + 0.0721750f * b;
    const float z = (0.0193339f * r + 0.1191920f * g + 0.9503041f * b) / 1.08883f;
    const float fy = labF(y);
    return {116 * fy - 16, 500 * (labF(x) - fy), 200 * (fy - labF(z))};
}

std::array<float, 3> toLinearRgb(const Lab &lab)
{
    const float fy = (lab.l + 16) / 116;
    const float x = labFInverse(fy + lab.a / 500) * 0.95047f;
    const float y = labFInverse(fy);
    const float z = labFInverse(fy - lab.b / 200) * 1.08883f;
    return {3.2404542f * x - 1.5371385f * y - 0.4985314f * z,
            -0.9692660f * x + 1.8760108f * y + 0.0415560f * z,
            0.0556434f * x - 0.2040259f * y + 1.0572252f * z};
}

bool inGamut(const std::array<float, 3> &rgb)
{
    constexpr float slack = 1e-4f;
    return std::all_of(rgb.begin(), rgb.end(),
                       [](float c) { return c >= -slack && c <= 1 + slack; });
}

// The largest share of the chroma that fits in sRGB at this lightness and hue: clipping the
// channels instead would turn a light blue purple or grey-green.
Lab fitChroma(const Lab &lab)
{
    if (inGamut(toLinearRgb(lab)))
        return lab;
    float fits = 0, fails = 1;
    for (int step = 0; step < 16; ++step) {
        const float share = (fits + fails) / 2;
        (inGamut(toLinearRgb({lab.l, lab.a * share, lab.b * share})) ? fits : fails) = share;
    }
    return {lab.l, lab.a * fits, lab.b * fits};
}

int toChannel(float linear)
{
    return std::clamp(int(std::lround(255 * toSrgb(std::clamp(linear, 0.0f, 1.0f)))), 0, 255);
}

QRgb nightColour(float red, float green, float blue)
{
    const Lab lab = toLab(red, green, blue);
    const float chroma = std::hypot(lab.a, lab.b);
    const float floor = std::min(chroma, ColourFloor);
    const auto rgb = toLinearRgb(fitChroma({std::max(100 - lab.l, floor), lab.a, lab.b}));
    return qRgb(toChannel(rgb[0]), toChannel(rgb[1]), toChannel(rgb[2]));
}

// The night colours of every grey, exactly, and of a 33-point grid over the RGB cube, read with
// tetrahedral interpolation: computing CIELAB for each pixel would cost far more than a page's
// drawing allows. Most of a page is paper and grey text, which the grey table answers alone.
class NightTable
{
public:
    static constexpr int Steps = 32;

    NightTable()
    {
        for (int grey = 0; grey < 256; ++grey)
            m_greys[grey] = nightColour(grey / 255.0f, grey / 255.0f, grey / 255.0f);
        m_grid.resize((Steps + 1) * (Steps + 1) * (Steps + 1));
        for (int r = 0; r <= Steps; ++r)
            for (int g = 0; g <= Steps; ++g)
                for (int b = 0; b <= Steps; ++b)
                    m_grid[index(r, g, b)] =
                        nightColour(float(r) / Steps, float(g) / Steps, float(b) / Steps);
    }

    QRgb operator()(int red, int green, int blue) const
    {
        if (red == green && green == blue)
            return m_greys[red];
        // The tetrahedron of the cell holding the point runs from the cell's lowest corner along
        // the axes in the order of their fractions, largest first, to its highest corner.
        Step first = step(red, (Steps + 1) * (Steps + 1));
        Step second = step(green, Steps + 1);
        Step third = step(blue, 1);
        if (first.fraction < second.fraction)
            std::swap(first, second);
        if (second.fraction < third.fraction)
            std::swap(second, third);
        if (first.fraction < second.fraction)
            std::swap(first, second);
        const int corner = first.corner + second.corner + third.corner;
        const QRgb *lowest = &m_grid[corner];
        const QRgb *next = lowest + first.stride;
        const QRgb *after = next + second.stride;
        const QRgb *highest = after + third.stride;
        // Red and blue are weighed together in one word, greens in another: the weights add up to
        // 255, so no channel's sum reaches the next.
        quint32 redBlue = 0, greens = 0;
        auto add = [&](const QRgb *colour, quint32 weight) {
            redBlue += weight * (*colour & 0xff00ff);
            greens += weight * (*colour & 0x00ff00);
        };
        add(lowest, 255 - first.fraction);
        add(next, first.fraction - second.fraction);
        add(after, second.fraction - third.fraction);
        add(highest, third.fraction);
        return 0xff000000 | (divideBy255(redBlue) & 0xff00ff) |
               ((divideBy255(greens >> 8) & 0xff) << 8);
    }

private:
    struct Step {
        int fraction; // of 255, into the cell
        int corner;   // the cell's lowest corner along this axis, as an offset in the grid
        int stride;
    };

    // Each 16-bit half of `sums` divided by 255, rounded.
    static quint32 divideBy255(quint32 sums)
    {
        const quint32 rounded = sums + 0x00800080;
        return (rounded + ((rounded >> 8) & 0x00ff00ff)) >> 8;
    }

    static Step step(int channel, int stride)
    {
        const int scaled = channel * Steps;
        const int index = std::min(scaled / 255, Steps - 1);
        return {scaled - index * 255, index * stride, stride};
    }
    static int index(int r, int g, int b) { return (r * (Steps + 1) + g) * (Steps + 1) + b; }

    std::array<QRgb, 256> m_greys;
    std::vector<QRgb> m_grid;
};

const NightTable &nightTable()
{
    static const NightTable table;
    return table;
}

QRgb night(QRgb pixel, const NightTable &table, bool premultiplied)
{
    const int alpha = qAlpha(pixel);
    const QRgb straight = premultiplied && alpha != 255 ? qUnpremultiply(pixel) : pixel;
    const QRgb shown = table(qRed(straight), qGreen(straight), qBlue(straight));
    const QRgb withAlpha = qRgba(qRed(shown), qGreen(shown), qBlue(shown), alpha);
    return premultiplied && alpha != 255 ? qPremultiply(withAlpha) : withAlpha;
}

QRgb warm(QRgb pixel)
{
    return qRgba(qRed(pixel) * WarmPaper.red() / 255, qGreen(pixel) * WarmPaper.green() / 255,
                 qBlue(pixel) * WarmPaper.blue() / 255, qAlpha(pixel));
}

// Most of a page is white paper: it takes one comparison.
template <typename Recolour> void recolour(QImage &image, QRgb paperShown, Recolour recolourPixel)
{
    const QRgb white = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        auto *pixel = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (QRgb *end = pixel + image.width(); pixel != end; ++pixel)
            *pixel = *pixel == white ? paperShown : recolourPixel(*pixel);
    }
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
    const QRgb paperShown = paper(colours).rgb();
    if (colours == PageColours::Warm)
        return recolour(image, paperShown, warm);
    const bool premultiplied = image.format() == QImage::Format_ARGB32_Premultiplied;
    const NightTable &table = nightTable();
    recolour(image, paperShown, [&](QRgb pixel) { return night(pixel, table, premultiplied); });
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
