#include "app/startup.h"
#include "core/layout/twips.h"
#include "gui/bookmarks/form3.h"
#include "gui/bookmarks/form4.h"
#include "gui/bookmarks/pagecapture.h"
#include "guitest.h"
#include "testbooks.h"
#include "testfiles.h"
#include "testpdfs.h"
#include "widgets/clicklabel.h"
#include "widgets/sidelist.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

using GuiTest::child;
using GuiTest::gbk;

// Page capture and the two bookmark dialogs as the reader window opens them. Where a bookmark
// goes and what Save writes are the session's rules, tested there.
class TestBookmarkDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup() { m_reader.reset(); }

    void findPageBox_data();
    void findPageBox();
    void findPageBoxVisitsTopmostFirstAndSkipsOtherWindows();
    void buttonsLookPressedWhileHeldDown();
    void captureOpensTheDialogOnlyForAPageOfADocument();
    void addBookmark();
    void chapterBookmarkBringsTheBookmarkListForward();
    void unwritableFileKeepsTheDialogAndTheLists();
    void organise();
    void failedSaveKeepsTheOldFileAndTheText();

private:
    Form1 &form() const { return m_reader->form(); }
    QString file(const QString &name) const { return m_reader->file(name); }
    RecordingView &view() const { return m_reader->view(); }
    void openPdf(const QString &name, int pages)
    {
        QVERIFY(TestPdfs::write(file(name), pages));
        m_reader->windows->session().open(file(name));
    }
    void release(const char *button)
    {
        QTest::mousePress(m_reader->get<ClickLabel>(button), Qt::LeftButton);
        QTest::mouseRelease(m_reader->get<ClickLabel>(button), Qt::LeftButton);
    }
    Form3 *addDialog() const { return form().findChild<Form3 *>(); }
    Form4 *organiseDialog() const { return form().findChild<Form4 *>(); }
    // Opens the dialog through a real capture of the view showing `page`.
    Form3 *addDialogOnPage(int page)
    {
        view().setCurrentPage(page);
        release("Label7");
        return Module1::CurrentPage == page ? addDialog() : nullptr;
    }
    // Types as the keyboard would, one character at a time.
    static void type(Form3 *dialog, const QString &text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(child<QLineEdit>(dialog, "Text1"), &press);
        }
    }
    static void press(QWidget *dialog, const char *button)
    {
        QTest::mouseClick(child<QPushButton>(dialog, button), Qt::LeftButton);
    }
    static bool centred(const QWidget *dialog)
    {
        const QPoint centre = dialog->screen()->geometry().center();
        return (dialog->frameGeometry().center() - centre).manhattanLength() <= 1;
    }

    std::unique_ptr<GuiTest::Reader> m_reader;
};

void TestBookmarkDialogs::initTestCase()
{
    Module1::SetApplicationFont();
}

void TestBookmarkDialogs::init()
{
    m_reader = std::make_unique<GuiTest::Reader>();
    form().Form_Load(QString());
    form().show();
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    Module1::CurrentPage = 0;
}

void TestBookmarkDialogs::findPageBox_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("page");
    QTest::newRow("7") << QStringList{"7"} << 7;
    QTest::newRow("blanks around 12") << QStringList{" 12 "} << 12;
    QTest::newRow("roman iv") << QStringList{"iv"} << 0;
    QTest::newRow("page then a zoom text") << QStringList{"5", "125%"} << 5;
    QTest::newRow("zoom text then page") << QStringList{"125%", "5"} << 5;
    QTest::newRow("beyond 16 bits") << QStringList{"32768"} << 0;
    QTest::newRow("largest 16-bit") << QStringList{"32767"} << 32767;
    QTest::newRow("digits with text") << QStringList{"3 页"} << 0;
}

// Boxes are made bottom to top, so the first listed lies on top and is visited first.
void TestBookmarkDialogs::findPageBox()
{
    QFETCH(QStringList, boxes);
    QFETCH(int, page);
    QWidget window;
    auto *toolbar = new QToolBar(&window);
    for (auto it = boxes.crbegin(); it != boxes.crend(); ++it)
        new QLineEdit(*it, toolbar);
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), page);
}

void TestBookmarkDialogs::findPageBoxVisitsTopmostFirstAndSkipsOtherWindows()
{
    QWidget window;
    auto *lower = new QLineEdit(QStringLiteral("3"), &window);
    auto *upper = new QLineEdit(QStringLiteral("8"), &window);
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), 8);
    lower->raise();
    Module1::CurrentPage = 0;
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), 3);

    // A dialog of the window, a hidden box and what a hidden widget holds are never searched.
    delete lower;
    delete upper;
    new QLineEdit(QStringLiteral("2024"), new QDialog(&window));
    (new QLineEdit(QStringLiteral("9"), &window))->hide();
    auto *hiddenPanel = new QWidget(&window);
    new QLineEdit(QStringLiteral("4"), hiddenPanel);
    hiddenPanel->hide();
    Module1::CurrentPage = 0;
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), 0);
}

void TestBookmarkDialogs::buttonsLookPressedWhileHeldDown()
{
    auto *button = m_reader->get<QFrame>("Picture4");
    QTest::mousePress(m_reader->get<ClickLabel>("Label7"), Qt::RightButton);
    QCOMPARE(button->frameShape(), QFrame::Panel);
    QCOMPARE(button->frameShadow(), QFrame::Sunken);
    // The release counts wherever the pointer is.
    QTest::mouseRelease(m_reader->get<ClickLabel>("Label7"), Qt::RightButton, {}, QPoint(-40, -40));
    QCOMPARE(button->frameShape(), QFrame::NoFrame);
    QTest::mousePress(m_reader->get<ClickLabel>("Label8"), Qt::LeftButton);
    QCOMPARE(m_reader->get<QFrame>("Picture5")->frameShape(), QFrame::Panel);
}

void TestBookmarkDialogs::captureOpensTheDialogOnlyForAPageOfADocument()
{
    // A page number in the box, but no document open.
    view().setShowToolbar(false);
    view().findChild<QLineEdit *>()->setText(QStringLiteral("7"));
    QElapsedTimer clock;
    clock.start();
    release("Label7");
    QVERIFY(clock.elapsed() > 200);
    QVERIFY(view().isToolbarShown());
    QCOMPARE(int(Module1::CurrentPage), 7);
    QVERIFY(!addDialog());

    // A book before any chapter is shown: the view is empty, no page is found.
    view().findChild<QLineEdit *>()->clear();
    m_reader->windows->session().open(
        TestFiles::write(file("书.VELM"), TestBooks::bookOf({{"甲", TestFiles::pdfLike(300, 1)}}))
            ? file("书.VELM")
            : QString());
    release("Label7");
    QCOMPARE(int(Module1::CurrentPage), 0);
    QVERIFY(!addDialog());

    // The reader window closed during the capture's wait ends the program.
    openPdf("a.pdf", 4);
    view().setCurrentPage(3);
    QTimer::singleShot(50, &form(), &QWidget::close);
    release("Label7");
    QCOMPARE(int(Module1::CurrentPage), 3);
    QVERIFY(!addDialog());
}

void TestBookmarkDialogs::addBookmark()
{
    openPdf("a.pdf", 3);
    Form3 *dialog = addDialogOnPage(3);
    QVERIFY(dialog);
    QCOMPARE(dialog->windowTitle(), QStringLiteral("添加书签"));
    QCOMPARE(dialog->size(), Twips::toPixelRect(0, 0, 5085, 1905).size());
    QCOMPARE(child<QLineEdit>(dialog, "Text1")->geometry(), Twips::toPixelRect(180, 720, 4635, 315));
    QVERIFY(centred(dialog) && !dialog->isModal());
    QTRY_COMPARE(QApplication::focusWidget(), child<QLineEdit>(dialog, "Text1"));

    // No name records nothing; at most 30 characters are taken; a second capture brings the
    // same dialog forward with its name and place, for the page captured last.
    press(dialog, "Command1");
    QVERIFY(dialog->isVisible());
    type(dialog, QString(30, QChar(0x4E66)) + "多");
    dialog->move(dialog->pos() + QPoint(30, 20));
    const QPoint moved = dialog->pos();
    QCOMPARE(addDialogOnPage(2), dialog);
    QCOMPARE(dialog->pos(), moved);
    press(dialog, "Command1");
    const QByteArray first = gbk(QString(30, QChar(0x4E66)) + "［2］\r\n");
    QCOMPARE(TestFiles::read(file("a.ini")), first);
    QCOMPARE(m_reader->lines("List4"), QStringList({QString(30, QChar(0x4E66))}));
    QVERIFY(m_reader->get<SideList>("List4")->horizontalExtent() > 0);
    QVERIFY(!m_reader->get<QLabel>("Label1")->isHidden());

    // The next capture comes before the saved dialog is gone: it gets a new, empty one. Cancel
    // records nothing.
    const QPointer<Form3> closing(dialog);
    QVERIFY(!closing->isVisible());
    view().setCurrentPage(1);
    release("Label7");
    QTRY_VERIFY(!closing);
    dialog = addDialog();
    QVERIFY(dialog && dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "Text1")->text(), QString());
    type(dialog, "不要");
    press(dialog, "Command3");
    QTRY_VERIFY(!addDialog());
    QCOMPARE(TestFiles::read(file("a.ini")), first);
    // Blanks are a name.
    type(addDialogOnPage(1), "  ");
    press(addDialog(), "Command1");
    QCOMPARE(TestFiles::read(file("a.ini")), first + gbk("  ［1］\r\n"));
}

// Pasted line breaks become blanks; the bookmark list comes forward over the contents.
void TestBookmarkDialogs::chapterBookmarkBringsTheBookmarkListForward()
{
    QVERIFY(TestPdfs::write(file("c.pdf"), 3));
    const QByteArray chapter = TestFiles::read(file("c.pdf"));
    QVERIFY(TestFiles::write(file("诗集.VELM"), TestBooks::bookOf({{"序言", chapter}, {"正文", chapter}})));
    m_reader->windows->session().open(file("诗集.VELM"));
    m_reader->get<SideList>("List1")->setCurrentRow(1);
    Form3 *dialog = addDialogOnPage(2);
    QVERIFY(dialog);
    QApplication::clipboard()->setText(QStringLiteral("上\r\n下\n尾"));
    child<QLineEdit>(dialog, "Text1")->paste();
    press(dialog, "Command1");
    QCOMPARE(TestFiles::read(file("诗集.ini")), gbk("{1}正文&上 下 尾［2］\r\n"));
    QCOMPARE(m_reader->lines("List3"), QStringList({"上 下 尾［2］"}));
    QCOMPARE(m_reader->get<QLabel>("Image1")->pixmap().toImage(),
             m_reader->get<QLabel>("Picture2")->pixmap().toImage());
    QVERIFY(m_reader->get<SideList>("List1")->isHidden());
    QVERIFY(!m_reader->get<SideList>("List4")->isHidden());
}

void TestBookmarkDialogs::unwritableFileKeepsTheDialogAndTheLists()
{
    QVERIFY(TestFiles::write(file("a.ini"), gbk("旧［1］\r\n")));
    openPdf("a.pdf", 3);
    Form3 *dialog = addDialogOnPage(2);
    QVERIFY(dialog);
    type(dialog, "新");
    // The bookmark file is replaced by a folder: no line can be appended to it.
    QVERIFY(QFile::rename(file("a.ini"), file("a.old")));
    QVERIFY(QDir(m_reader->dir.path()).mkdir("a.ini"));
    press(dialog, "Command1");
    QCOMPARE(m_reader->fakes.dialogs.messages, QStringList({"无法写入书签文件，书签未保存！"}));
    QVERIFY(dialog->isVisible());
    QCOMPARE(child<QLineEdit>(dialog, "Text1")->text(), QStringLiteral("新"));
    QCOMPARE(m_reader->lines("List3"), QStringList({"旧［1］"}));
    QCOMPARE(TestFiles::read(file("a.old")), gbk("旧［1］\r\n"));
}

void TestBookmarkDialogs::organise()
{
    release("Label8");
    QVERIFY(!organiseDialog());
    QVERIFY(TestFiles::write(file("a.ini"), gbk("甲［3］\r\n\r\n   \r\n乙［7］  \r\n")));
    openPdf("a.pdf", 3);
    view().setShowToolbar(false);
    release("Label8");
    Form4 *dialog = organiseDialog();
    QVERIFY(dialog);
    // Organising captures no page.
    QVERIFY(!view().isToolbarShown());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("整理书签"));
    QCOMPARE(dialog->size(), Twips::toPixelRect(0, 0, 8550, 5895).size());
    QVERIFY(centred(dialog) && !dialog->isModal());
    QTRY_COMPARE(QApplication::focusWidget(), child<QPushButton>(dialog, "Command1"));
    auto *text = child<QPlainTextEdit>(dialog, "Text1");
    QCOMPARE(text->toPlainText(), QStringLiteral("甲［3］\n乙［7］  \n"));

    // Cancel keeps the file.
    text->setPlainText(QStringLiteral("乙[7]"));
    press(dialog, "Command2");
    QTRY_VERIFY(!organiseDialog());
    QCOMPARE(TestFiles::read(file("a.ini")), gbk("甲［3］\r\n\r\n   \r\n乙［7］  \r\n"));
    release("Label8");
    dialog = organiseDialog();
    text = child<QPlainTextEdit>(dialog, "Text1");
    // One at a time: the button brings it forward with what was typed.
    text->setPlainText(QStringLiteral("丙[9]\n甲［3］"));
    release("Label8");
    QCOMPARE(form().findChildren<Form4 *>().size(), 1);
    press(dialog, "Command1");
    QTRY_VERIFY(!organiseDialog());
    QCOMPARE(TestFiles::read(file("a.ini")), gbk("丙［9］\r\n甲［3］\r\n"));
    QCOMPARE(m_reader->lines("List4"), QStringList({"丙", "甲"}));

    // A document without a bookmark file offers nothing to edit.
    m_reader->windows->session().open(file("notes.txt"));
    release("Label8");
    dialog = organiseDialog();
    QVERIFY(dialog && child<QPlainTextEdit>(dialog, "Text1")->isReadOnly());
    press(dialog, "Command1");
    QTRY_VERIFY(!organiseDialog());
    QCOMPARE(QDir(m_reader->dir.path()).entryList(QDir::Files), QStringList({"a.ini", "a.pdf"}));
}

void TestBookmarkDialogs::failedSaveKeepsTheOldFileAndTheText()
{
    const QByteArray before = gbk("甲［3］\r\n");
    QVERIFY(TestFiles::write(file("a.ini"), before));
    openPdf("a.pdf", 3);
    release("Label8");
    Form4 *dialog = organiseDialog();
    QVERIFY(dialog);
    auto *text = child<QPlainTextEdit>(dialog, "Text1");
    text->setPlainText(QStringLiteral("甲［3］\n乙[7]\n一个很长的书签名称［12］\n"));
    {
        TestFiles::FileSizeLimit limit(12);
        press(dialog, "Command1");
    }
    QCOMPARE(TestFiles::read(file("a.ini")), before);
    QCOMPARE(m_reader->fakes.dialogs.messages, QStringList({"无法写入书签文件，书签未保存！"}));
    QVERIFY(dialog->isVisible());
    QVERIFY(text->toPlainText().contains(QStringLiteral("乙［7］")));
    QCOMPARE(m_reader->lines("List4"), QStringList({"甲"}));
}

QTEST_MAIN(TestBookmarkDialogs)
#include "tst_bookmark_dialogs.moc"
