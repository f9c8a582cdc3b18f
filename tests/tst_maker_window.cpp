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
#include "widgets/clicklabel.h"
#include "widgets/filedroplist.h"

#include <QAction>
#include <QApplication>
#include <QDir>
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

using GuiTest::texts;

namespace
{

const QString Success = QStringLiteral("已成功生成PDF电子书！");
const QString Failure = QStringLiteral("由于文件太大或格式错误，无法生成电子书！");

// Holds the book being written inside its first chapter until let go, so a test can look at
// the window while a chapter is copied. Held, it still answers a cancellation.
class Pacer
{
public:
    BookWriter::Generator generator()
    {
        return [this](const GenerationRequest &request, const GenerationCallback &report) {
            const GenerationResult result = GenerateBook(request, [&](const auto &progress) {
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

// The book-making window's wiring: each command once, the progress bar, and the window while a
// book is written. The rules of sources and books are tested in core.
class TestMakerWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void designAndOneWindowStartingEmpty();
    void addsFilesFoldersAndDrops();
    void listCommands_data();
    void listCommands();
    void listStopsAt32767Entries();
    void generatesABookAndKeepsTheWindowAsItWas();
    void failuresSayWhyAndKeepTheEarlierBook();
    void barGrowsByChapterToTheTrackPlusOne();
    void answersWhileWritingAndClosingCancels_data();
    void answersWhileWritingAndClosingCancels();

private:
    Form2 *openMaker()
    {
        m_reader->findChild<QAction *>(QStringLiteral("制作电子书"))->trigger();
        auto *form = qobject_cast<Form2 *>(QApplication::activeWindow());
        for (QWidget *window : QApplication::topLevelWidgets())
            form = form ? form : qobject_cast<Form2 *>(window);
        return form && QTest::qWaitForWindowExposed(form) ? form : nullptr;
    }
    QString make(const QString &name, const QByteArray &bytes = TestFiles::pdfLike(100, 1))
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        return TestFiles::write(path, bytes) ? path : QString();
    }
    void addSources(const QStringList &paths)
    {
        for (const QString &path : paths) {
            m_fakes->dialogs.fileAnswer = path;
            m_form->Command5->click();
        }
        m_fakes->dialogs.fileAnswer.clear();
    }
    void fill(const QString &name, const QStringList &sources)
    {
        addSources(sources);
        m_form->Text1->setText(name);
        m_form->Text2->setText(m_dir->filePath(QStringLiteral("out")));
    }
    QString out(const QString &name = QString()) const { return m_dir->filePath("out/" + name); }

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<ReaderWindows> m_windows;
    Form1 *m_reader = nullptr;
    QPointer<Form2> m_form;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestMakerWindow::init()
{
    Module1::SetApplicationFont();
    m_fakes = std::make_unique<FakeServices>();
    m_windows = ReaderWindows::create(m_fakes->services());
    m_reader = &m_windows->reader();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(QDir().mkpath(out()));
    m_form = openMaker();
    QVERIFY(m_form);
}

void TestMakerWindow::cleanup()
{
    m_windows.reset();
    QVERIFY(!m_form);
    m_fakes.reset();
}

// Centred on the screen, not modal; closed, it opens again empty.
void TestMakerWindow::designAndOneWindowStartingEmpty()
{
    QCOMPARE(m_form->List1->geometry(), Twips::toPixelRect(3180, 1260, 5370, 3480));
    QCOMPARE(m_form->Label7->palette().color(QPalette::Window), QColor(0, 0, 128));
    QVERIFY(!m_form->isModal() && !m_form->List2->isVisible() && !m_form->Label7->isVisible());
    const QRect screen = m_form->screen()->geometry();
    QCOMPARE(m_form->pos(), QPoint((screen.width() - m_form->width()) / 2,
                                   (screen.height() - m_form->height()) / 2));
    QTest::keyClicks(m_form->Text1, QStringLiteral("abcdefghij").repeated(3));
    QCOMPARE(m_form->Text1->text().size(), 25);
    m_fakes->dialogs.folderAnswer = m_dir->path();
    QTest::mouseClick(m_form->Image1, Qt::LeftButton);
    QCOMPARE(m_form->Text2->text(), m_dir->path());
    addSources({make(QStringLiteral("A.pdf"))});
    m_form->Command2->click();
    QCOMPARE(m_fakes->webOpener.addresses,
             QStringList{Module1::DecodeNumberText(NumberTexts::helpPage())});

    m_form->close();
    QTRY_VERIFY(!m_form);
    m_form = openMaker();
    QVERIFY(m_form->Text1->text().isEmpty() && m_form->Text2->text().isEmpty());
    QCOMPARE(m_form->List1->count() + m_form->List2->count(), 0);
}

// A file: the dialog starts at the scratch field, blanks and anything after a NUL are dropped,
// a file that is no PDF is not added. A folder: its PDF files in the folder order, each time it
// is added. A drop: files and folders, not text; nothing the user cancels changes the list.
void TestMakerWindow::addsFilesFoldersAndDrops()
{
    const QString first = make(QStringLiteral("first.pdf"));
    m_fakes->dialogs.fileAnswer = QStringLiteral("  ") + first + QChar(0) + QStringLiteral("junk");
    m_form->Command5->click();
    const QString text = make(QStringLiteral("x.pdf.txt"));
    addSources({text});
    QCOMPARE(m_fakes->dialogs.fileRequests.last().initialFolder, first);
    m_form->Command5->click();
    m_form->Command4->click();
    for (const char *name : {"in/b.pdf", "in/a.pdf.bak.pdf", "in/Guide.Pdf", "in/notes.txt"})
        make(QLatin1String(name));
    m_fakes->dialogs.folderAnswer = m_dir->filePath(QStringLiteral("in"));
    m_form->Command4->click();
    m_form->Command4->click();
    QCOMPARE(m_form->Text4->text(), QStringLiteral("Guide"));

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(make(QStringLiteral("one.PDF"))), QUrl::fromLocalFile(text),
                  QUrl::fromLocalFile(m_dir->filePath(QStringLiteral("in"))),
                  QUrl(QStringLiteral("https://example.com/web.pdf"))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form->List1->viewport(), &enter);
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form->List1->viewport(), &drop);
    QMimeData plain;
    plain.setText(QStringLiteral("hello"));
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &plain, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(m_form->List1->viewport(), &refused);
    QVERIFY(!refused.isAccepted());

    const QStringList folder{"a.bak", "b", "Guide"};
    QCOMPARE(texts(m_form->List1),
             QStringList{"first"} + folder + folder + QStringList{"one"} + folder);
    QCOMPARE(m_form->List2->item(0)->text(), first);
    QCOMPARE(m_form->List2->item(3)->text(), m_dir->filePath(QStringLiteral("in/Guide.Pdf")));
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
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
    QTest::newRow("delete, nothing selected") << "Command6" << -1 << "ABC" << -1;
    QTest::newRow("clear") << "Command8" << 1 << "" << -1;
}

// The paths move with their names.
void TestMakerWindow::listCommands()
{
    QFETCH(QString, command);
    QFETCH(int, selected);
    QFETCH(QString, order);
    QFETCH(int, selection);
    addSources({make("A.pdf"), make("B.pdf"), make("C.pdf")});
    m_form->List1->setCurrentRow(selected);
    if (selected < 0)
        m_form->List1->clearSelection();
    m_form->findChild<QPushButton *>(command)->click();
    QStringList paths;
    for (const QChar letter : order)
        paths << m_dir->filePath(QString(letter) + ".pdf");
    QCOMPARE(texts(m_form->List1).join(QString()), order);
    QCOMPARE(texts(m_form->List2), paths);
    const QList<QListWidgetItem *> items = m_form->List1->selectedItems();
    QCOMPARE(items.isEmpty() ? -1 : m_form->List1->row(items.first()), selection);
}

void TestMakerWindow::listStopsAt32767Entries()
{
    for (int i = 0; i < SourceList::MaxEntries - 2; ++i) {
        m_form->List1->addItem(QStringLiteral("x"));
        m_form->List2->addItem(QStringLiteral("/x.pdf"));
    }
    for (const char *name : {"f/a.pdf", "f/b.pdf", "f/c.pdf"})
        make(QLatin1String(name));
    m_fakes->dialogs.folderAnswer = m_dir->filePath(QStringLiteral("f"));
    m_form->Command4->click();
    addSources({m_dir->filePath(QStringLiteral("f/c.pdf"))});
    QCOMPARE(m_form->List1->count(), 32767);
    QCOMPARE(m_form->List2->count(), 32767);
    QCOMPARE(m_form->List2->item(32766)->text(), m_dir->filePath(QStringLiteral("f/b.pdf")));
}

// While the reader window holds its scratch index path, generation still writes the book.
void TestMakerWindow::generatesABookAndKeepsTheWindowAsItWas()
{
    const QString one = make(QStringLiteral("序言.pdf"), TestFiles::pdfLike(700, 1));
    fill(QStringLiteral("诗集"), {one, make(QStringLiteral("Two.PDF")), one});
    m_form->List1->setCurrentRow(1);
    QVERIFY(QDir().mkpath(m_fakes->scratchFolder.indexFilePath()));
    m_form->Command3->click();
    QVERIFY(!m_form->Command3->isEnabled());
    QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{Success});
    QVERIFY(m_form->Command3->isEnabled() && !m_form->Label7->isVisible());
    QCOMPARE(m_form->cursor().shape(), Qt::ArrowCursor);

    const BookContents contents = BookReader::readContents(out(QStringLiteral("诗集.VELM")));
    QStringList chapters;
    for (const ContentsIndex::Line &line : contents.lines)
        chapters << line.name + QString::number(line.length);
    QCOMPARE(chapters, (QStringList{"序言700", "Two100", "序言700"}));
    QCOMPARE(TestFiles::entriesOf(out()), QStringList{"诗集.VELM"});
    QCOMPARE(texts(m_form->List1), (QStringList{"序言", "Two", "序言"}));
    QCOMPARE(m_form->List1->currentRow(), 1);
    QCOMPARE(m_form->Text1->text(), QStringLiteral("诗集"));
}

void TestMakerWindow::failuresSayWhyAndKeepTheEarlierBook()
{
    QVERIFY(TestFiles::write(out(QStringLiteral("A.VELM")), "earlier book"));
    const QString source = make(QStringLiteral("A.pdf"));
    fill(QStringLiteral("  "), {source});
    m_form->Command3->click();
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{"请首先输入书名及保存路径"});
    m_form->Text1->setText(QStringLiteral("A"));
    QVERIFY(QFile::remove(source));
    m_form->Command3->click();
    QTRY_COMPARE(m_fakes->dialogs.messages.last(), Failure);
    QCOMPARE(TestFiles::read(out(QStringLiteral("A.VELM"))), QByteArray("earlier book"));
    QCOMPARE(TestFiles::entriesOf(out()), QStringList{"A.VELM"});
    QVERIFY(m_form->Command3->isEnabled() && !m_form->Label7->isVisible());
}

// Just before it hides, the bar is as wide as the track plus 1; it passes the end of every
// chapter's step, and moves inside the steps too.
void TestMakerWindow::barGrowsByChapterToTheTrackPlusOne()
{
    QStringList sources;
    for (int i = 0; i < 3; ++i)
        sources << make(QString::number(i) + ".pdf",
                        TestFiles::pdfLike(SafeWrite::ChunkSize * 4, i));
    fill(QStringLiteral("Bar"), sources);
    BarWatch watch(m_form->Label7);
    m_form->Command3->click();
    QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{Success});
    QCOMPARE(watch.widthsWhenHidden, QList<int>{pixelWidth(8415 + 1)});
    QCOMPARE(m_form->Label7->width(), pixelWidth(1));
    for (int chapter = 1; chapter <= 3; ++chapter)
        QVERIFY(watch.widths.contains(pixelWidth(qRound(1 + 8415.0 * chapter / 3))));
    QVERIFY(watch.widths.size() > 6);
    QVERIFY(std::is_sorted(watch.widths.cbegin(), watch.widths.cend()));
}

void TestMakerWindow::answersWhileWritingAndClosingCancels_data()
{
    QTest::addColumn<QString>("end");
    QTest::newRow("written") << "";
    QTest::newRow("the book-making window closed") << "maker";
    QTest::newRow("the reader window closed") << "reader";
}

// Inside a large chapter the bar has moved part of the way, the window answers and its list
// and fields cannot change; closing either window cancels and keeps the earlier book.
void TestMakerWindow::answersWhileWritingAndClosingCancels()
{
    QFETCH(QString, end);
    const QByteArray earlier = TestFiles::pdfLike(5000, 9);
    QVERIFY(TestFiles::write(out(QStringLiteral("Book.VELM")), earlier));
    Pacer pacer;
    m_form->findChild<BookWriter *>()->setGenerator(pacer.generator());
    fill(QStringLiteral("Book"),
         {make(QStringLiteral("one.pdf"), TestFiles::pdfLike(SafeWrite::ChunkSize * 16, 6))});
    m_form->Command3->click();
    QVERIFY(pacer.waitUntilHeld());
    QTRY_VERIFY(m_form->Label7->isVisible());
    QVERIFY(m_form->Label7->width() > pixelWidth(1) && m_form->Label7->width() < pixelWidth(8416));
    bool timerRan = false;
    QTimer::singleShot(0, m_form, [&] { timerRan = true; });
    QTRY_VERIFY(timerRan);
    for (const char *name : {"List1", "Text1", "Text2", "Image1", "Command1", "Command3",
                             "Command4", "Command5", "Command6", "Command7", "Command8"})
        QVERIFY2(!m_form->findChild<QWidget *>(QLatin1String(name))->isEnabled(), name);

    if (end.isEmpty()) {
        pacer.letGo();
        QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{Success});
        QCOMPARE(QFileInfo(out(QStringLiteral("Book.VELM"))).size(),
                 SafeWrite::ChunkSize * 16 + 4 + 19);
        QVERIFY(m_form->List1->isEnabled());
        return;
    }
    (end == "reader" ? static_cast<QWidget *>(m_reader) : m_form.data())->close();
    QCOMPARE(pacer.outcome(), int(GenerationOutcome::Cancelled));
    QTRY_VERIFY(!m_form);
    QCoreApplication::sendPostedEvents();
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QCOMPARE(TestFiles::entriesOf(out()), QStringList{"Book.VELM"});
    QCOMPARE(TestFiles::read(out(QStringLiteral("Book.VELM"))), earlier);
    QVERIFY(QDir(m_fakes->scratchFolder.path()).isEmpty());
}

QTEST_MAIN(TestMakerWindow)
#include "tst_maker_window.moc"
