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

void PageLayout::setSpread(Spread spread)
{
    m_spread = spread;
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

QList<PageLayout::Row> PageLayout::rows() const
{
    QList<Row> made;
    int page = 0;
    if (m_spread == Spread::TwoPagesCover && pageCount() > 0)
        made.append({page++, 1, 1});
    const int perRow = m_spread == Spread::Single ? 1 : 2;
    for (; page < pageCount(); page += perRow)
        made.append({page, qMin(perRow, pageCount() - page), 0});
    return made;
}

// A page alone in a two-page row takes the room of two.
QSizeF PageLayout::rowPoints(const Row &row) const
{
    QSizeF points(0, 0);
    for (int page = row.first; page < row.first + row.count; ++page) {
        const QSizeF size = shownPointSize(page);
        points = QSizeF(points.width() + size.width(), qMax(points.height(), size.height()));
    }
    if (m_spread != Spread::Single && row.count == 1)
        points.setWidth(2 * points.width());
    return points;
}

void PageLayout::relayout()
{
    const double scale = pixelsPerPoint(m_zoom);
    const auto pixels = [scale](double points) { return qMax(1, qRound(points * scale)); };
    m_rows = rows();
    int widest = 0;
    for (const Row &row : std::as_const(m_rows)) {
        const int between = m_spread == Spread::Single ? 0 : Gap;
        widest = qMax(widest, pixels(rowPoints(row).width()) + between);
    }
    const int width = qMax(m_viewportWidth, widest + 2 * Gap);
    m_rects.clear();
    m_rowBottoms.clear();
    int top = Gap;
    for (const Row &row : std::as_const(m_rows)) {
        const int between = m_spread == Spread::Single ? 0 : Gap;
        int left = (width - pixels(rowPoints(row).width()) - between) / 2;
        int height = 0;
        for (int page = row.first; page < row.first + row.count; ++page) {
            const QSizeF points = shownPointSize(page);
            const QSize size(pixels(points.width()), pixels(points.height()));
            if (row.side == 1)
                left += size.width() + between;
            m_rects << QRect(QPoint(left, top), size);
            left += size.width() + between;
            height = qMax(height, size.height());
        }
        top += height + Gap;
        m_rowBottoms << top - Gap - 1;
    }
    m_content = m_rows.isEmpty() ? QSize() : QSize(width, top);
}

// The first row whose bottom edge is at or below y.
int PageLayout::rowAt(int y) const
{
    const auto below = std::lower_bound(m_rowBottoms.cbegin(), m_rowBottoms.cend(), y);
    return below == m_rowBottoms.cend() ? int(m_rows.size()) - 1
                                        : int(below - m_rowBottoms.cbegin());
}

int PageLayout::pageAt(int y) const
{
    return m_rows.isEmpty() ? -1 : m_rows.at(rowAt(y)).first;
}

int PageLayout::lastPageAt(int y) const
{
    if (m_rows.isEmpty())
        return -1;
    const Row &row = m_rows.at(rowAt(y));
    return row.first + row.count - 1;
}

PageLayout::Place PageLayout::placeAt(QPoint contentPoint) const
{
    int page = pageAt(contentPoint.y());
    if (page < 0)
        return {};
    if (page < lastPageAt(contentPoint.y()) && contentPoint.x() > pageRect(page).right() + Gap / 2)
        ++page;
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
    for (const Row &row : rows())
        widest = qMax(widest, rowPoints(row).width());
    if (widest <= 0)
        return 1.0;
    const int gaps = m_spread == Spread::Single ? 2 * Gap : 3 * Gap;
    return clampZoom((viewportWidth - gaps) / pixelsPerPoint(1.0) / widest);
}

double PageLayout::fitPageZoom(QSize viewport) const
{
    double zoom = fitWidthZoom(viewport.width());
    for (const Row &row : rows()) {
        const double height = rowPoints(row).height();
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
