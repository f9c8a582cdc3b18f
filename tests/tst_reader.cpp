#include "app/startup.h"
#include "core/layout/readerlayout.h"
#include "core/layout/twips.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "guitest.h"
#include "widgets/clicklabel.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QTest>

#include <memory>

// The reader window's design applied, its layout rules wired to its size, its links and the
// fitting of its lists. The layout arithmetic itself is tested in core.
class TestReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Module1::SetApplicationFont(); }
    void init() { m_reader = std::make_unique<GuiTest::Reader>(); }
    void cleanup() { m_reader.reset(); }

    void designPlacesAreApplied_data();
    void designPlacesAreApplied();
    void stackingOrder();
    void designLookBeforeLoading();
    void loadPreparesTheWindow();
    void layoutFollowsTheWindowSize();
    void windowIsNeverLaidOutBelowItsMinimum();
    void closeButtonHidesForGoodAndTheMenuTogglesBack();
    void linksOpenTheirPages_data();
    void linksOpenTheirPages();
    void listsAreFittedToTheirWidestLine();

private:
    Form1 &form() const { return m_reader->form(); }
    template <class T = QWidget>
    T *get(const char *name) const { return m_reader->get<T>(name); }
    QWidget *client() const { return form().centralWidget(); }
    PdfView *view() const { return &m_reader->view(); }
    void setClientSize(const QSize &pixels);
    static QRect pixels(int left, int top, int width, int height)
    {
        return Twips::toPixelRect(left, top, width, height);
    }

    std::unique_ptr<GuiTest::Reader> m_reader;
};

// Gives the window a client area of exactly `pixels`, shown but not maximised.
void TestReader::setClientSize(const QSize &pixels)
{
    if (!form().isVisible()) {
        form().show();
        QVERIFY(QTest::qWaitForWindowExposed(&form()));
    }
    form().resize(form().size() + pixels - client()->size());
    QTRY_COMPARE(client()->size(), pixels);
}

// One control of each kind of place: in the client area, in the side panel, in a button, on the
// start panel's content.
void TestReader::designPlacesAreApplied_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    QTest::addColumn<QString>("parentName");
    QTest::newRow("Frame1") << "Frame1" << QRect(60, -30, 3585, 10935) << "client";
    QTest::newRow("PDF1") << "PDF1" << QRect(3720, 60, 10455, 9015) << "client";
    QTest::newRow("List4") << "List4" << QRect(90, 900, 3375, 9930) << "Frame1";
    QTest::newRow("Image3") << "Image3" << QRect(60, 30, 225, 225) << "Picture5";
    QTest::newRow("Label24") << "Label24" << QRect(4320, 3000, 3435, 615) << "Picture8";
}

void TestReader::designPlacesAreApplied()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    QFETCH(QString, parentName);
    auto *control = form().findChild<QWidget *>(name);
    QVERIFY(control);
    QCOMPARE(control->parentWidget()->objectName(), parentName);
    QCOMPARE(control->geometry(), Twips::toPixelRect(twips));
}

// Later siblings lie on top of earlier ones: the start panel over the view over the side panel,
// in the side panel the bookmark list on top, and every click area over what it covers.
void TestReader::stackingOrder()
{
    const QStringList bottomUp{"Image1", "Label9", "Label10", "Label1", "List1",
                               "Picture4", "Picture5", "Picture6", "List4"};
    for (const QStringList &siblings :
         {QStringList{"Frame1", "PDF1", "Picture7"}, bottomUp, QStringList{"Image2", "Label3", "Label7"},
          QStringList{"Label4", "Image3", "Label8"}, QStringList{"Image4", "Label2", "Label21"},
          QStringList{"Picture9", "Label11", "Label23"}}) {
        const QObjectList order = get(qPrintable(siblings.first()))->parentWidget()->children();
        for (int i = 0; i + 1 < siblings.size(); ++i)
            QVERIFY2(order.indexOf(get(qPrintable(siblings.at(i)))) <
                         order.indexOf(get(qPrintable(siblings.at(i + 1)))),
                     qPrintable(siblings.at(i + 1)));
    }
}

void TestReader::designLookBeforeLoading()
{
    form().show();
    QCOMPARE(form().windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) V2.2"));
    for (const char *shown : {"Label1", "List4", "Picture7", "PDF1", "Image1"})
        QVERIFY2(get(shown)->isVisible(), shown);
    for (const char *hidden : {"Label9", "Label10", "List1", "Picture1", "Picture2", "Picture3",
                               "List2", "List3", "Text2"})
        QVERIFY2(!get(hidden)->isVisible(), hidden);
    // The header shows the single-tab picture; the three header pictures all differ.
    const QImage single = get<QLabel>("Picture3")->pixmap().toImage();
    QCOMPARE(get<QLabel>("Image1")->pixmap().toImage(), single);
    QVERIFY(get<QLabel>("Picture1")->pixmap().toImage() != single);
    QVERIFY(get<QLabel>("Picture2")->pixmap().toImage() != single);
    QVERIFY(get<QLabel>("Picture1")->pixmap().toImage() != get<QLabel>("Picture2")->pixmap().toImage());
}

void TestReader::loadPreparesTheWindow()
{
    view()->setShowToolbar(false);
    get<SideList>("List1")->addItem(QStringLiteral("第一章"));
    get<SideList>("List4")->addItem(QStringLiteral("书签"));
    form().Form_Load(QString());
    QVERIFY(form().windowState() & Qt::WindowMaximized);
    QVERIFY(view()->isToolbarShown());
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    get("Picture7")->hide();
    get("List1")->show();
    for (const char *name : {"List1", "List4"}) {
        auto *list = get<SideList>(name);
        QCOMPARE(list->visualItemRect(list->item(0)).height(), 16);
        QCOMPARE(list->horizontalExtent(), Module1::MeasureListWidth(*list));
    }
    auto *home = get<QLabel>("Label20");
    QCOMPARE(home->text(), Module1::DecodeNumberText(NumberTexts::homePageText()));
    QVERIFY(home->width() >= QFontMetrics(home->font()).horizontalAdvance(home->text()));
    // Every caption fits its label.
    for (QLabel *label : form().findChildren<QLabel *>()) {
        if (!label->text().isEmpty())
            QVERIFY2(label->width() >= label->sizeHint().width(), qPrintable(label->objectName()));
    }
}

// The worked example's size, then another: the view keeps its left edge and ends 200 twips from
// the window's right edge; the start panel lies over it; both lists take the same height.
void TestReader::layoutFollowsTheWindowSize()
{
    setClientSize(QSize(792, 546));
    QCOMPARE(form().outerSize(), QSize(12000, 9000));
    QCOMPARE(view()->geometry(), pixels(3720, 60, 8080, 8055));
    QCOMPARE(get("Picture7")->geometry(), pixels(3720, 60, 8080, 8055));
    QCOMPARE(get("Frame1")->geometry(), pixels(60, -30, 3585, 8175));
    QCOMPARE(get("List1")->geometry(), pixels(90, 900, 3375, 7170));
    QCOMPARE(get("List4")->geometry(), get("List1")->geometry());

    setClientSize(QSize(1200, 760));
    const QSize outer = form().outerSize();
    QCOMPARE(view()->Left() + view()->Width(), outer.width() - 200);
    QCOMPARE(view()->Height(), outer.height() - 945);
    QCOMPARE(get("List4")->height(), pixels(90, 900, 3375, outer.height() - 1830).height());
    const QPoint at =
        ReaderLayout::centeredContent(QSize(view()->Width(), view()->Height()), QSize(8280, 6180));
    QCOMPARE(get("Picture8")->geometry(), Twips::toPixelRect(QRect(at, QSize(8280, 6180))));
}

void TestReader::windowIsNeverLaidOutBelowItsMinimum()
{
    setClientSize(QSize(900, 600));
    form().resize(200, 150);
    QTRY_VERIFY(client()->width() >= ReaderLayout::minimumClientPixels().width());
    QVERIFY(client()->height() >= ReaderLayout::minimumClientPixels().height());
    const QSize outer = form().outerSize();
    QCOMPARE(view()->Width(), outer.width() - 3920);
    QCOMPARE(view()->Height(), outer.height() - 945);
    QCOMPARE(get("Picture8")->pos(), QPoint(0, 0));
}

void TestReader::closeButtonHidesForGoodAndTheMenuTogglesBack()
{
    setClientSize(QSize(792, 546));
    const QRect shown = view()->geometry();
    auto *toggle = get<QAction>("隐藏显示书签");
    toggle->trigger();
    QCOMPARE(view()->Width(), 11740);
    toggle->trigger();
    QCOMPARE(view()->geometry(), shown);

    QTest::mouseClick(get("Picture6"), Qt::LeftButton);
    QCOMPARE(view()->Left(), 60);
    QCOMPARE(get("Picture7")->geometry(), pixels(60, 60, 11740, 8055));
    // The side panel itself stays where it is, under the view, and shows nothing through it.
    QCOMPARE(get("Frame1")->geometry(), pixels(60, -30, 3585, 8175));
    get("Picture7")->hide();
    QCOMPARE(client()->grab(view()->geometry()).toImage().convertToFormat(QImage::Format_RGB32),
             view()->grab().toImage().convertToFormat(QImage::Format_RGB32));

    // Resizing keeps it hidden, a second click changes nothing, the menu brings it back.
    setClientSize(QSize(1000, 600));
    QCOMPARE(view()->Width(), form().outerSize().width() - 260);
    QTest::mouseClick(get("Picture6"), Qt::LeftButton);
    QCOMPARE(view()->Left(), 60);
    setClientSize(QSize(792, 546));
    toggle->trigger();
    QCOMPARE(view()->geometry(), shown);
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
    form().Form_Load(QString());
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    if (auto *label = form().findChild<ClickLabel *>(control)) {
        // A release elsewhere is no click.
        QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(-5, -5));
        QCOMPARE(m_reader->fakes.webOpener.addresses, QStringList());
        QTest::mouseClick(label, Qt::LeftButton);
    } else {
        get<QAction>(qPrintable(control))->trigger();
    }
    QCOMPARE(m_reader->fakes.webOpener.addresses, QStringList{page});
}

// A list is fitted to its widest line, in its own font, 8 pixels more; the scroll bar shows only
// while that is wider than the list, and the whole line comes into view at its end.
void TestReader::listsAreFittedToTheirWidestLine()
{
    SideList list;
    list.resize(200, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QScrollBar *bar = list.horizontalScrollBar();
    const QString longest = QStringLiteral("这是一个非常非常长的书签名称，远远超过了列表的宽度");
    list.addItems({QStringLiteral("短"), longest, QStringLiteral("中等长度")});
    QFont large = list.font();
    large.setPixelSize(30);
    list.setFont(large);
    Module1::FitList(list);
    QCOMPARE(list.horizontalExtent(), QFontMetrics(large).horizontalAdvance(longest) + 8);
    QTRY_VERIFY(bar->isVisible());
    bar->setValue(bar->maximum());
    QVERIFY(list.visualItemRect(list.item(1)).right() < list.viewport()->width());

    delete list.takeItem(1);
    delete list.takeItem(1);
    Module1::FitList(list);
    QTRY_VERIFY(!bar->isVisible());
    list.clear();
    Module1::FitList(list);
    QCOMPARE(list.horizontalExtent(), 0);
}

QTEST_MAIN(TestReader)
#include "tst_reader.moc"
