// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/layout/pagelayout.h"
#include "core/layout/readerlayout.h"
#include "core/layout/twips.h"

#include <QTest>

// The reader window's layout rules in twips, and the conversion to pixels they are placed with.
class TestLayout : public QObject
{
    Q_OBJECT

    using LayoutCase = std::tuple<QSize, bool, QList<int>, QSize>;
    using Zooms = std::tuple<QList<QSizeF>, QSize, double, double>;

private slots:
    // The view ends 200 twips from the right edge, shown or hidden; both lists are 1830 twips less
    // than the window; a window below the minimum is laid out at the minimum, in the dimension
    // that is too small only. Each case: the outer size and whether the side panel shows; then the
    // view's left, width and height, the side panel's and the lists' height; the size used.
    void layout_data()
    {
        QTest::addColumn<LayoutCase>("row");
        QTest::newRow("panel shown")
            << LayoutCase{{12000, 9000}, true, {3720, 8080, 8055, 8175, 7170}, {12000, 9000}};
        QTest::newRow("panel hidden")
            << LayoutCase{{12000, 9000}, false, {60, 11740, 8055, 8175, 7170}, {12000, 9000}};
        QTest::newRow("minimum") << LayoutCase{
            {8800, 6500}, true, {3720, 4880, 5555, 5675, 4670}, {8800, 6500}};
        QTest::newRow("below the minimum")
            << LayoutCase{{5000, 3000}, true, {3720, 4880, 5555, 5675, 4670}, {8800, 6500}};
        QTest::newRow("too narrow")
            << LayoutCase{{8000, 9000}, true, {3720, 4880, 8055, 8175, 7170}, {8800, 9000}};
        QTest::newRow("too low") << LayoutCase{
            {12000, 100}, false, {60, 11740, 5555, 5675, 4670}, {12000, 6500}};
    }
    void layout()
    {
        QFETCH(LayoutCase, row);
        const auto &[outer, shown, expected, laidOut] = row;
        const ReaderLayout::Layout layout = ReaderLayout::layout(outer, shown);
        QCOMPARE(QList<int>({layout.view.left, layout.view.width, layout.viewHeight,
                             layout.sidePanelHeight, layout.listHeight}),
                 expected);
        QCOMPARE(layout.outer, laidOut);
        QCOMPARE(layout.grown, laidOut != outer);
    }

    // The worked example's window has a client area of 792 by 546 pixels; the least client area
    // is the least whose window reaches the minimum.
    void minimumClientSize()
    {
        QCOMPARE(ReaderLayout::outerSizeOf(QSize(792, 546)), QSize(12000, 9000));
        const QSize least = ReaderLayout::minimumClientPixels();
        const QSize outer = ReaderLayout::outerSizeOf(least);
        QVERIFY(outer.width() >= 8800 && outer.height() >= 6500);
        QVERIFY(ReaderLayout::outerSizeOf(least - QSize(1, 0)).width() < 8800);
        QVERIFY(ReaderLayout::outerSizeOf(least - QSize(0, 1)).height() < 6500);
    }

    // Panel sizes and where the 8280 by 6180 content then stands.
    void startContentIsCentredButNeverAtANegativePosition_data()
    {
        QTest::addColumn<QSize>("panel");
        QTest::addColumn<QPoint>("at");
        QTest::newRow("larger") << QSize(10280, 8180) << QPoint(1000, 1000);
        QTest::newRow("same size") << QSize(8280, 6180) << QPoint(0, 0);
        QTest::newRow("odd margins") << QSize(8281, 6183) << QPoint(0, 1);
        QTest::newRow("narrower") << QSize(4880, 8180) << QPoint(0, 1000);
        QTest::newRow("smaller") << QSize(100, 100) << QPoint(0, 0);
    }
    void startContentIsCentredButNeverAtANegativePosition()
    {
        QFETCH(QSize, panel);
        QFETCH(QPoint, at);
        QCOMPARE(ReaderLayout::centeredContent(panel, QSize(8280, 6180)), at);
    }

    // 15 twips a pixel, to the nearest pixel, half away from zero; neighbours that share an edge in
    // twips share it in pixels.
    void twipsBecomePixelsEdgeByEdge()
    {
        QCOMPARE(QList<int>({Twips::toPixels(0), Twips::toPixels(7), Twips::toPixels(8),
                             Twips::toPixels(-8), Twips::toPixels(-30)}),
                 QList<int>({0, 0, 1, -1, -2}));
        QCOMPARE(Twips::fromPixels(792), 11880);
        const QRect left = Twips::toPixelRect(0, 0, 3727, 100);
        QCOMPARE(left.x() + left.width(), Twips::toPixelRect(3727, 0, 5000, 100).x());
    }

    // At zoom 1.5 a point is 2 pixels; pages are centred on the widest. A gap belongs to the page
    // below it; a page without a usable size is laid out as A4; a quarter turn swaps its sides.
    void pagesStandOneBelowAnother()
    {
        PageLayout pages;
        QCOMPARE(pages.pageAt(0), -1);
        pages.setPages({QSizeF(100, 50), QSizeF(200, 100), QSizeF(-1, qQNaN())});
        pages.setZoom(1.5);
        pages.setViewportWidth(300);
        QCOMPARE(pages.pageRect(0), QRect(503, 8, 200, 100));
        QCOMPARE(pages.pageRect(1), QRect(403, 116, 400, 200));
        QCOMPARE(pages.pageRect(2).size(), QSize(1190, 1684));
        QCOMPARE(pages.contentSize(), QSize(1206, 8 + 100 + 8 + 200 + 8 + 1684 + 8));
        const QList<std::pair<int, int>> heights{{-50, 0}, {107, 0}, {108, 1},  {116, 1},
                                                 {315, 1}, {316, 2}, {99999, 2}};
        for (const auto &[y, page] : heights)
            QCOMPARE(pages.pageAt(y), page);
        pages.setQuarterTurns(-3);
        QCOMPARE(pages.quarterTurns(), 1);
        QCOMPARE(pages.pageRect(0).size(), QSize(100, 200));
        pages.setZoom(100);
        QCOMPARE(pages.zoom(), PageLayout::LargestZoom);
    }

    // Five pages of 200 by 100 pixels in spreads: odd pages on the left, or the cover alone on
    // the right; a page alone keeps its side. A point belongs to the page of its row nearest it
    // across, and fitting measures the pair with the gap between.
    void spreadsStandSideBySide_data()
    {
        QTest::addColumn<PageLayout::Spread>("spread");
        QTest::addColumn<QList<QPoint>>("corners");
        QTest::addColumn<QList<int>>("rowAt120"); // first and last page, page at x 300
        QTest::newRow("two pages")
            << PageLayout::Spread::TwoPages
            << QList<QPoint>{{8, 8}, {216, 8}, {8, 116}, {216, 116}, {8, 224}}
            << QList<int>{2, 3, 3};
        QTest::newRow("cover alone")
            << PageLayout::Spread::TwoPagesCover
            << QList<QPoint>{{216, 8}, {8, 116}, {216, 116}, {8, 224}, {216, 224}}
            << QList<int>{1, 2, 2};
    }
    void spreadsStandSideBySide()
    {
        QFETCH(PageLayout::Spread, spread);
        QFETCH(QList<QPoint>, corners);
        QFETCH(QList<int>, rowAt120);
        PageLayout pages;
        pages.setPages(QList<QSizeF>(5, QSizeF(100, 50)));
        pages.setZoom(1.5);
        pages.setViewportWidth(300);
        pages.setSpread(spread);
        for (int page = 0; page < 5; ++page)
            QCOMPARE(pages.pageRect(page), QRect(corners.at(page), QSize(200, 100)));
        QCOMPARE(pages.contentSize(), QSize(424, 332));
        QCOMPARE(
            QList<int>({pages.pageAt(120), pages.lastPageAt(120), pages.placeAt({300, 120}).page}),
            rowAt120);
        pages.setPages(QList<QSizeF>(3, QSizeF(600, 800)));
        QCOMPARE(pages.fitWidthZoom(24 + 800), 0.5);
        QVERIFY(qAbs(pages.fitPageZoom({2000, 16 + 800}) - 0.75) < 0.002);
    }

    void aPlaceSurvivesZoomAndRotation()
    {
        PageLayout pages;
        pages.setPages(QList<QSizeF>(5, QSizeF(612, 792)));
        pages.setViewportWidth(700);
        const QPoint point = pages.pageRect(3).topLeft() + QPoint(100, 300);
        const PageLayout::Place place = pages.placeAt(point);
        QCOMPARE(place.page, 3);
        QCOMPARE(pages.pointOf(place), point);
        pages.setZoom(2.0);
        QCOMPARE(pages.pointOf(place), pages.pageRect(3).topLeft() + QPoint(200, 600));
        pages.setQuarterTurns(1);
        QCOMPARE(pages.placeAt(pages.pointOf(place)).page, 3);
    }

    // Pages in points, the viewport, then the zoom that fits the width and the one that fits a
    // page.
    void fittingZooms_data()
    {
        const QSizeF page(600, 800); // 800 by 1066.67 pixels at zoom 1
        QTest::addColumn<Zooms>("row");
        QTest::newRow("fits at 1") << Zooms{{page}, {816, 1083}, 1.0, 1.0};
        QTest::newRow("the widest page counts")
            << Zooms{{page, QSizeF(1200, 100)}, {816, 9999}, 0.5, 0.5};
        QTest::newRow("held to 50%") << Zooms{{page}, {100, 100}, 0.5, 0.5};
        QTest::newRow("held to 400%") << Zooms{{QSizeF(10, 10)}, {2000, 2000}, 4.0, 4.0};
    }
    void fittingZooms()
    {
        QFETCH(Zooms, row);
        const auto &[points, viewport, width, fitPage] = row;
        PageLayout pages;
        pages.setPages(points);
        QCOMPARE(pages.fitWidthZoom(viewport.width()), width);
        QVERIFY(qAbs(pages.fitPageZoom(viewport) - fitPage) < 0.002);
    }

    // Zooming in and out steps to the zoom box's next level from any zoom; past the ends it stays.
    void zoomSteps_data()
    {
        QTest::addColumn<double>("zoom");
        QTest::addColumn<int>("direction");
        QTest::addColumn<double>("next");
        QTest::newRow("in from a level") << 1.0 << 1 << 1.25;
        QTest::newRow("in from between levels") << 1.1 << 1 << 1.25;
        QTest::newRow("out from between levels") << 1.1 << -1 << 1.0;
        QTest::newRow("in past the last") << 4.0 << 1 << 4.0;
        QTest::newRow("out past the first") << 0.5 << -1 << 0.5;
    }
    void zoomSteps()
    {
        QFETCH(double, zoom);
        QFETCH(int, direction);
        QFETCH(double, next);
        QCOMPARE(PageLayout::nextZoomLevel(zoom, direction), next);
    }
};

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
