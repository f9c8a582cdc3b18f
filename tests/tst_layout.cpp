#include "core/layout/readerlayout.h"
#include "core/layout/twips.h"

#include <QTest>

using ReaderLayout::Column;

// The reader window's layout rules in twips, and the conversion to pixels they are placed with.
class TestLayout : public QObject
{
    Q_OBJECT

private slots:
    void layoutOfTheWorkedExample();
    void viewEndsAtTheSameRightEdgeInBothStates_data();
    void viewEndsAtTheSameRightEdgeInBothStates();
    void sizeBelowTheMinimumIsLaidOutAtTheMinimum();
    void hideAndToggleColumns();
    void startContentIsCentredButNeverAtANegativePosition_data();
    void startContentIsCentredButNeverAtANegativePosition();
    void twipsBecomePixelsEdgeByEdge();
};

void TestLayout::layoutOfTheWorkedExample()
{
    const ReaderLayout::Layout shown = ReaderLayout::layout(QSize(12000, 9000), 3720);
    QCOMPARE(shown.grown, false);
    QCOMPARE(shown.view.left, 3720);
    QCOMPARE(shown.view.width, 8080);
    QCOMPARE(shown.viewHeight, 8055);
    QCOMPARE(shown.sidePanelHeight, 8175);
    QCOMPARE(shown.listHeight, 7170);
    const Column hidden = ReaderLayout::hiddenColumn(12000);
    QCOMPARE(hidden.left, 60);
    QCOMPARE(hidden.width, 11740);
    // The worked example's window has a client area of 792 by 546 pixels.
    QCOMPARE(ReaderLayout::outerSizeOf(QSize(792, 546)), QSize(12000, 9000));
    // Any left edge but the shown one means hidden.
    for (int left : {0, 3719, 3721, -5})
        QCOMPARE(ReaderLayout::layout(QSize(12000, 9000), left).view.width, 11740);
}

void TestLayout::viewEndsAtTheSameRightEdgeInBothStates_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("minimum") << 8800 << 6500;
    QTest::newRow("worked example") << 12000 << 9000;
    QTest::newRow("odd twips") << 15007 << 9999;
    QTest::newRow("wide screen") << 38520 << 15630;
}

void TestLayout::viewEndsAtTheSameRightEdgeInBothStates()
{
    QFETCH(int, width);
    QFETCH(int, height);
    const ReaderLayout::Layout shown = ReaderLayout::layout(QSize(width, height), 3720);
    const ReaderLayout::Layout hidden = ReaderLayout::layout(QSize(width, height), 60);
    QCOMPARE(shown.view.left, 3720);
    QCOMPARE(hidden.view.left, 60);
    QCOMPARE(shown.view.left + shown.view.width, width - 200);
    QCOMPARE(hidden.view.left + hidden.view.width, width - 200);
    QCOMPARE(hidden.view.width, width - 260);
    // The two lists always have the same height, 1830 less than the window.
    QCOMPARE(shown.listHeight, height - 1830);
    QCOMPARE(hidden.listHeight, height - 1830);
    QCOMPARE(shown.viewHeight, hidden.viewHeight);
}

void TestLayout::sizeBelowTheMinimumIsLaidOutAtTheMinimum()
{
    const ReaderLayout::Layout small = ReaderLayout::layout(QSize(5000, 3000), 3720);
    QVERIFY(small.grown);
    QCOMPARE(small.outer, QSize(8800, 6500));
    QCOMPARE(small.view.width, 8800 - 3920);
    QCOMPARE(small.viewHeight, 6500 - 945);
    QCOMPARE(small.listHeight, 6500 - 1830);
    // Only the dimension that was too small grows.
    QCOMPARE(ReaderLayout::layout(QSize(8000, 9000), 3720).outer, QSize(8800, 9000));
    QCOMPARE(ReaderLayout::layout(QSize(12000, 100), 60).outer, QSize(12000, 6500));
    // A minimised window reports a size near nothing: no height comes out negative.
    const ReaderLayout::Layout nothing = ReaderLayout::layout(QSize(0, 0), 3720);
    QVERIFY(nothing.view.width > 0 && nothing.viewHeight > 0 && nothing.listHeight > 0);
    QVERIFY(!ReaderLayout::layout(QSize(8800, 6500), 3720).grown);

    const QSize least = ReaderLayout::minimumClientPixels();
    const QSize outer = ReaderLayout::outerSizeOf(least);
    QVERIFY(outer.width() >= 8800 && outer.height() >= 6500);
    QVERIFY(ReaderLayout::outerSizeOf(least - QSize(1, 0)).width() < 8800);
    QVERIFY(ReaderLayout::outerSizeOf(least - QSize(0, 1)).height() < 6500);
}

void TestLayout::hideAndToggleColumns()
{
    // Toggling twice restores the column exactly, from either state.
    for (int left : {3720, 60}) {
        const Column once = ReaderLayout::toggledColumn(12000, left);
        QVERIFY(once.left != left);
        const Column twice = ReaderLayout::toggledColumn(12000, once.left);
        QCOMPARE(twice.left, left);
        QCOMPARE(twice.width, left == 3720 ? 8080 : 11740);
    }
}

void TestLayout::startContentIsCentredButNeverAtANegativePosition_data()
{
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QPoint>("at");
    const QSize content(8280, 6180);
    QTest::newRow("larger panel") << QSize(10280, 8180) << QPoint(1000, 1000);
    QTest::newRow("same size") << content << QPoint(0, 0);
    QTest::newRow("odd difference") << QSize(8281, 6183) << QPoint(0, 1);
    QTest::newRow("narrower panel") << QSize(4880, 8180) << QPoint(0, 1000);
    QTest::newRow("lower panel") << QSize(10280, 5555) << QPoint(1000, 0);
    QTest::newRow("smaller in both") << QSize(100, 100) << QPoint(0, 0);
}

void TestLayout::startContentIsCentredButNeverAtANegativePosition()
{
    QFETCH(QSize, panel);
    QFETCH(QPoint, at);
    QCOMPARE(ReaderLayout::centeredContent(panel, QSize(8280, 6180)), at);
}

void TestLayout::twipsBecomePixelsEdgeByEdge()
{
    QCOMPARE(Twips::toPixels(0), 0);
    QCOMPARE(Twips::toPixels(7), 0);
    QCOMPARE(Twips::toPixels(8), 1);
    QCOMPARE(Twips::toPixels(-30), -2);
    QCOMPARE(Twips::toPixels(-8), -1);
    QCOMPARE(Twips::fromPixels(792), 11880);
    // Neighbours that share an edge in twips share it in pixels.
    const QRect left = Twips::toPixelRect(0, 0, 3727, 100);
    const QRect right = Twips::toPixelRect(3727, 0, 5000, 100);
    QCOMPARE(left.x() + left.width(), right.x());
}

QTEST_GUILESS_MAIN(TestLayout)
#include "tst_layout.moc"
