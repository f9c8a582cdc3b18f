// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <QSizeF>

#include <iterator>

// Where the PDF view draws its pages: in rows one below another, each row centred across the
// content, with a gap around and between them. A row holds one page, or in the two-page layouts
// a spread: pages 1 and 2, 3 and 4 side by side, or with the cover alone pages 2 and 3, 4 and 5,
// as a printed book opens. A page alone in a two-page row keeps its side (the cover the right, a
// last odd page the left), the other side as wide as it; the pages of a row align at their tops.
// Sizes come in points (1/72 inch) and are laid out in device-independent pixels; at zoom 1.0 a
// page shows at its printed size on a 96 dpi screen. A rotation turns every page by whole quarter
// turns clockwise. Pages without a usable size (zero, negative, not a number) are laid out as A4.
class PageLayout
{
public:
    // The stored values are kept in the state file: never renumber them.
    enum class Spread { Single = 0, TwoPages = 1, TwoPagesCover = 2 };

    static constexpr int Gap = 8;
    // The zoom box's levels, which zooming in and out steps through; the first and the last
    // bound every zoom.
    static constexpr double ZoomLevels[] = {0.5, 0.75, 1.0, 1.25, 1.5, 2.0, 3.0, 4.0};
    static constexpr double SmallestZoom = ZoomLevels[0];
    static constexpr double LargestZoom = ZoomLevels[std::size(ZoomLevels) - 1];

    // A place in the document that survives a change of zoom or rotation: a page and the point
    // on it, each coordinate a fraction of the page's laid-out width and height.
    struct Place {
        int page = 0;
        QPointF fraction;
    };

    void setPages(const QList<QSizeF> &pointSizes);
    void setZoom(double zoom);
    void setQuarterTurns(int turns);
    void setSpread(Spread spread);
    // The width the pages are centred in; the content is never narrower than its widest page.
    void setViewportWidth(int width);

    int pageCount() const { return int(m_points.size()); }
    double zoom() const { return m_zoom; }
    int quarterTurns() const { return m_turns; }
    Spread spread() const { return m_spread; }
    // The page's size in points as shown: width and height swapped at a quarter or three.
    QSizeF shownPointSize(int page) const;
    QRect pageRect(int page) const;
    QSize contentSize() const;

    // The first page of the row at content height `y`: the row it falls on, or in a gap the row
    // below it; the first or last row beyond either end; -1 without pages. lastPageAt gives the
    // last page of that row.
    int pageAt(int y) const;
    int lastPageAt(int y) const;
    // The place of a point: on the page of its row nearest to it across.
    Place placeAt(QPoint contentPoint) const;
    QPoint pointOf(const Place &place) const;

    // The zoom at which the widest row, or the whole of the largest row, fits the viewport with
    // its gaps, held to the zoom range.
    double fitWidthZoom(int viewportWidth) const;
    double fitPageZoom(QSize viewport) const;
    static double clampZoom(double zoom);
    // The first level above `zoom` (`direction` 1) or below it (-1); `zoom` itself when there is
    // none that way.
    static double nextZoomLevel(double zoom, int direction);

    // Between a fraction of a page as shown and the page's own normalised coordinates (0 to 1
    // from its top left corner, before the view's rotation).
    static QPointF toPageCoordinates(QPointF shown, int quarterTurns);
    static QRectF toShownCoordinates(const QRectF &onPage, int quarterTurns);
    // A rectangle in points of a page of `size` points, in the page's normalised coordinates.
    static QRectF toNormalised(const QRectF &points, const QSizeF &size);
    static double pixelsPerPoint(double zoom) { return zoom * 96.0 / 72.0; }

private:
    // A row's pages: `first` and, in a spread, `first` + 1; `side` 1 when a page alone stands
    // on the right.
    struct Row {
        int first = 0;
        int count = 1;
        int side = 0;
    };
    QList<Row> rows() const;
    // The row's width in points, the gaps between its pages left out, and its height.
    QSizeF rowPoints(const Row &row) const;
    int rowAt(int y) const;
    void relayout();

    QList<QSizeF> m_points;
    QList<QRect> m_rects;
    QList<Row> m_rows;
    QList<int> m_rowBottoms;
    double m_zoom = 1.0;
    int m_turns = 0;
    Spread m_spread = Spread::Single;
    int m_viewportWidth = 0;
    QSize m_content;
};
