#include "app/startup.h"
#include "core/layout/readerlayout.h"
#include "core/layout/twips.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "gui/bookmarks/form3.h"
#include "gui/bookmarks/form4.h"
#include "gui/bookmarks/pagecapture.h"
#include "guitest.h"
#include "testfiles.h"
#include "testpdfs.h"
#include "widgets/clicklabel.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

using GuiTest::child;
using GuiTest::gbk;

// The reader window and its bookmark dialogs as views of the session: the design applied, the
// layout rules wired to the window's size, and what each command shows. The rules themselves
// are tested in core.
class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_reader = std::make_unique<GuiTest::Reader>(); }
    void cleanup() { m_reader.reset(); }

    void design();
    void layoutFollowsTheWindowSize();
    void closeButtonHidesForGoodAndTheMenuTogglesBack();
    void linksOpenTheirPages();
    void listsAreFittedToTheirWidestLine();
    void launch_data();
    void launch();
    void openCommand();
    void chaptersBookmarksAndTabs();
    void bookmarkGoesToItsPage_data();
    void bookmarkGoesToItsPage();
    void findPageBox_data();
    void findPageBox();
    void captureOpensTheDialogOnlyForAPageOfADocument();
    void addBookmark();
    void organise();

private:
    Form1 &form() const { return m_reader->form(); }
    template <class T = QWidget> T *get(const char *name) const { return m_reader->get<T>(name); }
    QStringList lines(const char *list) const { return m_reader->lines(list); }
    RecordingView &view() const { return m_reader->view(); }
    QString file(const QString &name) const { return m_reader->file(name); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return TestFiles::write(file(name), bytes) ? file(name) : QString();
    }
    QString writeBook() const
    {
        write("s.ini", gbk("{0}一&甲［2］\r\n{0}一&乙［1］\r\n{1}二&丙［1］\r\n"));
        return write("s.VELM", TestFiles::bookOf({{"一", m_first}, {"二", m_second}}));
    }
    void showWindow(const QSize &client = QSize(792, 546));
    void release(const char *button)
    {
        QTest::mousePress(get<ClickLabel>(button), Qt::LeftButton);
        QTest::mouseRelease(get<ClickLabel>(button), Qt::LeftButton);
    }
    // Opens the add-bookmark dialog through a real capture of the view showing `page`.
    Form3 *addDialogOnPage(int page)
    {
        view().setCurrentPage(page);
        release("Label7");
        return Module1::CurrentPage == page ? form().findChild<Form3 *>() : nullptr;
    }
    bool sameImage(const char *a, const char *b) const
    {
        return get<QLabel>(a)->pixmap().toImage() == get<QLabel>(b)->pixmap().toImage();
    }

    std::unique_ptr<GuiTest::Reader> m_reader;
    QByteArray m_first, m_second;
};

namespace
{

QByteArray pdfBytes(int pages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.pdf"));
    return TestPdfs::write(path, pages) ? TestFiles::read(path) : QByteArray();
}

void clickRow(QListWidget *list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

// Types as the keyboard would, one character at a time.
void type(QWidget *dialog, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(child<QLineEdit>(dialog, "Text1"), &press);
    }
}

void press(QWidget *dialog, const char *button)
{
    QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
}

bool centred(const QWidget *dialog)
{
    const QPoint centre = dialog->screen()->geometry().center();
    return (dialog->frameGeometry().center() - centre).manhattanLength() <= 1;
}

} // namespace

void TestWindow::initTestCase()
{
    Module1::SetApplicationFont();
    m_first = pdfBytes(2);
    m_second = pdfBytes(3);
    QVERIFY(!m_first.isEmpty() && !m_second.isEmpty());
}

// Gives the window a client area of exactly `client`, shown but not maximised.
void TestWindow::showWindow(const QSize &client)
{
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    form().resize(form().size() + client - form().centralWidget()->size());
    QTRY_COMPARE(form().centralWidget()->size(), client);
    Module1::CurrentPage = 0;
}

// One control of each parent at its design place; later siblings on top of earlier ones; the
// look before a document is loaded.
void TestWindow::design()
{
    const QList<QPair<const char *, QRect>> places{{"Frame1", {60, -30, 3585, 10935}},
                                                   {"List4", {90, 900, 3375, 9930}},
                                                   {"Image3", {60, 30, 225, 225}},
                                                   {"Label24", {4320, 3000, 3435, 615}}};
    for (const auto &place : places)
        QCOMPARE(get(place.first)->geometry(), Twips::toPixelRect(place.second));
    for (const QStringList &siblings :
         {QStringList{"Frame1", "PDF1", "Picture7"},
          QStringList{"Image1", "Label9", "Label10", "Label1", "List1", "Picture4", "Picture5",
                      "Picture6", "List4"},
          QStringList{"Image2", "Label3", "Label7"}, QStringList{"Image4", "Label2", "Label21"}}) {
        const QObjectList order = get(qPrintable(siblings.first()))->parentWidget()->children();
        for (int i = 0; i + 1 < siblings.size(); ++i)
            QVERIFY2(order.indexOf(get(qPrintable(siblings.at(i)))) <
                         order.indexOf(get(qPrintable(siblings.at(i + 1)))),
                     qPrintable(siblings.at(i + 1)));
    }
    form().show();
    for (const char *shown : {"Label1", "List4", "Picture7", "PDF1"})
        QVERIFY2(get(shown)->isVisible(), shown);
    for (const char *hidden : {"Label9", "Label10", "List1", "List2", "List3", "Text2"})
        QVERIFY2(!get(hidden)->isVisible(), hidden);
    QVERIFY(sameImage("Image1", "Picture3") && !sameImage("Picture1", "Picture2"));
}

// The worked example's size, another size, then below the minimum: the view keeps its left
// edge and ends 200 twips from the right edge, the start panel lies over it, the lists follow.
void TestWindow::layoutFollowsTheWindowSize()
{
    showWindow();
    QCOMPARE(form().outerSize(), QSize(12000, 9000));
    QCOMPARE(view().geometry(), Twips::toPixelRect(3720, 60, 8080, 8055));
    QCOMPARE(get("Picture7")->geometry(), Twips::toPixelRect(3720, 60, 8080, 8055));
    QCOMPARE(get("Frame1")->geometry(), Twips::toPixelRect(60, -30, 3585, 8175));
    QCOMPARE(get("List4")->geometry(), Twips::toPixelRect(90, 900, 3375, 7170));
    QCOMPARE(get("List1")->geometry(), get("List4")->geometry());

    QCOMPARE(get("Picture8")->geometry(), Twips::toPixelRect(0, 937, 8280, 6180));

    form().resize(200, 150);
    QTRY_VERIFY(form().centralWidget()->width() >= ReaderLayout::minimumClientPixels().width());
    const QSize outer = form().outerSize();
    QCOMPARE(view().Width(), outer.width() - 3920);
    QCOMPARE(get("Picture8")->pos(), QPoint(0, 0));
}

void TestWindow::closeButtonHidesForGoodAndTheMenuTogglesBack()
{
    showWindow();
    const QRect shown = view().geometry();
    auto *toggle = get<QAction>("隐藏显示书签");
    toggle->trigger();
    QCOMPARE(view().Width(), 11740);
    toggle->trigger();
    QCOMPARE(view().geometry(), shown);
    QTest::mouseClick(get("Picture6"), Qt::LeftButton);
    QCOMPARE(get("Picture7")->geometry(), Twips::toPixelRect(60, 60, 11740, 8055));
    // The side panel stays where it is, under the view, and shows nothing through it.
    QCOMPARE(get("Frame1")->geometry(), Twips::toPixelRect(60, -30, 3585, 8175));
    get("Picture7")->hide();
    QCOMPARE(form()
                 .centralWidget()
                 ->grab(view().geometry())
                 .toImage()
                 .convertToFormat(QImage::Format_RGB32),
             view().grab().toImage().convertToFormat(QImage::Format_RGB32));
    toggle->trigger();
    QCOMPARE(view().geometry(), shown);
}

// Every link opens its page; a release elsewhere is no click.
void TestWindow::linksOpenTheirPages()
{
    form().Form_Load(QString());
    showWindow();
    const auto page = [](const QString &numberText) {
        return Module1::DecodeNumberText(numberText);
    };
    const QList<QPair<const char *, QString>> links{
        {"Label20", NumberTexts::homePage()},      {"Label23", NumberTexts::homePage()},
        {"Label24", NumberTexts::pageOne()},       {"Label25", NumberTexts::pageTwo()},
        {"Label26", NumberTexts::pageThree()},     {"Label27", NumberTexts::helpPage()},
        {"访问作者主页", NumberTexts::homePage()}, {"在线帮助", NumberTexts::helpPage()}};
    QStringList expected;
    for (const auto &link : links) {
        if (auto *label = form().findChild<ClickLabel *>(QString::fromUtf8(link.first))) {
            QTest::mouseRelease(label, Qt::LeftButton, Qt::NoModifier, QPoint(-5, -5));
            QTest::mouseClick(label, Qt::LeftButton);
        } else {
            get<QAction>(link.first)->trigger();
        }
        expected << page(link.second);
        QCOMPARE(m_reader->fakes.webOpener.addresses, expected);
    }
}

// A list is fitted to its widest line in its own font, 8 pixels more; the scroll bar shows only
// while that is wider than the list, and the whole line comes into view at its end.
void TestWindow::listsAreFittedToTheirWidestLine()
{
    SideList list;
    list.resize(200, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const QString longest = QStringLiteral("这是一个非常非常长的书签名称，远远超过了列表的宽度");
    list.addItems({QStringLiteral("短"), longest, QStringLiteral("中等长度")});
    QFont large = list.font();
    large.setPixelSize(30);
    list.setFont(large);
    Module1::FitList(list);
    QCOMPARE(list.horizontalExtent(), QFontMetrics(large).horizontalAdvance(longest) + 8);
    QScrollBar *bar = list.horizontalScrollBar();
    QTRY_VERIFY(bar->isVisible());
    bar->setValue(bar->maximum());
    QVERIFY(list.visualItemRect(list.item(1)).right() < list.viewport()->width());
    delete list.takeItem(1);
    Module1::FitList(list);
    QTRY_VERIFY(!bar->isVisible());
}

void TestWindow::launch_data()
{
    QTest::addColumn<QString>("argument"); // %1: the test's folder
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("chapters");
    QTest::addColumn<int>("loads");
    const auto row = [](const char *name, const char *argument, const char *caption, int chapters,
                        int loads) {
        QTest::newRow(name) << argument << caption << chapters << loads;
    };
    row("nothing", "", " V2.2", 0, 0);
    row("book", "%1/s.VELM", " - s.VELM", 2, 0);
    row("pdf", "%1/a.pdf", " - a.pdf", 0, 1);
    row("quoted path has no kind", "\"%1/a.pdf\"", " - a.pdf\"", 0, 0);
}

// The path goes to Text2 and the caption whatever its kind; a book lists its chapters and keeps
// the start panel until one is chosen, a PDF is shown. The view's toolbar shows, lists are fitted.
void TestWindow::launch()
{
    QFETCH(QString, argument);
    QFETCH(QString, caption);
    QFETCH(int, chapters);
    QFETCH(int, loads);
    writeBook();
    write("a.pdf", m_first);
    view().setShowToolbar(false);
    const QString path = argument.isEmpty() ? argument : argument.arg(m_reader->dir.path());
    form().Form_Load(path);
    QVERIFY((form().windowState() & Qt::WindowMaximized) && view().isToolbarShown());
    QCOMPARE(form().windowTitle(), "PDF电子书制作软件(Quillmoor)" + caption);
    QCOMPARE(get<QLineEdit>("Text2")->text(), path);
    QCOMPARE(get<SideList>("List1")->count(), chapters);
    QCOMPARE(get<QListWidget>("List2")->count(), chapters);
    auto *contents = get<SideList>("List1");
    QCOMPARE(contents->horizontalExtent(), Module1::MeasureListWidth(*contents));
    QCOMPARE(view().loads.size(), loads);
    QCOMPARE(get("Picture7")->isHidden(), loads > 0);
    QCOMPARE(get<QLabel>("Label20")->text(),
             Module1::DecodeNumberText(NumberTexts::homePageText()));
}

// Asks with its title, filter and the open document; blanks around the answer are dropped; a
// PDF stays in view until a chapter of the book opened after it is chosen. A file of no kind is
// refused: the book stays open, path, caption, lists and start panel, and the file is not read.
void TestWindow::openCommand()
{
    const QString pdf = write("a.pdf", m_first);
    write("a.ini", gbk("附录［2］\r\n"));
    form().Form_Load(pdf);
    get("Picture7")->show();
    m_reader->fakes.dialogs.fileAnswer = "  " + writeBook() + " ";
    get<QAction>("打开")->trigger();
    const FakeDialogs::FileRequest request = m_reader->fakes.dialogs.fileRequests.last();
    QCOMPARE(request.title + request.filter, QStringLiteral("打开PDF文件PDF文件 (*.pdf *.VELM)"));
    QCOMPARE(request.initialFolder, pdf);
    QCOMPARE(get<QLineEdit>("Text2")->text(), file("s.VELM"));
    QCOMPARE(lines("List1"), QStringList({"一", "二"}));
    QCOMPARE(lines("List4"), QStringList({"附录"}));
    QVERIFY(get("Picture7")->isHidden() && get("List4")->isHidden());
    QCOMPARE(view().loads.size(), 1);

    get("Picture7")->show();
    const QByteArray notes = TestFiles::bookOf({{"假", m_second}});
    m_reader->fakes.dialogs.fileAnswer = write("notes.txt", notes);
    get<ClickLabel>("Label21")->clicked();
    QCOMPARE(m_reader->fakes.dialogs.messages, QStringList({"文件格式错误！"}));
    QCOMPARE(form().windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) - s.VELM"));
    QCOMPARE(lines("List1"), QStringList({"一", "二"}));
    QVERIFY(!get("Picture7")->isHidden());
    form().ShowChapter(1);
    QCOMPARE(view().loads.last(), m_second);
    QCOMPARE(TestFiles::read(file("notes.txt")), notes);
}

// A chapter chosen by a click, a second click or a key is shown with its bookmarks; a bookmark
// clicked goes to its page; the tabs switch the looks and read nothing.
void TestWindow::chaptersBookmarksAndTabs()
{
    form().Form_Load(writeBook());
    showWindow(QSize(1000, 700));
    QVERIFY(sameImage("Image1", "Picture1"));
    QVERIFY(!get("Label9")->isHidden() && get("Label1")->isHidden() && get("List4")->isHidden());
    auto *contents = get<SideList>("List1");
    clickRow(contents, 1);
    clickRow(contents, 1);
    QCOMPARE(view().loads, QList<QByteArray>({m_second, m_second}));
    QVERIFY(get("Picture7")->isHidden());
    QCOMPARE(lines("List4"), QStringList({"丙"}));
    contents->setFocus();
    QTest::keyClick(contents, Qt::Key_Up);
    QCOMPARE(view().loads.last(), m_first);
    QCOMPARE(lines("List4"), QStringList({"甲", "乙"}));
    QCOMPARE(lines("List3"), QStringList({"甲［2］", "乙［1］"}));

    get<SideList>("List4")->setHorizontalExtent(0);
    get<ClickLabel>("Label10")->clicked();
    QVERIFY(sameImage("Image1", "Picture2") && !get("List1")->isHidden());
    QVERIFY(get<SideList>("List4")->horizontalExtent() > 0);
    clickRow(get<SideList>("List4"), 0);
    QCOMPARE(view().currentPage(), 2);
    clickRow(get<SideList>("List4"), 1);
    QCOMPARE(view().currentPage(), 1);
    get<ClickLabel>("Label9")->clicked();
    QVERIFY(sameImage("Image1", "Picture1") && get("List4")->isHidden());
    QCOMPARE(view().loads.size(), 3);
}

void TestWindow::bookmarkGoesToItsPage_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("page");
    QTest::newRow("［12］") << "名［12］" << 12;
    QTest::newRow("no closing bracket") << "名［123" << 12;
    QTest::newRow("above 16 bits") << "名［40000］" << 3;
    QTest::newRow("beyond the last page") << "名［99］" << 3;
}

void TestWindow::bookmarkGoesToItsPage()
{
    QFETCH(QString, entry);
    QFETCH(int, page);
    QVERIFY(TestPdfs::write(file("p.pdf"), 14));
    write("p.ini", gbk(entry + "\r\n"));
    form().Form_Load(file("p.pdf"));
    form().resize(900, 700);
    view().setCurrentPage(3);
    form().GoToBookmark(0);
    QCOMPARE(view().currentPage(), page);
    form().GoToBookmark(5);
    QCOMPARE(view().currentPage(), page);
}

void TestWindow::findPageBox_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("page");
    QTest::newRow("blanks around 12") << QStringList{" 12 "} << 12;
    QTest::newRow("page then a zoom text") << QStringList{"5", "125%"} << 5;
    QTest::newRow("zoom text then page") << QStringList{"125%", "5"} << 5;
    QTest::newRow("beyond 16 bits") << QStringList{"32768"} << 0;
    QTest::newRow("largest 16-bit") << QStringList{"32767"} << 32767;
    QTest::newRow("digits with text") << QStringList{"3 页"} << 0;
}

// Boxes are made bottom to top, so the first listed lies on top and is visited first. A dialog
// of the window, a hidden box and what a hidden widget holds are never searched.
void TestWindow::findPageBox()
{
    QFETCH(QStringList, boxes);
    QFETCH(int, page);
    QWidget window;
    new QLineEdit(QStringLiteral("2024"), new QDialog(&window));
    (new QLineEdit(QStringLiteral("9"), &window))->hide();
    auto *hiddenPanel = new QWidget(&window);
    new QLineEdit(QStringLiteral("4"), hiddenPanel);
    hiddenPanel->hide();
    auto *toolbar = new QToolBar(&window);
    for (auto it = boxes.crbegin(); it != boxes.crend(); ++it)
        new QLineEdit(*it, toolbar);
    Module1::CurrentPage = 0;
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), page);
}

void TestWindow::captureOpensTheDialogOnlyForAPageOfADocument()
{
    showWindow();
    // A page number in the box, but no document open: the capture shows the toolbar first.
    view().setShowToolbar(false);
    view().findChild<QLineEdit *>()->setText(QStringLiteral("7"));
    release("Label7");
    QVERIFY(view().isToolbarShown());
    QCOMPARE(int(Module1::CurrentPage), 7);
    QVERIFY(!form().findChild<Form3 *>());
    // A book before any chapter is shown: no page is found.
    view().findChild<QLineEdit *>()->clear();
    m_reader->windows->session().open(writeBook());
    release("Label7");
    QCOMPARE(int(Module1::CurrentPage), 0);
    QVERIFY(!form().findChild<Form3 *>());
    // The reader window closed during the capture's wait ends the program.
    m_reader->windows->session().open(write("a.pdf", m_first));
    view().setCurrentPage(2);
    QTimer::singleShot(50, &form(), &QWidget::close);
    release("Label7");
    QCOMPARE(int(Module1::CurrentPage), 2);
    QVERIFY(!form().findChild<Form3 *>());
}

// Nothing is recorded without a name, but blanks are one; a second capture brings the same dialog
// forward for the page captured last. A file that cannot be written keeps the dialog and its
// name; Cancel records nothing; in a chapter,
// pasted line breaks become blanks and the bookmark list comes forward over the contents.
void TestWindow::addBookmark()
{
    showWindow();
    write("a.ini", gbk("旧［1］\r\n"));
    m_reader->windows->session().open(write("a.pdf", pdfBytes(3)));
    Form3 *dialog = addDialogOnPage(3);
    QVERIFY(dialog && centred(dialog) && !dialog->isModal());
    QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(dialog, "Text1"));
    press(dialog, "Command1");
    QVERIFY(dialog->isVisible());
    type(dialog, QString(30, QChar(0x4E66)) + "多");
    QCOMPARE(addDialogOnPage(2), dialog);
    press(dialog, "Command1");
    QCOMPARE(TestFiles::read(file("a.ini")),
             gbk("旧［1］\r\n" + QString(30, QChar(0x4E66)) + "［2］\r\n"));
    QCOMPARE(lines("List4").size(), 2);

    // The next capture comes before the saved dialog is gone: it gets a new, empty one.
    const QPointer<Form3> closing(dialog);
    view().setCurrentPage(2);
    release("Label7");
    QTRY_VERIFY(!closing);
    dialog = form().findChild<Form3 *>();
    QVERIFY(dialog && child<QLineEdit>(dialog, "Text1")->text().isEmpty());
    type(dialog, "  "); // blanks are a name
    QVERIFY(QFile::rename(file("a.ini"), file("a.old")) && QDir().mkdir(file("a.ini")));
    press(dialog, "Command1");
    QCOMPARE(m_reader->fakes.dialogs.messages, QStringList({"无法写入书签文件，书签未保存！"}));
    QVERIFY(dialog->isVisible() && child<QLineEdit>(dialog, "Text1")->text() == "  ");
    press(dialog, "Command3");
    QTRY_VERIFY(!form().findChild<Form3 *>());
    QCOMPARE(m_reader->fakes.dialogs.messages.size(), 1);

    m_reader->windows->session().open(writeBook());
    get<SideList>("List1")->setCurrentRow(1);
    dialog = addDialogOnPage(2);
    QApplication::clipboard()->setText(QStringLiteral("上\r\n下"));
    child<QLineEdit>(dialog, "Text1")->paste();
    press(dialog, "Command1");
    QCOMPARE(TestFiles::read(file("s.ini")).right(18), gbk("{1}二&上 下［2］\r\n"));
    QCOMPARE(lines("List4"), QStringList({"丙", "上 下"}));
    QVERIFY(sameImage("Image1", "Picture2") && get("List1")->isHidden());
}

// Organising captures no page and shows the file's lines less the blank ones. Cancel keeps the
// file; a save that cannot be written keeps the file, the text and the lists; a save refills
// them. A document without a bookmark file offers nothing to edit.
void TestWindow::organise()
{
    showWindow();
    const QByteArray before = gbk("甲［3］\r\n\r\n   \r\n乙［7］  \r\n");
    write("a.ini", before);
    m_reader->windows->session().open(write("a.pdf", m_first));
    view().setShowToolbar(false);
    const auto open = [this] {
        release("Label8");
        return form().findChild<Form4 *>();
    };
    Form4 *dialog = open();
    QVERIFY(dialog && !view().isToolbarShown() && centred(dialog) && !dialog->isModal());
    auto *text = child<QPlainTextEdit>(dialog, "Text1");
    QCOMPARE(text->toPlainText(), QStringLiteral("甲［3］\n乙［7］  \n"));
    text->setPlainText(QStringLiteral("乙[7]"));
    press(dialog, "Command2");
    QTRY_VERIFY(!form().findChild<Form4 *>());
    QCOMPARE(TestFiles::read(file("a.ini")), before);

    dialog = open();
    text = child<QPlainTextEdit>(dialog, "Text1");
    text->setPlainText(QStringLiteral("丙[9]\n甲［3］\n一个很长的书签名称［12］"));
    QCOMPARE(open(), dialog);
    {
        TestFiles::FileSizeLimit limit(12);
        press(dialog, "Command1");
    }
    QCOMPARE(TestFiles::read(file("a.ini")), before);
    QCOMPARE(m_reader->fakes.dialogs.messages, QStringList({"无法写入书签文件，书签未保存！"}));
    QVERIFY(dialog->isVisible() && text->toPlainText().startsWith(QStringLiteral("丙［9］")));
    QCOMPARE(lines("List4"), QStringList({"甲", "乙"}));
    press(dialog, "Command1");
    QTRY_VERIFY(!form().findChild<Form4 *>());
    QCOMPARE(lines("List4"), QStringList({"丙", "甲", "一个很长的书签名称"}));

    m_reader->windows->session().open(file("notes.txt"));
    dialog = open();
    QVERIFY(dialog && child<QPlainTextEdit>(dialog, "Text1")->isReadOnly());
    press(dialog, "Command1");
    QTRY_VERIFY(!form().findChild<Form4 *>());
    QCOMPARE(QDir(m_reader->dir.path()).entryList(QDir::Files), QStringList({"a.ini", "a.pdf"}));
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
