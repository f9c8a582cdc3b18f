// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/layout/pagelayout.h"

#include <QtMath>

#include <algorithm>

namespace
{

const QSizeF A4(595.0, 842.0);

QSizeF usable(const QSizeF &size)
{
    const bool good = size.width() > 0 && size.height() > 0 && qIsFinite(size.width()) &&
                      qIsFinite(size.height()) && size.width() < 1e6 && size.height() < 1e6;
    return good ? size : A4;
}

} // namespace

void PageLayout::setPages(const QList<QSizeF> &pointSizes)
{
    m_points.clear();
    for (const QSizeF &size : pointSizes)
        m_points << usable(size);
    relayout();
}

void PageLayout::setZoom(double zoom)
{
    m_zoom = clampZoom(zoom);
    relayout();
}

void PageLayout::setQuarterTurns(int turns)
{
    m_turns = ((turns % 4) + 4) % 4;
    relayout();
}

void PageLayout::setViewportWidth(int width)
{
    m_viewportWidth = qMax(width, 0);
    relayout();
}

QSizeF PageLayout::shownPointSize(int page) const
{
    const QSizeF size = m_points.value(page, A4);
    return m_turns % 2 ? size.transposed() : size;
}

QRect PageLayout::pageRect(int page) const
{
    return m_rects.value(page);
}

QSize PageLayout::contentSize() const
{
    return m_content;
}

void PageLayout::relayout()
{
    const double scale = pixelsPerPoint(m_zoom);
    QList<QSize> sizes;
    int widest = 0;
    for (int page = 0; page < pageCount(); ++page) {
        const QSizeF points = shownPointSize(page);
        sizes << QSize(qMax(1, qRound(points.width() * scale)),
                       qMax(1, qRound(points.height() * scale)));
        widest = qMax(widest, sizes.last().width());
    }
    const int width = qMax(m_viewportWidth, widest + 2 * Gap);
    m_rects.clear();
    int top = Gap;
    for (const QSize &size : sizes) {
        m_rects << QRect(QPoint((width - size.width()) / 2, top), size);
        top += size.height() + Gap;
    }
    m_content = sizes.isEmpty() ? QSize() : QSize(width, top);
}

int PageLayout::pageAt(int y) const
{
    if (m_rects.isEmpty())
        return -1;
    // The first page whose bottom edge is at or below y.
    const auto below =
        std::lower_bound(m_rects.cbegin(), m_rects.cend(), y,
                         [](const QRect &rect, int at) { return rect.bottom() < at; });
    return below == m_rects.cend() ? pageCount() - 1 : int(below - m_rects.cbegin());
}

PageLayout::Place PageLayout::placeAt(QPoint contentPoint) const
{
    const int page = pageAt(contentPoint.y());
    if (page < 0)
        return {};
    const QRect rect = pageRect(page);
    return {page, QPointF(double(contentPoint.x() - rect.x()) / rect.width(),
                          double(contentPoint.y() - rect.y()) / rect.height())};
}

QPoint PageLayout::pointOf(const Place &place) const
{
    if (place.page < 0 || place.page >= pageCount())
        return {};
    const QRect rect = pageRect(place.page);
    return {rect.x() + qRound(place.fraction.x() * rect.width()),
            rect.y() + qRound(place.fraction.y() * rect.height())};
}

double PageLayout::fitWidthZoom(int viewportWidth) const
{
    double widest = 0;
    for (int page = 0; page < pageCount(); ++page)
        widest = qMax(widest, shownPointSize(page).width());
    if (widest <= 0)
        return 1.0;
    return clampZoom((viewportWidth - 2 * Gap) / pixelsPerPoint(1.0) / widest);
}

double PageLayout::fitPageZoom(QSize viewport) const
{
    double zoom = fitWidthZoom(viewport.width());
    for (int page = 0; page < pageCount(); ++page) {
        const double height = shownPointSize(page).height();
        zoom = qMin(zoom, (viewport.height() - 2 * Gap) / pixelsPerPoint(1.0) / height);
    }
    return clampZoom(zoom);
}

double PageLayout::clampZoom(double zoom)
{
    return qIsFinite(zoom) ? qBound(SmallestZoom, zoom, LargestZoom) : 1.0;
}

double PageLayout::nextZoomLevel(double zoom, int direction)
{
    if (direction > 0) {
        for (const double level : ZoomLevels) {
            if (level > zoom + 1e-6)
                return level;
        }
    } else {
        for (auto it = std::rbegin(ZoomLevels); it != std::rend(ZoomLevels); ++it) {
            if (*it < zoom - 1e-6)
                return *it;
        }
    }
    return zoom;
}

QPointF PageLayout::toPageCoordinates(QPointF shown, int quarterTurns)
{
    const double x = shown.x();
    const double y = shown.y();
    switch (((quarterTurns % 4) + 4) % 4) {
    case 1:
        return {y, 1 - x};
    case 2:
        return {1 - x, 1 - y};
    case 3:
        return {1 - y, x};
    default:
        return shown;
    }
}

QRectF PageLayout::toShownCoordinates(const QRectF &onPage, int quarterTurns)
{
    // The inverse turn of each corner.
    const auto shown = [quarterTurns](QPointF point) {
        return toPageCoordinates(point, 4 - quarterTurns);
    };
    return QRectF(shown(onPage.topLeft()), shown(onPage.bottomRight())).normalized();
}

QRectF PageLayout::toNormalised(const QRectF &points, const QSizeF &size)
{
    return QRectF(points.x() / size.width(), points.y() / size.height(),
                  points.width() / size.width(), points.height() / size.height());
}
