#include "app/readerwindows.h"
#include "app/startup.h"
#include "core/book/bookreader.h"
#include "core/book/bookwriter.h"
#include "core/book/safewrite.h"
#include "core/layout/twips.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "fakeservices.h"
#include "gui/maker/form2.h"
#include "gui/maker/sourcelist.h"
#include "gui/reader/form1.h"
#include "guitest.h"
#include "testfiles.h"
#include "testpdfs.h"
#include "widgets/clicklabel.h"
#include "widgets/filedroplist.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QLineEdit>
#include <QMimeData>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <atomic>
#include <memory>

namespace
{

const QString Success = QStringLiteral("已成功生成PDF电子书！");
const QString FieldsMissing = QStringLiteral("请首先输入书名及保存路径");
const QString Failure = QStringLiteral("由于文件太大或格式错误，无法生成电子书！");

// Holds the book being written inside its first chapter until let go, so a test can look at
// the window while a chapter is copied. Held, it still answers a cancellation.
class Pacer
{
public:
    BookWriter::Generator generator()
    {
        return [this](const GenerationRequest &request, const GenerationCallback &report) {
            const GenerationResult result =
                GenerateBook(request, [&](const GenerationProgress &progress) {
                    if (!report(progress))
                        return false;
                    const bool inside = progress.chapterBytesDone > 0 &&
                                        progress.chapterBytesDone < progress.chapterBytes;
                    if (!inside || m_held.exchange(true))
                        return true;
                    m_reached.release();
                    while (!m_goOn.tryAcquire(1, 5)) {
                        if (!report(progress))
                            return false;
                    }
                    return true;
                });
            m_outcome = int(result.outcome);
            return result;
        };
    }
    bool waitUntilHeld() { return m_reached.tryAcquire(1, 20000); }
    void letGo() { m_goOn.release(); }
    int outcome() const { return m_outcome; }

private:
    QSemaphore m_reached;
    QSemaphore m_goOn;
    std::atomic<bool> m_held{false};
    std::atomic<int> m_outcome{-1};
};

// Records the bar's width whenever it changes size, and its width at the moment it is hidden.
class BarWatch : public QObject
{
public:
    explicit BarWatch(QWidget *bar) { bar->installEventFilter(this); }
    QList<int> widths;
    QList<int> widthsWhenHidden;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *bar = static_cast<QWidget *>(watched);
        if (event->type() == QEvent::Resize && bar->isVisible())
            widths << bar->width();
        if (event->type() == QEvent::Hide)
            widthsWhenHidden << bar->width();
        return false;
    }
};

int pixelWidth(int twips)
{
    return Twips::toPixelRect(0, 0, twips, 15).width();
}

} // namespace

using GuiTest::texts;

class TestMakerWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void everyControlIsAtItsDesignPlace();
    void designLook();
    void opensOnceAndStartsEmptyAfterClosing();
    void bookNameTakesAtMost25Characters();
    void browsePutsTheChosenFolderInTheField();
    void addFile();
    void addFolderInFolderOrderAndTwice();
    void droppedFilesAndFolders();
    void listCommands_data();
    void listCommands();
    void listStopsAt32767Entries();
    void linksOpenTheirPages();

    void generatesABookAndKeepsTheWindowAsItWas();
    void blankFieldsWriteNothing_data();
    void blankFieldsWriteNothing();
    void failuresLeaveTheEarlierBook_data();
    void failuresLeaveTheEarlierBook();
    void barGrowsByChapterToTheTrackPlusOne();
    void windowAnswersDuringALargeChapter();
    void closingCancelsAndKeepsTheEarlierBook_data();
    void closingCancelsAndKeepsTheEarlierBook();

private:
    Form2 *openMaker();
    QString makePdf(const QString &name, int pages = 1);
    QString makeBytes(const QString &name, const QByteArray &bytes);
    void addSources(const QStringList &paths);
    void selectRow(int row);
    QStringList namesOf(const QString &folder) const;

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<ReaderWindows> m_windows;
    Form1 *m_reader = nullptr;
    QPointer<Form2> m_form;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMakerWindow::initTestCase()
{
    Module1::SetApplicationFont();
}

void TestMakerWindow::init()
{
    m_fakes = std::make_unique<FakeServices>();
    m_windows = ReaderWindows::create(m_fakes->services());
    QVERIFY(m_windows);
    m_reader = &m_windows->reader();
    m_reader->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_reader));
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_form = openMaker();
    QVERIFY(m_form);
}

void TestMakerWindow::cleanup()
{
    m_windows.reset();
    m_reader = nullptr;
    QVERIFY(!m_form);
    m_fakes.reset();
    m_dir.reset();
}

Form2 *TestMakerWindow::openMaker()
{
    m_reader->findChild<QAction *>(QStringLiteral("制作电子书"))->trigger();
    Form2 *form = nullptr;
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows) {
        if (window->objectName() == QLatin1String("Form2")) {
            if (form)
                return nullptr; // a second instance
            form = qobject_cast<Form2 *>(window);
        }
    }
    if (form && !QTest::qWaitForWindowExposed(form))
        return nullptr;
    return form;
}

QString TestMakerWindow::makePdf(const QString &name, int pages)
{
    const QString path = m_dir->filePath(name);
    return TestPdfs::write(path, pages) ? path : QString();
}

QString TestMakerWindow::makeBytes(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir->filePath(name);
    QDir().mkpath(QFileInfo(path).path());
    return TestFiles::write(path, bytes) ? path : QString();
}

void TestMakerWindow::addSources(const QStringList &paths)
{
    for (const QString &path : paths) {
        m_fakes->dialogs.fileAnswer = path;
        m_form->Command5->click();
    }
    m_fakes->dialogs.fileAnswer.clear();
}

void TestMakerWindow::selectRow(int row)
{
    if (row < 0)
        m_form->List1->clearSelection();
    else
        m_form->List1->setCurrentRow(row);
}

QStringList TestMakerWindow::namesOf(const QString &folder) const
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
}

// One control of each kind and parent at its design place; the rest of the table is applied by
// the same code.
void TestMakerWindow::everyControlIsAtItsDesignPlace()
{
    const QList<QPair<const char *, QRect>> places{{"Frame1", {3180, 0, 5355, 1155}},
                                                   {"Image1", {4860, 640, 315, 315}},
                                                   {"List1", {3180, 1260, 5370, 3480}},
                                                   {"Command3", {6960, 5340, 1590, 375}}};
    for (const auto &place : places)
        QCOMPARE(m_form->findChild<QWidget *>(QLatin1String(place.first))->geometry(),
                 Twips::toPixelRect(place.second));
}

void TestMakerWindow::designLook()
{
    QCOMPARE(m_form->parentWidget(), nullptr);
    QVERIFY(!m_form->isModal());
    const QRect screen = m_form->screen()->geometry();
    // The frame's size is the window manager's: the window is placed by its client size.
    QCOMPARE(m_form->pos(), QPoint((screen.width() - m_form->width()) / 2,
                                   (screen.height() - m_form->height()) / 2));

    for (QWidget *hidden :
         {static_cast<QWidget *>(m_form->List2), static_cast<QWidget *>(m_form->Text4),
          static_cast<QWidget *>(m_form->File1), static_cast<QWidget *>(m_form->Label7)})
        QVERIFY(!hidden->isVisible());

    // The bar: navy, at the top left of the track's inside, 255 twips high.
    QVERIFY(m_form->Picture2->isAncestorOf(m_form->Label7));
    QCOMPARE(m_form->Label7->palette().color(QPalette::Window), QColor(0, 0, 128));
    QCOMPARE(m_form->Label7->geometry(), Twips::toPixelRect(0, 0, 30, 255));
    QCOMPARE(m_form->Label7->mapTo(m_form->Picture2, QPoint(0, 0)),
             m_form->Picture2->contentsRect().topLeft());
}

void TestMakerWindow::opensOnceAndStartsEmptyAfterClosing()
{
    m_form->Text1->setText(QStringLiteral("诗集"));
    m_form->Text2->setText(m_dir->path());
    addSources({makePdf(QStringLiteral("A.pdf"))});
    QCOMPARE(openMaker(), m_form.data());
    QCOMPARE(texts(m_form->List1), QStringList{QStringLiteral("A")});
    m_form->close();
    QTRY_VERIFY(!m_form);
    m_form = openMaker();
    QVERIFY(m_form);
    QVERIFY(m_form->Text1->text().isEmpty());
    QVERIFY(m_form->Text2->text().isEmpty());
    QCOMPARE(m_form->List1->count() + m_form->List2->count(), 0);
}

void TestMakerWindow::bookNameTakesAtMost25Characters()
{
    const QString typed = QStringLiteral("abcdefghij").repeated(3);
    QTest::keyClicks(m_form->Text1, typed);
    QCOMPARE(m_form->Text1->text(), typed.left(25));
}

void TestMakerWindow::browsePutsTheChosenFolderInTheField()
{
    QVERIFY(QTest::qWaitForWindowActive(m_form));
    m_form->Text2->setText(QStringLiteral("/before"));
    QTest::mouseClick(m_form->Image1, Qt::LeftButton);
    QCOMPARE(m_fakes->dialogs.folderRequests, 1);
    QCOMPARE(m_form->Text2->text(), QStringLiteral("/before"));

    m_fakes->dialogs.folderAnswer = m_dir->path();
    m_form->Text1->setFocus();
    QTest::mouseClick(m_form->Image1, Qt::LeftButton);
    QCOMPARE(m_form->Text2->text(), m_dir->path());
    QCOMPARE(m_form->Text2->cursorPosition(), m_dir->path().size());
    QTRY_VERIFY(m_form->Text2->hasFocus());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

// The dialog starts at the scratch field; blanks at the ends of the answer and anything after a
// NUL are dropped; a file that is no PDF is not added; cancelling changes nothing.
void TestMakerWindow::addFile()
{
    const QString first = makePdf(QStringLiteral("first.pdf"));
    m_fakes->dialogs.fileAnswer = QStringLiteral("  ") + first + QChar(0) + QStringLiteral("junk");
    m_form->Command5->click();
    QCOMPARE(m_fakes->dialogs.fileRequests.last().initialFolder, QString());
    const QString manual = makeBytes(QStringLiteral("docs/Manual.PDF"), TestFiles::pdfLike(100, 1));
    const QString text = makeBytes(QStringLiteral("docs/x.pdf.txt"), TestFiles::pdfLike(100, 1));
    addSources({manual, text});
    QCOMPARE(m_fakes->dialogs.fileRequests.last().initialFolder, manual);
    QCOMPARE(m_form->Text4->text(), text);
    m_form->Command5->click();
    QCOMPARE(texts(m_form->List1), (QStringList{"first", "Manual"}));
    QCOMPARE(texts(m_form->List2), (QStringList{first, manual}));
    QCOMPARE(m_form->Text4->text(), text);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
}

// The folder's PDF files in the folder order, after what is listed, each time it is added; the
// scratch field takes the last name. A folder without PDF files, or none chosen, adds nothing.
void TestMakerWindow::addFolderInFolderOrderAndTwice()
{
    for (const char *name : {"in/b.pdf", "in/a.pdf.bak.pdf", "in/Guide.Pdf", "in/notes.txt",
                             "in/sub/inner.pdf", "empty/x.txt"})
        QVERIFY(!makeBytes(QLatin1String(name), TestFiles::pdfLike(100, 2)).isEmpty());
    m_form->Command4->click();
    addSources({makePdf(QStringLiteral("first.pdf"))});
    m_fakes->dialogs.folderAnswer = m_dir->filePath(QStringLiteral("in"));
    m_form->Command4->click();
    m_form->Command4->click();
    m_fakes->dialogs.folderAnswer = m_dir->filePath(QStringLiteral("empty"));
    m_form->Command4->click();
    const QStringList names{"a.bak", "b", "Guide"};
    QCOMPARE(texts(m_form->List1), QStringList{"first"} + names + names);
    QCOMPARE(m_form->List2->item(3)->text(), m_dir->filePath(QStringLiteral("in/Guide.Pdf")));
    QCOMPARE(m_form->List2->count(), 7);
    QCOMPARE(m_form->Text4->text(), QStringLiteral("Guide"));
}

void TestMakerWindow::droppedFilesAndFolders()
{
    const QByteArray pdf = TestFiles::pdfLike(100, 3);
    const QString one = makeBytes(QStringLiteral("one.PDF"), pdf);
    const QString text = makeBytes(QStringLiteral("read me.txt"), pdf);
    const QString folderFile = makeBytes(QStringLiteral("folder/z.pdf"), pdf);
    const QString folderFile2 = makeBytes(QStringLiteral("folder/y.pdf"), pdf);
    const QString folder = QFileInfo(folderFile).path();

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(one), QUrl::fromLocalFile(text), QUrl::fromLocalFile(folder),
                  QUrl(QStringLiteral("https://example.com/web.pdf")),
                  QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("gone.pdf")))});
    QWidget *target = m_form->List1->viewport();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(texts(m_form->List1),
             (QStringList{QStringLiteral("one"), QStringLiteral("y"), QStringLiteral("z")}));
    QCOMPARE(texts(m_form->List2), (QStringList{one, folderFile2, folderFile}));

    // Text alone is not taken.
    QMimeData plain;
    plain.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &refused);
    QVERIFY(!refused.isAccepted());
}

void TestMakerWindow::listCommands_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("selected");
    QTest::addColumn<QString>("order"); // of A, B, C afterwards
    QTest::addColumn<int>("selection"); // afterwards, -1 for none
    QTest::newRow("up") << "Command7" << 1 << "BAC" << 0;
    QTest::newRow("down") << "Command1" << 1 << "ACB" << 2;
    QTest::newRow("delete") << "Command6" << 1 << "AC" << -1;
    QTest::newRow("up from the first") << "Command7" << 0 << "ABC" << 0;
    QTest::newRow("down from the last") << "Command1" << 2 << "ABC" << 2;
    QTest::newRow("delete the first") << "Command6" << 0 << "BC" << -1;
    QTest::newRow("delete the last") << "Command6" << 2 << "AB" << -1;
    QTest::newRow("up, nothing selected") << "Command7" << -1 << "ABC" << -1;
    QTest::newRow("down, nothing selected") << "Command1" << -1 << "ABC" << -1;
    QTest::newRow("delete, nothing selected") << "Command6" << -1 << "ABC" << -1;
    QTest::newRow("clear") << "Command8" << 1 << "" << -1;
}

void TestMakerWindow::listCommands()
{
    QFETCH(QString, command);
    QFETCH(int, selected);
    QFETCH(QString, order);
    QFETCH(int, selection);
    QStringList paths;
    for (const char *name : {"A.pdf", "B.pdf", "C.pdf"})
        paths << makeBytes(QLatin1String(name), TestFiles::pdfLike(10, 0));
    addSources(paths);
    selectRow(selected);

    m_form->findChild<QPushButton *>(command)->click();
    QStringList names;
    QStringList expectedPaths;
    for (const QChar letter : order) {
        names << QString(letter);
        expectedPaths << paths.at(letter.unicode() - 'A');
    }
    QCOMPARE(texts(m_form->List1), names);
    QCOMPARE(texts(m_form->List2), expectedPaths);
    const QList<QListWidgetItem *> items = m_form->List1->selectedItems();
    QCOMPARE(items.isEmpty() ? -1 : m_form->List1->row(items.first()), selection);
}

void TestMakerWindow::listStopsAt32767Entries()
{
    for (int i = 0; i < SourceList::MaxEntries - 2; ++i) {
        m_form->List1->addItem(QStringLiteral("x"));
        m_form->List2->addItem(QStringLiteral("/x.pdf"));
    }
    const QByteArray pdf = TestFiles::pdfLike(10, 0);
    for (const char *name : {"f/a.pdf", "f/b.pdf", "f/c.pdf"})
        makeBytes(QLatin1String(name), pdf);
    m_fakes->dialogs.folderAnswer = m_dir->filePath(QStringLiteral("f"));
    m_form->Command4->click();
    QCOMPARE(m_form->List1->count(), 32767);
    QCOMPARE(m_form->List2->count(), 32767);
    QCOMPARE(m_form->List1->item(32766)->text(), QStringLiteral("b"));
    QCOMPARE(m_form->List2->item(32766)->text(), m_dir->filePath(QStringLiteral("f/b.pdf")));
    addSources({m_dir->filePath(QStringLiteral("f/c.pdf"))});
    QCOMPARE(m_form->List1->count(), 32767);
    QCOMPARE(m_form->List2->count(), 32767);
}

void TestMakerWindow::linksOpenTheirPages()
{
    m_form->Command2->click();
    QTest::mouseClick(m_form->Label20, Qt::LeftButton);
    QCOMPARE(m_fakes->webOpener.addresses,
             (QStringList{Module1::DecodeNumberText(NumberTexts::helpPage()),
                          Module1::DecodeNumberText(NumberTexts::homePage())}));
}

void TestMakerWindow::generatesABookAndKeepsTheWindowAsItWas()
{
    const QString out = m_dir->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    const QStringList sources{makePdf(QStringLiteral("序言.pdf"), 2),
                              makePdf(QStringLiteral("Two.PDF"), 1)};
    addSources({sources.at(0), sources.at(1), sources.at(0)});
    m_form->Text1->setText(QStringLiteral("诗集"));
    m_form->Text2->setText(out);
    selectRow(1);

    m_form->Command3->click();
    QVERIFY(!m_form->Command3->isEnabled());
    QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{Success});
    QVERIFY(m_form->Command3->isEnabled());
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!m_form->Label7->isVisible());

    const QString book = out + QStringLiteral("/诗集.VELM");
    QCOMPARE(namesOf(out), QStringList{QStringLiteral("诗集.VELM")});
    const BookContents contents = BookReader::readContents(book);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QCOMPARE(contents.lines.size(), 3);
    const QStringList names{QStringLiteral("序言"), QStringLiteral("Two"), QStringLiteral("序言")};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(contents.lines.at(i).name, names.at(i));
        QCOMPARE(contents.lines.at(i).length, qint32(QFileInfo(sources.at(i == 1)).size()));
    }
    QVERIFY(QDir(m_fakes->scratchFolder.path()).isEmpty());

    // The reader window opens books through its own scratch folder while a book is written:
    // with its scratch index path taken, generation still writes the book.
    QVERIFY(QDir().mkpath(m_fakes->scratchFolder.indexFilePath()));
    m_form->Command3->click();
    QTRY_COMPARE(m_fakes->dialogs.messages, (QStringList{Success, Success}));
    QVERIFY(QDir().rmdir(m_fakes->scratchFolder.indexFilePath()));

    // The window is as it was.
    QCOMPARE(texts(m_form->List1), names);
    QCOMPARE(m_form->List1->currentRow(), 1);
    QCOMPARE(m_form->Text1->text(), QStringLiteral("诗集"));
}

void TestMakerWindow::blankFieldsWriteNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("folderBlank");
    QTest::newRow("blank name") << "   " << false;
    QTest::newRow("blank folder") << "A" << true;
}

void TestMakerWindow::blankFieldsWriteNothing()
{
    QFETCH(QString, name);
    QFETCH(bool, folderBlank);
    const QString out = m_dir->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    addSources({makePdf(QStringLiteral("A.pdf"))});
    m_form->Text1->setText(name);
    m_form->Text2->setText(folderBlank ? QStringLiteral("  ") : out);
    m_form->Command3->click();
    QVERIFY(!m_form->testAttribute(Qt::WA_SetCursor));
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{FieldsMissing});
    QVERIFY(!m_form->testAttribute(Qt::WA_SetCursor));
    QVERIFY(namesOf(out).isEmpty());
    QVERIFY(QDir(m_fakes->scratchFolder.path()).isEmpty());
    QVERIFY(m_form->Command3->isEnabled());
}

void TestMakerWindow::failuresLeaveTheEarlierBook_data()
{
    QTest::addColumn<QString>("fault");
    QTest::newRow("source deleted after it was added") << "deleted";
    QTest::newRow("book cannot be written whole") << "size limit";
}

void TestMakerWindow::failuresLeaveTheEarlierBook()
{
    QFETCH(QString, fault);
    const QString out = m_dir->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    const QByteArray earlier = "earlier book";
    QVERIFY(TestFiles::write(out + QStringLiteral("/A.VELM"), earlier));
    const QString source = makeBytes(QStringLiteral("A.pdf"), TestFiles::pdfLike(300000, 4));
    addSources({source});
    m_form->Text1->setText(QStringLiteral("A"));
    m_form->Text2->setText(out);

    std::unique_ptr<TestFiles::FileSizeLimit> limit;
    if (fault == QLatin1String("deleted")) {
        QVERIFY(QFile::remove(source));
    } else {
        limit = std::make_unique<TestFiles::FileSizeLimit>(100000);
    }
    m_form->Command3->click();
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{Failure});
    limit.reset();
    QCOMPARE(TestFiles::read(out + QStringLiteral("/A.VELM")), earlier);
    QCOMPARE(namesOf(out), QStringList{QStringLiteral("A.VELM")});
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);
    QVERIFY(!m_form->Label7->isVisible());
    QVERIFY(m_form->Command3->isEnabled());
}

void TestMakerWindow::barGrowsByChapterToTheTrackPlusOne()
{
    const QString out = m_dir->path();
    QStringList sources;
    for (int i = 0; i < 3; ++i)
        sources << makeBytes(QStringLiteral("%1.pdf").arg(i),
                             TestFiles::pdfLike(SafeWrite::ChunkSize * 4, i));
    addSources(sources);
    m_form->Text1->setText(QStringLiteral("Bar"));
    m_form->Text2->setText(out);
    BarWatch watch(m_form->Label7);
    m_form->Command3->click();
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{Success});

    // Just before it hides, the bar is as wide as the track plus 1.
    QCOMPARE(watch.widthsWhenHidden, QList<int>{pixelWidth(8415 + 1)});
    QCOMPARE(m_form->Label7->width(), pixelWidth(1));
    // It passed the end of every chapter's step, and moved inside the steps too.
    for (int chapter = 1; chapter <= 3; ++chapter)
        QVERIFY2(watch.widths.contains(pixelWidth(qRound(1 + 8415.0 * chapter / 3))),
                 qPrintable(QString::number(chapter)));
    QVERIFY(watch.widths.size() > 6);
    for (int i = 1; i < watch.widths.size(); ++i)
        QVERIFY(watch.widths.at(i) >= watch.widths.at(i - 1));
}

void TestMakerWindow::windowAnswersDuringALargeChapter()
{
    Pacer pacer;
    m_form->findChild<BookWriter *>()->setGenerator(pacer.generator());
    const QString source =
        makeBytes(QStringLiteral("large.pdf"), TestFiles::pdfLike(SafeWrite::ChunkSize * 16, 5));
    addSources({source});
    m_form->Text1->setText(QStringLiteral("Large"));
    m_form->Text2->setText(m_dir->path());
    selectRow(0);
    m_form->Command3->click();
    QVERIFY(pacer.waitUntilHeld());

    // Inside the one chapter, the bar has moved part of the way, and the window answers.
    QTRY_VERIFY(m_form->Label7->isVisible());
    QVERIFY(m_form->Label7->width() > pixelWidth(1));
    QVERIFY(m_form->Label7->width() < pixelWidth(8416));
    QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
    bool timerRan = false;
    QTimer::singleShot(0, m_form, [&] { timerRan = true; });
    QTRY_VERIFY(timerRan);
    // The list and the fields cannot change, and no second book can start.
    for (const char *name : {"List1", "Text1", "Text2", "Image1", "Command1", "Command3",
                             "Command4", "Command5", "Command6", "Command7", "Command8"})
        QVERIFY2(!m_form->findChild<QWidget *>(QLatin1String(name))->isEnabled(), name);
    QTest::mouseClick(m_form->Command8, Qt::LeftButton);
    QCOMPARE(m_form->List1->count(), 1);
    QVERIFY(m_form->Command2->isEnabled());
    // The reader window answers as well.
    QTest::mouseClick(m_reader->findChild<QWidget *>(QStringLiteral("Label22")), Qt::LeftButton);
    QCOMPARE(openMaker(), m_form.data());
    QVERIFY(m_fakes->dialogs.messages.isEmpty());

    pacer.letGo();
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{Success});
    QCOMPARE(QFileInfo(m_dir->filePath(QStringLiteral("Large.VELM"))).size(),
             SafeWrite::ChunkSize * 16 + 4 + 21);
    QVERIFY(m_form->List1->isEnabled());
}

void TestMakerWindow::closingCancelsAndKeepsTheEarlierBook_data()
{
    QTest::addColumn<bool>("closeReader");
    QTest::newRow("closing the book-making window") << false;
    QTest::newRow("closing the reader window") << true;
}

void TestMakerWindow::closingCancelsAndKeepsTheEarlierBook()
{
    QFETCH(bool, closeReader);
    const QString out = m_dir->filePath(QStringLiteral("out"));
    QVERIFY(QDir().mkpath(out));
    const QByteArray earlier = TestFiles::pdfLike(5000, 9);
    QVERIFY(TestFiles::write(out + QStringLiteral("/Book.VELM"), earlier));
    Pacer pacer;
    m_form->findChild<BookWriter *>()->setGenerator(pacer.generator());
    addSources(
        {makeBytes(QStringLiteral("one.pdf"), TestFiles::pdfLike(SafeWrite::ChunkSize * 16, 6)),
         makeBytes(QStringLiteral("two.pdf"), TestFiles::pdfLike(1000, 7))});
    m_form->Text1->setText(QStringLiteral("Book"));
    m_form->Text2->setText(out);
    m_form->Command3->click();
    QVERIFY(pacer.waitUntilHeld());

    if (closeReader)
        m_reader->close();
    else
        m_form->close();
    QCOMPARE(pacer.outcome(), int(GenerationOutcome::Cancelled));
    QTRY_VERIFY(!m_form);
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QCOMPARE(namesOf(out), QStringList{QStringLiteral("Book.VELM")});
    QCOMPARE(TestFiles::read(out + QStringLiteral("/Book.VELM")), earlier);
    QVERIFY(QDir(m_fakes->scratchFolder.path()).isEmpty());
}

QTEST_MAIN(TestMakerWindow)
#include "tst_maker_window.moc"
