#include "app/startup.h"
#include "core/book/bookgenerator.h"
#include "core/text/gbkcodec.h"
#include "core/bookmarks/bookmarkfile.h"
#include "gui/bookmarks/form3.h"
#include "gui/bookmarks/form4.h"
#include "gui/bookmarks/pagecapture.h"
#include "fakeservices.h"
#include "guitest.h"
#include "widgets/clicklabel.h"
#include "gui/reader/form1.h"
#include "widgets/sidelist.h"
#include "core/layout/twips.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

class TestBookmarkDialogs : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    // Page capture.
    void findPageBox_data();
    void findPageBox();
    void findPageBoxVisitsTopmostFirstAndSkipsOtherWindows();
    void buttonsLookPressedWhileHeldDown();
    void captureReadsThePageTheViewShows();
    void noDocumentOpensNoDialog();
    void closingDuringTheCaptureOpensNoDialog();
    void aSavedDialogIsNotBroughtBack();
    void noPageFoundOpensNoDialog();

    // The add-bookmark dialog.
    void addBookmarkDialogLayout();
    void plainBookmarkIsAppendedAndListed();
    void sameBookmarkTwiceGivesTwoLines();
    void nameRules();
    void pastedLineBreaksBecomeBlanks();
    void secondCaptureBringsTheSameDialogForward();
    void pageIsZeroWhenALaterCaptureFoundNothing();
    void chapterBookmarkShowsTheBookmarksTab();
    void bookWithoutAChapterChosenRecordsNothing();
    void bookmarkGoesToTheDocumentItWasCapturedIn();
    void unwritableFileKeepsTheDialogAndTheLists();

    // The organise-bookmarks dialog.
    void organiseDialogLayout();
    void organiseSavesTheText_data();
    void organiseSavesTheText();
    void bookmarksAddedWhileOrganisingAreKept();
    void bookSaveRefreshesTheChapterShown();
    void documentWithoutABookmarkFileSaysSo();
    void failedSaveKeepsTheOldFileAndTheText();
    void organiseButtonNeedsADocument();

private:
    QString pathIn(const QString &name) const { return m_dir->filePath(name); }
    void openPdf(const QString &path, int pages);
    void openBook(const QString &bookName, const QStringList &chapters);
    void showChapter(int row);
    // Releases the add-bookmark button: the capture, then the dialog when one opens.
    void releaseAddButton();
    Form3 *addDialog() const { return m_form->findChild<Form3 *>(QStringLiteral("Form3")); }
    Form4 *organiseDialog() const { return m_form->findChild<Form4 *>(QStringLiteral("Form4")); }
    Form3 *openAddDialogOnPage(int page);
    Form4 *openOrganiseDialog();
    QLineEdit *pageBox() const { return m_form->PDF1->findChild<QLineEdit *>(); }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<Form1> m_form;
};

namespace
{

// Types `text` as the keyboard would, one character at a time.
void typeText(QWidget *widget, const QString &text)
{
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

} // namespace

using GuiTest::gbk;

void TestBookmarkDialogs::initTestCase()
{
    Module1::SetApplicationFont();
}

void TestBookmarkDialogs::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_fakes = std::make_unique<FakeServices>();
    m_form = Form1::create(m_fakes->services());
    QVERIFY(m_form);
    m_form->Form_Load(QString());
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    Module1::CurrentPage = 0;
}

void TestBookmarkDialogs::cleanup()
{
    m_form.reset();
    m_fakes.reset();
    m_dir.reset();
}

void TestBookmarkDialogs::openPdf(const QString &path, int pages)
{
    QVERIFY(TestPdfs::write(path, pages));
    m_form->SetDocumentPath(path);
    m_form->OpenPlainPdf();
    QCOMPARE(m_form->PDF1->pageCount(), pages);
}

void TestBookmarkDialogs::openBook(const QString &bookName, const QStringList &chapters)
{
    GenerationRequest request;
    request.bookName = bookName;
    request.saveFolder = m_dir->path();
    request.programFolder = m_dir->path();
    request.runningProgram = pathIn(QStringLiteral("quillmoor"));
    request.scratchFolder = m_fakes->scratchFolder.path();
    for (int i = 0; i < chapters.size(); ++i) {
        const QString source = pathIn(QStringLiteral("source%1.pdf").arg(i));
        QVERIFY(TestPdfs::write(source, 3));
        request.sources.append({chapters.at(i), source});
    }
    const GenerationResult result = GenerateBook(request);
    QCOMPARE(result.outcome, GenerationOutcome::Written);
    m_form->SetDocumentPath(result.bookPath);
    m_form->LoadBookContents();
    QCOMPARE(m_form->List1->count(), chapters.size());
}

void TestBookmarkDialogs::showChapter(int row)
{
    m_form->List1->setCurrentRow(row);
    QCOMPARE(m_form->PDF1->pageCount(), 3);
}

void TestBookmarkDialogs::releaseAddButton()
{
    QTest::mousePress(m_form->Label7, Qt::LeftButton);
    QTest::mouseRelease(m_form->Label7, Qt::LeftButton);
}

// Opens the dialog through a real capture of the view showing `page`.
Form3 *TestBookmarkDialogs::openAddDialogOnPage(int page)
{
    m_form->PDF1->setCurrentPage(page);
    if (m_form->PDF1->currentPage() != page)
        return nullptr;
    releaseAddButton();
    if (Module1::CurrentPage != page)
        return nullptr;
    return addDialog();
}

Form4 *TestBookmarkDialogs::openOrganiseDialog()
{
    QTest::mousePress(m_form->Label8, Qt::LeftButton);
    QTest::mouseRelease(m_form->Label8, Qt::LeftButton);
    return organiseDialog();
}

void TestBookmarkDialogs::findPageBox_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("page");
    QTest::newRow("7") << QStringList{"7"} << 7;
    QTest::newRow("blanks around 12") << QStringList{" 12 "} << 12;
    QTest::newRow("roman iv") << QStringList{"iv"} << 0;
    QTest::newRow("empty") << QStringList{""} << 0;
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
    Module1::CurrentPage = 0;
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), page);
}

void TestBookmarkDialogs::findPageBoxVisitsTopmostFirstAndSkipsOtherWindows()
{
    QWidget window;
    auto *lower = new QLineEdit(QStringLiteral("3"), &window);
    auto *upper = new QLineEdit(QStringLiteral("8"), &window);
    Module1::CurrentPage = 0;
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), 8);
    lower->raise();
    Module1::CurrentPage = 0;
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), 3);

    // A dialog of the window, a hidden box and what a hidden widget holds are never searched.
    delete lower;
    delete upper;
    auto *dialog = new QDialog(&window);
    new QLineEdit(QStringLiteral("2024"), dialog);
    auto *hiddenBox = new QLineEdit(QStringLiteral("9"), &window);
    hiddenBox->hide();
    auto *hiddenPanel = new QWidget(&window);
    new QLineEdit(QStringLiteral("4"), hiddenPanel);
    hiddenPanel->hide();
    Module1::CurrentPage = 0;
    Module1::FindPageBox(&window);
    QCOMPARE(int(Module1::CurrentPage), 0);

    QCOMPARE(Module1::ReadWindowText(nullptr), QString());
    Module1::FindPageBox(nullptr);
    QCOMPARE(int(Module1::CurrentPage), 0);
}

void TestBookmarkDialogs::buttonsLookPressedWhileHeldDown()
{
    QCOMPARE(m_form->Picture4->frameShape(), QFrame::NoFrame);
    QTest::mousePress(m_form->Label7, Qt::RightButton);
    QCOMPARE(m_form->Picture4->frameShape(), QFrame::Panel);
    QCOMPARE(m_form->Picture4->frameShadow(), QFrame::Sunken);
    // The release counts wherever the pointer is.
    QTest::mouseRelease(m_form->Label7, Qt::RightButton, {}, QPoint(-40, -40));
    QCOMPARE(m_form->Picture4->frameShape(), QFrame::NoFrame);

    QTest::mousePress(m_form->Label8, Qt::LeftButton);
    QCOMPARE(m_form->Picture5->frameShape(), QFrame::Panel);
    QCOMPARE(m_form->Picture4->frameShape(), QFrame::NoFrame);
    QTest::mouseRelease(m_form->Label8, Qt::LeftButton);
    QCOMPARE(m_form->Picture5->frameShape(), QFrame::NoFrame);
}

void TestBookmarkDialogs::captureReadsThePageTheViewShows()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 4);
    m_form->PDF1->setShowToolbar(false);
    m_form->PDF1->setCurrentPage(3);
    QElapsedTimer clock;
    clock.start();
    Module1::CapturePage(*m_form, *m_form->PDF1);
    QVERIFY(clock.elapsed() > 200);
    QVERIFY(m_form->PDF1->isToolbarShown());
    QCOMPARE(int(Module1::CurrentPage), 3);
    // The path in the hidden document box is never read as a page.
    m_form->Text2->setText(QStringLiteral("12"));
    pageBox()->setText(QString());
    Module1::CapturePage(*m_form, *m_form->PDF1);
    QCOMPARE(int(Module1::CurrentPage), 0);
}

void TestBookmarkDialogs::noDocumentOpensNoDialog()
{
    m_form->PDF1->setShowToolbar(false);
    // A page number in the box, but no document in Text2.
    pageBox()->setText(QStringLiteral("7"));
    QElapsedTimer clock;
    clock.start();
    releaseAddButton();
    QVERIFY(clock.elapsed() > 200);
    QVERIFY(m_form->PDF1->isToolbarShown());
    QCOMPARE(int(Module1::CurrentPage), 7);
    QVERIFY(!addDialog());
}

void TestBookmarkDialogs::closingDuringTheCaptureOpensNoDialog()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 4);
    m_form->PDF1->setCurrentPage(3);
    QTimer::singleShot(50, m_form.get(), &QWidget::close);
    releaseAddButton();
    QVERIFY(!m_form->isVisible());
    QVERIFY(!addDialog());
}

void TestBookmarkDialogs::aSavedDialogIsNotBroughtBack()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form3 *saved = openAddDialogOnPage(2);
    QVERIFY(saved);
    typeText(saved->Text1, QStringLiteral("甲"));
    QTest::mouseClick(saved->Command1, Qt::LeftButton);
    // The next capture comes before the saved dialog is gone: it gets a new, empty one.
    const QPointer<Form3> closing(saved);
    releaseAddButton();
    const QList<Form3 *> dialogs = m_form->findChildren<Form3 *>();
    QVERIFY(std::any_of(dialogs.cbegin(), dialogs.cend(), [&](Form3 *dialog) {
        return dialog != closing && dialog->isVisible() && dialog->Text1->text().isEmpty();
    }));
    QVERIFY(!closing || !closing->isVisible());
}

void TestBookmarkDialogs::noPageFoundOpensNoDialog()
{
    openBook(QStringLiteral("书"), {QStringLiteral("甲"), QStringLiteral("乙")});
    // A book before any chapter is shown: the view is empty.
    releaseAddButton();
    QCOMPARE(int(Module1::CurrentPage), 0);
    QVERIFY(!addDialog());
    QVERIFY(!QFileInfo::exists(pathIn(QStringLiteral("书.ini"))));
}

void TestBookmarkDialogs::addBookmarkDialogLayout()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form3 *dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->isWindow());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("添加书签"));
    QCOMPARE(dialog->size(), Twips::toPixelRect(0, 0, 5085, 1905).size());
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->Text1->geometry(), Twips::toPixelRect(180, 720, 4635, 315));
    QCOMPARE(dialog->Command1->geometry(), Twips::toPixelRect(2340, 1320, 1215, 315));
    QCOMPARE(dialog->Command3->geometry(), Twips::toPixelRect(3660, 1320, 1215, 315));
    QCOMPARE(dialog->Label1->x(), Twips::toPixels(180));
    QCOMPARE(dialog->Label1->text(), QStringLiteral("请输入书签名称："));
    QCOMPARE(dialog->Command1->text(), QStringLiteral("确  定"));
    QCOMPARE(dialog->Command3->text(), QStringLiteral("取  消"));
    QVERIFY(dialog->Label1->sizeHint().width() <= dialog->Label1->width());
    QCOMPARE(dialog->Text1->text(), QString());
    QTRY_COMPARE(QApplication::focusWidget(), dialog->Text1);
    QCOMPARE(dialog->Text1->nextInFocusChain(), dialog->Command1);
    QCOMPARE(dialog->Command1->nextInFocusChain(), dialog->Command3);
    const QPoint screenCentre = dialog->screen()->geometry().center();
    QVERIFY((dialog->frameGeometry().center() - screenCentre).manhattanLength() <= 1);
    // Not modal: the reader window stays usable.
    QVERIFY(!dialog->isModal());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestBookmarkDialogs::plainBookmarkIsAppendedAndListed()
{
    const QString pdf = pathIn(QStringLiteral("a.pdf"));
    openPdf(pdf, 3);
    Form3 *dialog = openAddDialogOnPage(3);
    QVERIFY(dialog);
    QPointer<Form3> guard(dialog);
    Module1::CurrentPage = 42;
    typeText(dialog->Text1, QStringLiteral("第三节"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))), gbk("第三节［42］\r\n"));
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("第三节")});
    QCOMPARE(GuiTest::texts(m_form->List3), QStringList{QStringLiteral("第三节［42］")});
    QTRY_VERIFY(!guard);
    // The single look stays, and the new bookmark leads back to its page.
    QVERIFY(m_form->Label1->isVisibleTo(m_form.get()));
    QVERIFY(m_form->List4->horizontalExtent() > 0);

    // Opened again, the dialog starts with an empty name; a second bookmark follows the first.
    dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    QCOMPARE(dialog->Text1->text(), QString());
    typeText(dialog->Text1, QStringLiteral("附录"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))),
             gbk("第三节［42］\r\n附录［2］\r\n"));
    m_form->PDF1->setCurrentPage(1);
    m_form->GoToBookmark(1);
    QCOMPARE(m_form->PDF1->currentPage(), 2);
}

void TestBookmarkDialogs::sameBookmarkTwiceGivesTwoLines()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    for (int time = 0; time < 2; ++time) {
        Form3 *dialog = openAddDialogOnPage(2);
        QVERIFY(dialog);
        typeText(dialog->Text1, QStringLiteral("重点"));
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QTRY_VERIFY(!addDialog());
    }
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))), gbk("重点［2］\r\n重点［2］\r\n"));
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList(2, QStringLiteral("重点")));
    QCOMPARE(GuiTest::texts(m_form->List3), QStringList(2, QStringLiteral("重点［2］")));
}

// No name records nothing, blanks are a name, at most 30 characters are taken, and cancel
// records nothing.
void TestBookmarkDialogs::nameRules()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form3 *dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QVERIFY(!QFileInfo::exists(pathIn(QStringLiteral("a.ini"))));
    typeText(dialog->Text1, QStringLiteral("不要"));
    QTest::mouseClick(dialog->Command3, Qt::LeftButton);
    QTRY_VERIFY(!addDialog());
    QVERIFY(!QFileInfo::exists(pathIn(QStringLiteral("a.ini"))));
    QCOMPARE(m_form->List4->count(), 0);

    dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    QCOMPARE(dialog->Text1->text(), QString());
    typeText(dialog->Text1, QStringLiteral("  "));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))), QByteArray("  \xA3\xDB"
                                                                          "2\xA3\xDD\r\n"));
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("  ")});
    QTRY_VERIFY(!addDialog());

    dialog = openAddDialogOnPage(1);
    QVERIFY(dialog);
    const QString thirty = QString(30, QChar(0x4E66)); // 书
    typeText(dialog->Text1, thirty + QStringLiteral("多"));
    QCOMPARE(dialog->Text1->text(), thirty);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))),
             gbk("  ［2］\r\n") + Gbk::encode(thirty + QStringLiteral("［1］\r\n")));
}

void TestBookmarkDialogs::pastedLineBreaksBecomeBlanks()
{
    openBook(QStringLiteral("书"), {QStringLiteral("甲"), QStringLiteral("乙")});
    showChapter(1);
    Form3 *dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    QApplication::clipboard()->setText(QStringLiteral("上\r\n下\n尾"));
    dialog->Text1->paste();
    QCOMPARE(dialog->Text1->text(), QStringLiteral("上 下 尾"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("书.ini"))), gbk("{1}乙&上 下 尾［2］\r\n"));
}

void TestBookmarkDialogs::secondCaptureBringsTheSameDialogForward()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form3 *dialog = openAddDialogOnPage(1);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("草稿"));
    dialog->move(dialog->pos() + QPoint(30, 20));
    const QPoint moved = dialog->pos();
    QCOMPARE(openAddDialogOnPage(3), dialog);
    QCOMPARE(m_form->findChildren<Form3 *>().size(), 1);
    QCOMPARE(dialog->Text1->text(), QStringLiteral("草稿"));
    QCOMPARE(dialog->pos(), moved);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))), gbk("草稿［3］\r\n"));
}

void TestBookmarkDialogs::pageIsZeroWhenALaterCaptureFoundNothing()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form3 *dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("零"));
    // The page box shows no number at the next capture: the dialog stays open, page 0.
    pageBox()->setText(QStringLiteral("iv"));
    releaseAddButton();
    QCOMPARE(int(Module1::CurrentPage), 0);
    QCOMPARE(addDialog(), dialog);
    QVERIFY(dialog->isVisible());
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))), gbk("零［0］\r\n"));
}

void TestBookmarkDialogs::chapterBookmarkShowsTheBookmarksTab()
{
    openBook(QStringLiteral("诗集"),
             {QStringLiteral("序言"), QStringLiteral("第一部分"), QStringLiteral("第二部分")});
    showChapter(1);
    QVERIFY(m_form->List1->isVisibleTo(m_form.get()));
    QVERIFY(!m_form->List4->isVisibleTo(m_form.get()));
    Form3 *dialog = openAddDialogOnPage(1);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("开头"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    const QString ini = pathIn(QStringLiteral("诗集.ini"));
    QCOMPARE(TestFiles::read(ini), gbk("{1}第一部分&开头［1］\r\n"));
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("开头")});
    QCOMPARE(GuiTest::texts(m_form->List3), QStringList{QStringLiteral("开头［1］")});
    QCOMPARE(m_form->Image1->pixmap().toImage(), m_form->Picture2->pixmap().toImage());
    QVERIFY(!m_form->List1->isVisibleTo(m_form.get()));
    QVERIFY(m_form->List4->isVisibleTo(m_form.get()));
    QTRY_VERIFY(!addDialog());

    // The bookmark belongs to its chapter: another chapter shows none, its own shows it again.
    showChapter(2);
    QCOMPARE(m_form->List4->count(), 0);
    m_form->PDF1->setCurrentPage(3);
    showChapter(1);
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("开头")});
    m_form->PDF1->setCurrentPage(2);
    m_form->GoToBookmark(0);
    QCOMPARE(m_form->PDF1->currentPage(), 1);
}

void TestBookmarkDialogs::bookWithoutAChapterChosenRecordsNothing()
{
    // The view still shows the PDF opened before the book, and no chapter is chosen yet.
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    openBook(QStringLiteral("书"), {QStringLiteral("甲"), QStringLiteral("乙")});
    Form3 *dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("无章"));
    const QStringList names = GuiTest::texts(m_form->List4);
    for (int time = 0; time < 2; ++time) {
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
        QVERIFY(dialog->isVisible());
        QCOMPARE(GuiTest::texts(m_form->List4), names);
        QCOMPARE(m_form->List3->count(), names.size());
    }
    // Choosing a chapter after the capture does not make the captured page one of its pages.
    showChapter(1);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QVERIFY(dialog->isVisible());
    QVERIFY(!QFileInfo::exists(pathIn(QStringLiteral("书.ini"))));
    QVERIFY(!QFileInfo::exists(pathIn(QStringLiteral("a.ini"))));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

void TestBookmarkDialogs::bookmarkGoesToTheDocumentItWasCapturedIn()
{
    // Another PDF opened while the dialog is open: the bookmark stays with the first one.
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form3 *dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("甲页"));
    openPdf(pathIn(QStringLiteral("b.pdf")), 3);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QTRY_VERIFY(!addDialog());
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))), gbk("甲页［2］\r\n"));
    QVERIFY(!QFileInfo::exists(pathIn(QStringLiteral("b.ini"))));
    QCOMPARE(m_form->List4->count(), 0);
    QCOMPARE(m_form->List3->count(), 0);

    // Another chapter chosen: the bookmark stays with the chapter it was captured in.
    openBook(QStringLiteral("书"), {QStringLiteral("序"), QStringLiteral("正文"), QStringLiteral("跋")});
    showChapter(1);
    dialog = openAddDialogOnPage(3);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("要点"));
    showChapter(2);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QTRY_VERIFY(!addDialog());
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("书.ini"))), gbk("{1}正文&要点［3］\r\n"));
    QCOMPARE(m_form->List4->count(), 0);
    showChapter(1);
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("要点")});

    // The other document opened and the first opened again: the lists are its own once more.
    dialog = openAddDialogOnPage(1);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("再"));
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    m_form->SetDocumentPath(pathIn(QStringLiteral("书.VELM")));
    m_form->LoadBookContents();
    showChapter(1);
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("书.ini"))),
             gbk("{1}正文&要点［3］\r\n{1}正文&再［1］\r\n"));
    QCOMPARE(GuiTest::texts(m_form->List4), (QStringList{QStringLiteral("要点"), QStringLiteral("再")}));
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.ini"))), gbk("甲页［2］\r\n"));
}

void TestBookmarkDialogs::unwritableFileKeepsTheDialogAndTheLists()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    QVERIFY(TestFiles::write(pathIn(QStringLiteral("a.ini")), gbk("旧［1］\r\n")));
    m_form->OpenPlainPdf();
    Form3 *dialog = openAddDialogOnPage(2);
    QVERIFY(dialog);
    typeText(dialog->Text1, QStringLiteral("新"));
    // The bookmark file is replaced by a folder: no line can be appended to it.
    QVERIFY(QFile::rename(pathIn(QStringLiteral("a.ini")), pathIn(QStringLiteral("a.old"))));
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("a.ini")));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(m_fakes->dialogs.messages,
             QStringList{QStringLiteral("无法写入书签文件，书签未保存！")});
    QVERIFY(dialog->isVisible());
    QCOMPARE(dialog->Text1->text(), QStringLiteral("新"));
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("旧")});
    QCOMPARE(GuiTest::texts(m_form->List3), QStringList{QStringLiteral("旧［1］")});
    QVERIFY(QDir(pathIn(QStringLiteral("a.ini"))).isEmpty());
    QCOMPARE(TestFiles::read(pathIn(QStringLiteral("a.old"))), gbk("旧［1］\r\n"));
}

void TestBookmarkDialogs::organiseDialogLayout()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form4 *dialog = openOrganiseDialog();
    QVERIFY(dialog);
    QVERIFY(dialog->isVisible());
    QVERIFY(!dialog->isModal());
    QCOMPARE(dialog->windowTitle(), QStringLiteral("整理书签"));
    QCOMPARE(dialog->size(), Twips::toPixelRect(0, 0, 8550, 5895).size());
    QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
    QCOMPARE(dialog->Command1->geometry(), Twips::toPixelRect(5880, 5340, 1215, 375));
    QCOMPARE(dialog->Text1->geometry(), Twips::toPixelRect(120, 120, 8295, 4995));
    QCOMPARE(dialog->Command2->geometry(), Twips::toPixelRect(7200, 5340, 1215, 375));
    QCOMPARE(dialog->Command1->text(), QStringLiteral("保  存"));
    QCOMPARE(dialog->Command2->text(), QStringLiteral("取  消"));
    QCOMPARE(dialog->Text1->lineWrapMode(), QPlainTextEdit::NoWrap);
    QCOMPARE(dialog->BookmarkPath(), pathIn(QStringLiteral("a.ini")));
    QCOMPARE(dialog->Text1->toPlainText(), QString());
    QTRY_COMPARE(QApplication::focusWidget(), dialog->Command1);
    const QPoint screenCentre = dialog->screen()->geometry().center();
    QVERIFY((dialog->frameGeometry().center() - screenCentre).manhattanLength() <= 1);
    // One instance: the button brings it forward with what was typed.
    dialog->Text1->setPlainText(QStringLiteral("正在改"));
    QCOMPARE(openOrganiseDialog(), dialog);
    QCOMPARE(m_form->findChildren<Form4 *>().size(), 1);
    QCOMPARE(dialog->Text1->toPlainText(), QStringLiteral("正在改"));
}

void TestBookmarkDialogs::organiseSavesTheText_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QString>("loaded"); // what the dialog shows
    QTest::addColumn<QString>("typed");  // replaces the text; "cancel" cancels instead
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QStringList>("names");
    // The empty line in the middle is gone, trailing blanks stay, one is left at the end.
    QTest::newRow("blank lines dropped on load")
        << gbk("甲［3］\r\n\r\n   \r\n乙［7］  \r\n") << "甲［3］\n乙［7］  \n"
        << "甲［3］\n乙［7］  \n" << gbk("甲［3］\r\n乙［7］  \r\n\r\n")
        << QStringList{"甲", "乙"};
    QTest::newRow("ASCII brackets become full width")
        << gbk("甲［3］\r\n") << "甲［3］\n" << "甲［3］\n丙[9]\na[1]［5］"
        << gbk("甲［3］\r\n丙［9］\r\na［1］［5］\r\n") << QStringList{"甲", "丙", "a"};
    QTest::newRow("reorder") << gbk("甲［3］\r\n乙［7］\r\n丙［1］\r\n")
                             << "甲［3］\n乙［7］\n丙［1］\n" << "丙［1］\n甲［3］\n乙［7］\n"
                             << gbk("丙［1］\r\n甲［3］\r\n乙［7］\r\n\r\n")
                             << QStringList{"丙", "甲", "乙"};
    // Blank text leaves the file as it was; the lists are still filled afresh from it.
    for (const char *blank : {"", "   ", "\n\n  \n"})
        QTest::addRow("blank text of %d characters", int(qstrlen(blank)))
            << gbk("甲［3］\r\n\r\n乙［7］") << "甲［3］\n乙［7］\n" << blank
            << gbk("甲［3］\r\n\r\n乙［7］") << QStringList{"甲", "乙"};
    QTest::newRow("cancel") << gbk("甲［3］\r\n\r\n") << "甲［3］\n"
                            << "cancel" << gbk("甲［3］\r\n\r\n") << QStringList{"甲"};
}

void TestBookmarkDialogs::organiseSavesTheText()
{
    QFETCH(QByteArray, before);
    QFETCH(QString, loaded);
    QFETCH(QString, typed);
    QFETCH(QByteArray, after);
    QFETCH(QStringList, names);
    const QString ini = pathIn(QStringLiteral("a.ini"));
    QVERIFY(TestFiles::write(ini, before));
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    m_form->List4->clear();
    Form4 *dialog = openOrganiseDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->Text1->toPlainText(), loaded);
    if (typed == QLatin1String("cancel")) {
        dialog->Text1->setPlainText(QStringLiteral("乙[7]\n"));
        QTest::mouseClick(dialog->Command2, Qt::LeftButton);
    } else {
        dialog->Text1->setPlainText(typed);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    }
    QTRY_VERIFY(!organiseDialog());
    QCOMPARE(TestFiles::read(ini), after);
    if (typed != QLatin1String("cancel")) {
        QCOMPARE(GuiTest::texts(m_form->List4), names);
        QCOMPARE(m_form->List3->count(), names.size());
    }
}

void TestBookmarkDialogs::bookmarksAddedWhileOrganisingAreKept()
{
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    const QString ini = pathIn(QStringLiteral("a.ini"));
    QVERIFY(TestFiles::write(ini, gbk("甲［3］\r\n乙［1］")));
    m_form->OpenPlainPdf();
    Form4 *organise = openOrganiseDialog();
    QVERIFY(organise);
    Form3 *add = openAddDialogOnPage(2);
    QVERIFY(add);
    typeText(add->Text1, QStringLiteral("新"));
    QTest::mouseClick(add->Command1, Qt::LeftButton);
    QTRY_VERIFY(!addDialog());
    QCOMPARE(TestFiles::read(ini), gbk("甲［3］\r\n乙［1］\r\n新［2］\r\n"));
    // The edit, made on the text as it was loaded, ends without a line break.
    organise->Text1->setPlainText(QStringLiteral("乙［1］\n甲改［3］"));
    QTest::mouseClick(organise->Command1, Qt::LeftButton);
    QTRY_VERIFY(!organiseDialog());
    QCOMPARE(TestFiles::read(ini), gbk("乙［1］\r\n甲改［3］\r\n新［2］\r\n\r\n"));
    QCOMPARE(GuiTest::texts(m_form->List4),
             (QStringList{QStringLiteral("乙"), QStringLiteral("甲改"), QStringLiteral("新")}));

    // A file rewritten meanwhile in another way is replaced by the text, as it always was.
    organise = openOrganiseDialog();
    QVERIFY(organise);
    QVERIFY(TestFiles::write(ini, gbk("别处［9］\r\n")));
    organise->Text1->setPlainText(QStringLiteral("只此［1］\n"));
    QTest::mouseClick(organise->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(ini), gbk("只此［1］\r\n\r\n"));
}

void TestBookmarkDialogs::bookSaveRefreshesTheChapterShown()
{
    openBook(QStringLiteral("书"),
             {QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙")});
    const QString ini = pathIn(QStringLiteral("书.ini"));
    QVERIFY(TestFiles::write(ini, gbk("{2}丙&重点［5］\r\n{0}甲&起［1］\r\n")));
    showChapter(0);
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("起")});
    Form4 *dialog = openOrganiseDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->BookmarkPath(), ini);
    QCOMPARE(dialog->Text1->toPlainText(), QStringLiteral("{2}丙&重点［5］\n{0}甲&起［1］\n"));
    // The entry moves to the first chapter, which is the one shown.
    dialog->Text1->setPlainText(QStringLiteral("{0}丙&重点［5］\n{0}甲&起［1］\n"));
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QCOMPARE(TestFiles::read(ini), gbk("{0}丙&重点［5］\r\n{0}甲&起［1］\r\n\r\n"));
    QCOMPARE(GuiTest::texts(m_form->List4), (QStringList{QStringLiteral("重点"), QStringLiteral("起")}));
    QCOMPARE(GuiTest::texts(m_form->List3),
             (QStringList{QStringLiteral("重点［5］"), QStringLiteral("起［1］")}));
    showChapter(2);
    QCOMPARE(m_form->List4->count(), 0);
}

void TestBookmarkDialogs::documentWithoutABookmarkFileSaysSo()
{
    m_form->SetDocumentPath(pathIn(QStringLiteral("notes.txt")));
    Form4 *dialog = openOrganiseDialog();
    QVERIFY(dialog);
    QCOMPARE(dialog->BookmarkPath(), QString());
    QVERIFY(dialog->Text1->isReadOnly());
    QVERIFY(dialog->Text1->placeholderText().contains(QStringLiteral("没有书签文件")));
    typeText(dialog->Text1, QStringLiteral("甲[1]"));
    QCOMPARE(dialog->Text1->toPlainText(), QString());
    QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    QTRY_VERIFY(!organiseDialog());
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
}

void TestBookmarkDialogs::failedSaveKeepsTheOldFileAndTheText()
{
    const QString ini = pathIn(QStringLiteral("a.ini"));
    const QByteArray before = gbk("甲［3］\r\n");
    QVERIFY(TestFiles::write(ini, before));
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Form4 *dialog = openOrganiseDialog();
    QVERIFY(dialog);
    dialog->Text1->setPlainText(QStringLiteral("甲［3］\n乙[7]\n一个很长的书签名称［12］\n"));
    {
        TestFiles::FileSizeLimit limit(12);
        QTest::mouseClick(dialog->Command1, Qt::LeftButton);
    }
    QCOMPARE(TestFiles::read(ini), before);
    QCOMPARE(m_fakes->dialogs.messages,
             QStringList{QStringLiteral("无法写入书签文件，书签未保存！")});
    QVERIFY(dialog->isVisible());
    QVERIFY(dialog->Text1->toPlainText().contains(QStringLiteral("乙［7］")));
    QCOMPARE(GuiTest::texts(m_form->List4), QStringList{QStringLiteral("甲")});
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files),
             (QStringList{QStringLiteral("a.ini"), QStringLiteral("a.pdf")}));
}

void TestBookmarkDialogs::organiseButtonNeedsADocument()
{
    QVERIFY(!openOrganiseDialog());
    // Organising captures no page.
    m_form->PDF1->setShowToolbar(false);
    openPdf(pathIn(QStringLiteral("a.pdf")), 3);
    Module1::CurrentPage = 0;
    QVERIFY(openOrganiseDialog());
    QCOMPARE(int(Module1::CurrentPage), 0);
    QVERIFY(!m_form->PDF1->isToolbarShown());
}

QTEST_MAIN(TestBookmarkDialogs)
#include "tst_bookmark_dialogs.moc"
