#include "app/startup.h"
#include "fakeservices.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "widgets/clicklabel.h"
#include "gui/reader/form1.h"
#include "widgets/listfitting.h"
#include "core/layout/readerlayout.h"
#include "widgets/sidelist.h"
#include "core/layout/twips.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

#include <functional>
#include <memory>

using ReaderLayout::Column;

class TestReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // The layout arithmetic, in twips.
    void layoutOfTheWorkedExample();
    void viewEndsAtTheSameRightEdgeInBothStates_data();
    void viewEndsAtTheSameRightEdgeInBothStates();
    void sizeBelowTheMinimumIsLaidOutAtTheMinimum();
    void hideAndToggleColumns();
    void startContentIsCentredButNeverAtANegativePosition_data();
    void startContentIsCentredButNeverAtANegativePosition();
    void twipsBecomePixelsEdgeByEdge();

    // The window.
    void everyControlIsAtItsDesignPlace_data();
    void everyControlIsAtItsDesignPlace();
    void stackingOrder();
    void designLookBeforeLoading();
    void loadPreparesTheWindow();
    void captionsFitTheirLabels();
    void layoutOfTheWindowAtTheWorkedExampleSize();
    void windowIsNeverLaidOutBelowItsMinimum();
    void closeButtonHidesForGoodAndTheMenuTogglesBack();
    void startContentFollowsTheStartPanel();
    void linksOpenTheirPages_data();
    void linksOpenTheirPages();
    void commandsOfLaterWindowsOpenNoPage();

    // List fitting.
    void measureListWidth_data();
    void measureListWidth();
    void measuresInTheListsOwnFontAndLeavesTheWindowFontAlone();
    void scrollBarShowsOnlyWhileTheFittedExtentIsWider();

private:
    void setClientSize(const QSize &pixels);
    QWidget *client() const { return m_form->centralWidget(); }
    QRect pixels(int left, int top, int width, int height) const
    {
        return Twips::toPixelRect(left, top, width, height);
    }

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<Form1> m_form;
};

void TestReader::initTestCase()
{
    Module1::SetApplicationFont();
}

void TestReader::init()
{
    m_fakes = std::make_unique<FakeServices>();
    m_form = Form1::create(m_fakes->services());
    QVERIFY(m_form);
}

void TestReader::cleanup()
{
    m_form.reset();
    m_fakes.reset();
}

// Gives the window a client area of exactly `pixels`, shown but not maximised.
void TestReader::setClientSize(const QSize &pixels)
{
    if (!m_form->isVisible()) {
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    }
    m_form->resize(m_form->size() + pixels - client()->size());
    QTRY_COMPARE(client()->size(), pixels);
}

void TestReader::layoutOfTheWorkedExample()
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

void TestReader::viewEndsAtTheSameRightEdgeInBothStates_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("minimum") << 8800 << 6500;
    QTest::newRow("worked example") << 12000 << 9000;
    QTest::newRow("odd twips") << 15007 << 9999;
    QTest::newRow("wide screen") << 38520 << 15630;
}

void TestReader::viewEndsAtTheSameRightEdgeInBothStates()
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

void TestReader::sizeBelowTheMinimumIsLaidOutAtTheMinimum()
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

void TestReader::hideAndToggleColumns()
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

void TestReader::startContentIsCentredButNeverAtANegativePosition_data()
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

void TestReader::startContentIsCentredButNeverAtANegativePosition()
{
    QFETCH(QSize, panel);
    QFETCH(QPoint, at);
    QCOMPARE(ReaderLayout::centeredContent(panel, QSize(8280, 6180)), at);
}

void TestReader::twipsBecomePixelsEdgeByEdge()
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

void TestReader::everyControlIsAtItsDesignPlace_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("parentName");
    const auto row = [](const char *name, QRect twips, const char *parent) {
        QTest::newRow(name) << QString::fromLatin1(name) << twips << QString::fromLatin1(parent);
    };
    row("Frame1", QRect(60, -30, 3585, 10935), "client");
    row("Image1", QRect(120, 660, 1635, 300), "Frame1");
    row("List1", QRect(90, 900, 3375, 9930), "Frame1");
    row("List4", QRect(90, 900, 3375, 9930), "Frame1");
    row("Picture6", QRect(3240, 240, 195, 180), "Frame1");
    row("Picture4", QRect(120, 180, 1155, 315), "Frame1");
    row("Label7", QRect(0, 0, 1155, 315), "Picture4");
    row("Image2", QRect(60, 0, 240, 300), "Picture4");
    row("Picture5", QRect(1380, 180, 855, 315), "Frame1");
    row("Label8", QRect(0, 0, 855, 315), "Picture5");
    row("Image3", QRect(60, 30, 225, 225), "Picture5");
    row("PDF1", QRect(3720, 60, 10455, 9015), "client");
    row("Picture7", QRect(3720, 60, 9975, 8295), "client");
    row("Picture8", QRect(1380, 1620, 8280, 6180), "Picture7");
    row("Shape1", QRect(1080, 2520, 2235, 615), "Picture8");
    row("Label21", QRect(1080, 2520, 2235, 615), "Picture8");
    row("Image4", QRect(1200, 2580, 480, 480), "Picture8");
    row("Shape2", QRect(1080, 3360, 2235, 615), "Picture8");
    row("Label22", QRect(1080, 3360, 2235, 615), "Picture8");
    row("Image5", QRect(1200, 3420, 480, 480), "Picture8");
    row("Shape3", QRect(1080, 4200, 2235, 615), "Picture8");
    row("Label27", QRect(1080, 4200, 2235, 615), "Picture8");
    row("Image6", QRect(1200, 4260, 480, 480), "Picture8");
    row("Picture9", QRect(4380, 2340, 510, 510), "Picture8");
    row("Picture10", QRect(4380, 3060, 510, 510), "Picture8");
    row("Picture11", QRect(4380, 3780, 510, 510), "Picture8");
    row("Picture12", QRect(4380, 4500, 510, 510), "Picture8");
    row("Label23", QRect(4380, 2280, 3195, 615), "Picture8");
    row("Label24", QRect(4320, 3000, 3435, 615), "Picture8");
    row("Label25", QRect(4380, 3720, 3195, 615), "Picture8");
    row("Label26", QRect(4380, 4440, 3195, 615), "Picture8");
}

void TestReader::everyControlIsAtItsDesignPlace()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, parentName);
    auto *control = m_form->findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), Twips::toPixelRect(twips));
}

void TestReader::stackingOrder()
{
    // Later siblings lie on top of earlier ones.
    const auto above = [](QWidget *upper, QWidget *lower) {
        const QObjectList siblings = upper->parentWidget()->children();
        return upper->parentWidget() == lower->parentWidget() &&
               siblings.indexOf(upper) > siblings.indexOf(lower);
    };
    QVERIFY(above(m_form->Picture7, m_form->PDF1));
    QVERIFY(above(m_form->PDF1, m_form->Frame1));
    const QList<QWidget *> sidePanel{m_form->List4,    m_form->Picture6, m_form->Picture5,
                                     m_form->Picture4, m_form->List1,    m_form->Label1,
                                     m_form->Label10,  m_form->Label9,   m_form->Image1};
    for (int i = 0; i + 1 < sidePanel.size(); ++i)
        QVERIFY2(above(sidePanel.at(i), sidePanel.at(i + 1)),
                 qPrintable(sidePanel.at(i)->objectName()));
    QVERIFY(above(m_form->Label7, m_form->Label3) && above(m_form->Label7, m_form->Image2));
    QVERIFY(above(m_form->Label8, m_form->Label4) && above(m_form->Label8, m_form->Image3));
    QVERIFY(above(m_form->Label21, m_form->Label2) && above(m_form->Label21, m_form->Image4));
    QVERIFY(above(m_form->Label22, m_form->Label5) && above(m_form->Label27, m_form->Label28));
    QVERIFY(above(m_form->Label23, m_form->Label11) && above(m_form->Label23, m_form->Picture9));
}

void TestReader::designLookBeforeLoading()
{
    m_form->show();
    QCOMPARE(m_form->windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) V2.2"));
    for (QWidget *shown : std::initializer_list<QWidget *>{
             m_form->Label1, m_form->List4, m_form->Picture7, m_form->PDF1, m_form->Image1})
        QVERIFY2(shown->isVisible(), qPrintable(shown->objectName()));
    for (QWidget *hidden : std::initializer_list<QWidget *>{
             m_form->Label9, m_form->Label10, m_form->List1, m_form->Picture1, m_form->Picture2,
             m_form->Picture3, m_form->List2, m_form->List3, m_form->Text2})
        QVERIFY2(!hidden->isVisible(), qPrintable(hidden->objectName()));
    const QList<QPair<QLabel *, const char *>> captions{
        {m_form->Label9, "  目录"},        {m_form->Label10, "  书签"},
        {m_form->Label1, "  目录/书签"},   {m_form->Label3, "添加书签"},
        {m_form->Label4, "整理"},          {m_form->Label2, "打开文件..."},
        {m_form->Label5, "制作PDF电子书"}, {m_form->Label28, "操作教程"}};
    for (const auto &caption : captions)
        QCOMPARE(caption.first->text(), QString::fromUtf8(caption.second));
    QCOMPARE(m_form->Text2->text(), QString());
    const QList<QAction *> bar = m_form->menuBar()->actions();
    QCOMPARE(bar, (QList<QAction *>{m_form->打开, m_form->隐藏显示书签, m_form->制作电子书,
                                    m_form->helpMenu->menuAction()}));
    QStringList menus;
    for (QAction *action : bar + m_form->helpMenu->actions())
        menus << action->text();
    QCOMPARE(menus, (QStringList{"打开(&O)", "隐藏/显示书签(&M)", "制作电子书(&E)", "帮助(&H)",
                                 "访问作者主页", "在线帮助"}));

    // The header shows the single-tab picture; the three header pictures all differ.
    const QImage single = m_form->Picture3->pixmap().toImage();
    QVERIFY(!single.isNull());
    QCOMPARE(m_form->Image1->pixmap().toImage(), single);
    QVERIFY(m_form->Picture1->pixmap().toImage() != single);
    QVERIFY(m_form->Picture2->pixmap().toImage() != single);
    QVERIFY(m_form->Picture1->pixmap().toImage() != m_form->Picture2->pixmap().toImage());

    QCOMPARE(m_form->Picture7->palette().color(QPalette::Window), QColor(128, 128, 128));
    QVERIFY(m_form->Picture7->autoFillBackground());
    QCOMPARE(m_form->Picture8->pixmap().size(), QSize(550, 410));
    QCOMPARE(m_form->Picture6->pixmap().size(), QSize(13, 12));
    for (ClickLabel *link : {m_form->Label20, m_form->Label21, m_form->Label22, m_form->Label23,
                             m_form->Label24, m_form->Label25, m_form->Label26, m_form->Label27}) {
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!link->autoFillBackground());
    }
    for (ClickLabel *cover :
         {m_form->Label21, m_form->Label22, m_form->Label23, m_form->Label24, m_form->Label25,
          m_form->Label26, m_form->Label27, m_form->Label7, m_form->Label8})
        QVERIFY(cover->text().isEmpty() && cover->pixmap().isNull());
}

void TestReader::loadPreparesTheWindow()
{
    m_form->PDF1->setShowToolbar(false);
    m_form->List1->addItem(QStringLiteral("第一章"));
    m_form->List4->addItem(QStringLiteral("书签"));
    m_form->Form_Load(QString());
    QVERIFY(m_form->windowState() & Qt::WindowMaximized);
    QVERIFY(m_form->PDF1->isToolbarShown());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    m_form->Picture7->hide();
    m_form->List1->show();
    QCOMPARE(m_form->List1->visualItemRect(m_form->List1->item(0)).height(), 16);
    QCOMPARE(m_form->List4->visualItemRect(m_form->List4->item(0)).height(), 16);

    QLabel *home = m_form->Label20;
    QCOMPARE(home->text(), Module1::DecodeNumberText(NumberTexts::homePageText()));
    QCOMPARE(home->font().family(), QStringLiteral("Arial"));
    QCOMPARE(home->font().pointSize(), 9);
    QCOMPARE(home->palette().color(QPalette::WindowText), QColor(0, 0, 128));
    QVERIFY(home->width() >= QFontMetrics(home->font()).horizontalAdvance(home->text()));
    // Both lists are fitted.
    QCOMPARE(m_form->List1->horizontalExtent(), Module1::MeasureListWidth(*m_form->List1));
    QCOMPARE(m_form->List4->horizontalExtent(), Module1::MeasureListWidth(*m_form->List4));
    QVERIFY(m_form->List1->horizontalExtent() > 0);
}

void TestReader::captionsFitTheirLabels()
{
    m_form->Form_Load(QString());
    QCOMPARE(QApplication::font().pixelSize(), 12);
    const QList<QLabel *> labels = m_form->findChildren<QLabel *>();
    int captions = 0;
    for (QLabel *label : labels) {
        if (label->text().isEmpty())
            continue;
        ++captions;
        const QSize needed = label->sizeHint();
        QVERIFY2(label->width() >= needed.width() && label->height() >= needed.height(),
                 qPrintable(label->objectName()));
    }
    QCOMPARE(captions, 18);
    // A caption's characters stand within its 12-pixel design line: the label may reach below
    // it but starts no lower than the design top.
    const QRect design = Twips::toPixelRect(360, 60, 720, 180);
    QVERIFY(m_form->Label3->y() <= design.y());
    QVERIFY(m_form->Label3->geometry().bottom() >= design.bottom());
}

void TestReader::layoutOfTheWindowAtTheWorkedExampleSize()
{
    setClientSize(QSize(792, 546));
    QCOMPARE(m_form->outerSize(), QSize(12000, 9000));
    PdfView *view = m_form->PDF1;
    QCOMPARE(view->Left(), 3720);
    QCOMPARE(view->Top(), 60);
    QCOMPARE(view->Width(), 8080);
    QCOMPARE(view->Height(), 8055);
    QCOMPARE(view->geometry(), pixels(3720, 60, 8080, 8055));
    QCOMPARE(m_form->Picture7->geometry(), pixels(3720, 60, 8080, 8055));
    QCOMPARE(m_form->Frame1->geometry(), pixels(60, -30, 3585, 8175));
    QCOMPARE(m_form->List1->geometry(), pixels(90, 900, 3375, 7170));
    QCOMPARE(m_form->List4->geometry(), m_form->List1->geometry());

    // Another size keeps the view's left edge and moves its right edge with the window.
    setClientSize(QSize(1000, 700));
    const QSize outer = m_form->outerSize();
    QCOMPARE(view->Left(), 3720);
    QCOMPARE(view->Left() + view->Width(), outer.width() - 200);
    QCOMPARE(view->Height(), outer.height() - 945);
    QCOMPARE(m_form->List4->height(), pixels(90, 900, 3375, outer.height() - 1830).height());
}

void TestReader::windowIsNeverLaidOutBelowItsMinimum()
{
    setClientSize(QSize(900, 600));
    QCOMPARE(client()->minimumSize(), ReaderLayout::minimumClientPixels());
    m_form->resize(200, 150);
    QTRY_VERIFY(client()->width() >= ReaderLayout::minimumClientPixels().width());
    QVERIFY(client()->height() >= ReaderLayout::minimumClientPixels().height());
    QVERIFY(m_form->width() >= client()->width() && m_form->height() >= client()->height());
    const QSize outer = m_form->outerSize();
    QVERIFY(outer.width() >= 8800 && outer.height() >= 6500);
    QCOMPARE(m_form->PDF1->Width(), outer.width() - 3920);
    QCOMPARE(m_form->PDF1->Height(), outer.height() - 945);
    // At the minimum the start panel is narrower and lower than its content, which then starts
    // at its top left corner.
    QCOMPARE(m_form->Picture8->pos(), QPoint(0, 0));
}

void TestReader::closeButtonHidesForGoodAndTheMenuTogglesBack()
{
    setClientSize(QSize(792, 546));
    const QRect view = m_form->PDF1->geometry();
    const QRect panel = m_form->Picture7->geometry();
    const QPoint content = m_form->Picture8->pos();
    m_form->隐藏显示书签->trigger();
    QCOMPARE(m_form->PDF1->Width(), 11740);
    m_form->隐藏显示书签->trigger();
    QCOMPARE(m_form->PDF1->Left(), 3720);
    QCOMPARE(m_form->PDF1->geometry(), view);
    QCOMPARE(m_form->Picture7->geometry(), panel);
    QCOMPARE(m_form->Picture8->pos(), content);

    QTest::mouseClick(m_form->Picture6, Qt::LeftButton);
    QCOMPARE(m_form->PDF1->Left(), 60);
    QCOMPARE(m_form->PDF1->Width(), 11740);
    QCOMPARE(m_form->Picture7->geometry(), pixels(60, 60, 11740, 8055));
    // The side panel itself stays where it is, under the view.
    QCOMPARE(m_form->Frame1->geometry(), pixels(60, -30, 3585, 8175));
    // Nothing of the side panel shows through the view that now covers it.
    m_form->Picture7->hide();
    const QImage shown = client()->grab(m_form->PDF1->geometry()).toImage();
    QCOMPARE(shown.convertToFormat(QImage::Format_RGB32),
             m_form->PDF1->grab().toImage().convertToFormat(QImage::Format_RGB32));
    m_form->Picture7->show();

    // Resizing keeps it hidden, and a second click while hidden changes nothing.
    setClientSize(QSize(1000, 600));
    QCOMPARE(m_form->PDF1->Width(), m_form->outerSize().width() - 260);
    const QRect hidden = m_form->PDF1->geometry();
    QTest::mouseClick(m_form->Picture6, Qt::LeftButton);
    QCOMPARE(m_form->PDF1->geometry(), hidden);

    // The menu command is the way back after the close button.
    setClientSize(QSize(792, 546));
    m_form->隐藏显示书签->trigger();
    QCOMPARE(m_form->PDF1->geometry(), view);
}

void TestReader::startContentFollowsTheStartPanel()
{
    setClientSize(QSize(1200, 760));
    const QSize content(8280, 6180);
    const QRect panel(m_form->PDF1->Left(), 60, m_form->PDF1->Width(), m_form->PDF1->Height());
    const QPoint at = ReaderLayout::centeredContent(panel.size(), content);
    QVERIFY(at.x() > 0 && at.y() > 0);
    QCOMPARE(m_form->Picture8->geometry(), Twips::toPixelRect(QRect(at, content)));

    m_form->HideSidePanel();
    const QPoint wider = ReaderLayout::centeredContent(
        QSize(m_form->PDF1->Width(), m_form->PDF1->Height()), content);
    QVERIFY(wider.x() > at.x());
    QCOMPARE(m_form->Picture8->geometry(), Twips::toPixelRect(QRect(wider, content)));
}

void TestReader::linksOpenTheirPages_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("page");
    const QString home = Module1::DecodeNumberText(NumberTexts::homePage());
    const QString help = Module1::DecodeNumberText(NumberTexts::helpPage());
    QTest::newRow("Label20") << "Label20" << home;
    QTest::newRow("Label23") << "Label23" << home;
    QTest::newRow("Label24") << "Label24" << Module1::DecodeNumberText(NumberTexts::pageOne());
    QTest::newRow("Label25") << "Label25" << Module1::DecodeNumberText(NumberTexts::pageTwo());
    QTest::newRow("Label26") << "Label26" << Module1::DecodeNumberText(NumberTexts::pageThree());
    QTest::newRow("Label27") << "Label27" << help;
    QTest::newRow("访问作者主页") << "访问作者主页" << home;
    QTest::newRow("在线帮助") << "在线帮助" << help;
}

void TestReader::linksOpenTheirPages()
{
    QFETCH(QString, control);
    QFETCH(QString, page);
    m_form->Form_Load(QString());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    if (auto *label = m_form->findChild<ClickLabel *>(control)) {
        // A release elsewhere is no click.
        QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(-5, -5));
        QCOMPARE(m_fakes->webOpener.addresses, QStringList());
        QTest::mouseClick(label, Qt::LeftButton);
    } else {
        auto *action = m_form->findChild<QAction *>(control);
        QVERIFY(action);
        action->trigger();
    }
    QCOMPARE(m_fakes->webOpener.addresses, QStringList{page});
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestReader::commandsOfLaterWindowsOpenNoPage()
{
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    for (ClickLabel *label : {m_form->Label21, m_form->Label22, m_form->Label7, m_form->Label8,
                              m_form->Label9, m_form->Label10})
        QTest::mouseClick(label, Qt::LeftButton);
    QVERIFY(m_fakes->webOpener.addresses.isEmpty());
    QCOMPARE(m_form->PDF1->Left(), 3720);
}

void TestReader::measureListWidth_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<QString>("widest");
    const QString longest = QStringLiteral("第十二章 一个相当长的章节名称 with Latin");
    QTest::newRow("empty") << QStringList() << QString();
    QTest::newRow("widest first") << QStringList{longest, QStringLiteral("短"),
                                                 QStringLiteral("中等长度")}
                                  << longest;
    QTest::newRow("widest last") << QStringList{QStringLiteral("短"), QStringLiteral("中等长度"),
                                                longest}
                                 << longest;
    QTest::newRow("empty lines") << QStringList{QString(), QString()} << QString();
}

void TestReader::measureListWidth()
{
    QFETCH(QStringList, lines);
    QFETCH(QString, widest);
    SideList list;
    list.addItems(lines);
    const int expected =
        lines.isEmpty() ? 0 : QFontMetrics(list.font()).horizontalAdvance(widest) + 8;
    QCOMPARE(Module1::MeasureListWidth(list), expected);
    Module1::FitList(list);
    QCOMPARE(list.horizontalExtent(), expected);
}

void TestReader::measuresInTheListsOwnFontAndLeavesTheWindowFontAlone()
{
    const QFont windowFont = m_form->font();
    QFont large = m_form->List4->font();
    large.setPixelSize(30);
    m_form->List4->setFont(large);
    const QString line = QStringLiteral("一个很长的书签名称，比列表还要宽得多");
    m_form->List4->addItem(line);
    m_form->List1->addItem(line);
    m_form->FitListWidths();
    QCOMPARE(m_form->List4->horizontalExtent(), QFontMetrics(large).horizontalAdvance(line) + 8);
    QCOMPARE(m_form->List1->horizontalExtent(),
             QFontMetrics(m_form->List1->font()).horizontalAdvance(line) + 8);
    QVERIFY(m_form->List4->horizontalExtent() > m_form->List1->horizontalExtent());
    QCOMPARE(m_form->font(), windowFont);
    QCOMPARE(m_form->Label3->font(), windowFont);
}

void TestReader::scrollBarShowsOnlyWhileTheFittedExtentIsWider()
{
    SideList list;
    list.resize(200, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QScrollBar *bar = list.horizontalScrollBar();
    list.addItem(QStringLiteral("短"));
    Module1::FitList(list);
    QTRY_VERIFY(!bar->isVisible());

    // A line far wider than the list shows no scroll bar until the list is fitted again.
    list.addItem(QStringLiteral("这是一个非常非常长的书签名称，远远超过了列表本身的宽度"));
    QTest::qWait(20);
    QVERIFY(!bar->isVisible());
    Module1::FitList(list);
    QTRY_VERIFY(bar->isVisible());
    // Scrolled to the end, the whole long line has come into view.
    bar->setValue(bar->maximum());
    const QRect line = list.visualItemRect(list.item(1));
    QVERIFY(line.left() < 0);
    QVERIFY(line.right() < list.viewport()->width());

    // Fitting after the long line is gone takes the scroll bar away.
    delete list.takeItem(1);
    Module1::FitList(list);
    QTRY_VERIFY(!bar->isVisible());
    list.clear();
    Module1::FitList(list);
    QCOMPARE(list.horizontalExtent(), 0);
    QVERIFY(!bar->isVisible());
}

QTEST_MAIN(TestReader)
#include "tst_reader.moc"
