// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/readerwindows.h"
#include "app/startup.h"
#include "core/book/bookreader.h"
#include "core/book/bookwriter.h"
#include "core/layout/twips.h"
#include "fakeservices.h"
#include "gui/maker/form2.h"
#include "gui/reader/form1.h"
#include "guitest.h"
#include "testfiles.h"
#include "widgets/clicklabel.h"
#include "widgets/filedroplist.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QThread>
#include <QUrl>

using GuiTest::texts;

// The book-making window's wiring: each command once, the progress bar, and the window while a
// book is written. The rules of sources and books are tested in core.
class TestMakerWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<FakeServices> m_fakes;
    std::unique_ptr<ReaderWindows> m_windows;
    QPointer<Form2> m_form;
    std::unique_ptr<QTemporaryDir> m_dir;

    Form2 *openMaker()
    {
        m_windows->reader().findChild<QAction *>("制作电子书")->trigger();
        Form2 *form = nullptr;
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
    void fill(const QString &name, const QStringList &sources)
    {
        for (const QString &path : sources) {
            m_fakes->dialogs.fileAnswer = path;
            m_form->Command5->click();
        }
        m_fakes->dialogs.fileAnswer.clear();
        m_form->Text1->setText(name);
        m_form->Text2->setText(out());
    }
    QString out(const QString &name = QString()) const { return m_dir->filePath("out/" + name); }
    static int pixelWidth(int twips) { return Twips::toPixelRect(0, 0, twips, 15).width(); }
    using ListCase = std::tuple<const char *, int, QString, int>;

private slots:
    void init()
    {
        Module1::SetApplicationFont();
        m_fakes = std::make_unique<FakeServices>();
        m_windows = ReaderWindows::create(m_fakes->services());
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(QDir().mkpath(out()));
        m_form = openMaker();
        QVERIFY(m_form);
    }
    void cleanup()
    {
        m_windows.reset();
        QVERIFY(!m_form);
        m_fakes.reset();
    }

    // A file: blanks and anything after a NUL are dropped. A folder: its PDF files. A drop: files
    // and folders, not plain text. Nothing the user cancels changes the list. Closed, the window
    // opens again empty.
    void addCommands()
    {
        QVERIFY(!m_form->isModal() && !m_form->List2->isVisible() && !m_form->Label7->isVisible());
        const QString first = make("first.pdf");
        m_fakes->dialogs.fileAnswer = "  " + first + QChar(0) + "junk";
        m_form->Command5->click();
        m_fakes->dialogs.fileAnswer.clear();
        m_form->Command5->click();
        m_form->Command4->click();
        for (const char *name : {"in/b.pdf", "in/a.pdf.bak.pdf", "in/notes.txt"})
            make(QLatin1String(name));
        m_fakes->dialogs.folderAnswer = m_dir->filePath("in");
        m_form->Command4->click();
        const auto drop = [this](const QMimeData &data) {
            QDragEnterEvent enter({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QDropEvent drop({5, 5}, Qt::CopyAction, &data, Qt::LeftButton, {});
            QApplication::sendEvent(m_form->List1->viewport(), &enter);
            return enter.isAccepted() && QApplication::sendEvent(m_form->List1->viewport(), &drop);
        };
        QMimeData data, plain;
        data.setUrls({QUrl::fromLocalFile(make("one.PDF")), QUrl::fromLocalFile(make("x.txt")),
                      QUrl::fromLocalFile(m_dir->filePath("in"))});
        plain.setText("hello");
        QVERIFY(drop(data) && !drop(plain));
        QCOMPARE(texts(m_form->List1), (QStringList{"first", "a.bak", "b", "one", "a.bak", "b"}));
        QCOMPARE(m_form->List2->item(0)->text(), first);
        QVERIFY(m_fakes->dialogs.messages.isEmpty());
        m_form->Text1->setText("x");
        m_form->close();
        QTRY_VERIFY(!m_form);
        m_form = openMaker();
        QVERIFY(m_form->Text1->text().isEmpty() && m_form->List1->count() == 0);
    }

    // A command, the row selected (-1 none), then A, B and C, paths with them, and the selection.
    void listCommands_data()
    {
        QTest::addColumn<ListCase>("row");
        QTest::newRow("move up") << ListCase{"Command7", 1, "BAC", 0};
        QTest::newRow("move down") << ListCase{"Command1", 1, "ACB", 2};
        QTest::newRow("delete") << ListCase{"Command6", 1, "AC", -1};
        QTest::newRow("move the last down") << ListCase{"Command1", 2, "ABC", 2};
        QTest::newRow("clear") << ListCase{"Command8", 1, "", -1};
    }
    void listCommands()
    {
        QFETCH(ListCase, row);
        const auto &[command, selected, order, selection] = row;
        fill(QString(), {make("A.pdf"), make("B.pdf"), make("C.pdf")});
        m_form->List1->setCurrentRow(selected);
        m_form->findChild<QPushButton *>(command)->click();
        QCOMPARE(texts(m_form->List1).join(QString()), order);
        QCOMPARE(texts(m_form->List2).join(QString()).remove(m_dir->path() + "/").remove(".pdf"),
                 order);
        const QList<QListWidgetItem *> items = m_form->List1->selectedItems();
        QCOMPARE(items.isEmpty() ? -1 : m_form->List1->row(items.first()), selection);
    }

    void listStopsAt32767Entries()
    {
        m_form->List1->addItems(QStringList(32767 - 2, "x"));
        m_form->List2->addItems(QStringList(32767 - 2, "/x.pdf"));
        make("f/a.pdf"), make("f/b.pdf"), make("f/c.pdf");
        m_fakes->dialogs.folderAnswer = m_dir->filePath("f");
        m_form->Command4->click();
        QVERIFY(m_form->List1->count() == 32767 && m_form->List2->count() == 32767);
        QCOMPARE(m_form->List2->item(32766)->text(), m_dir->filePath("f/b.pdf"));
    }

    // While the reader window holds its scratch index path, generation still writes the book.
    // The bar passes the end of every chapter's step, moves inside the steps too, and ends as
    // wide as the track plus 1. A second book whose source vanished fails and keeps the first.
    void generatesABookAndFailsKeepingTheEarlierOne()
    {
        const QByteArray bytes = TestFiles::pdfLike(512 * 1024, 1);
        const QString one = make("序言.pdf", bytes), two = make("Two.PDF", bytes);
        fill("  ", {one, two, one});
        m_form->Command3->click();
        QTRY_COMPARE(m_fakes->dialogs.messages, QStringList{"请首先输入书名及保存路径"});
        m_form->Text1->setText("诗集");
        m_form->List1->setCurrentRow(1);
        QVERIFY(QDir().mkpath(m_fakes->scratchFolder.indexFilePath()));
        QList<int> widths; // after each report
        connect(m_form->findChild<BookWriter *>(), &BookWriter::progressed, m_form,
                [&] { widths << m_form->Label7->width(); });
        m_form->Command3->click();
        QCOMPARE(m_form->cursor().shape(), Qt::WaitCursor);
        QTRY_COMPARE(m_fakes->dialogs.messages.last(), "已成功生成PDF电子书！");
        QVERIFY(m_form->Command3->isEnabled() && m_form->List1->isEnabled() &&
                m_form->cursor().shape() == Qt::ArrowCursor);
        QVERIFY(!m_form->Label7->isVisible() && m_form->Label7->width() == pixelWidth(1));
        QCOMPARE(widths.last(), pixelWidth(8415 + 1));
        for (int chapter = 1; chapter <= 3; ++chapter)
            QVERIFY(widths.contains(pixelWidth(qRound(1 + 8415.0 * chapter / 3))));
        QVERIFY(widths.size() > 6 && std::is_sorted(widths.cbegin(), widths.cend()));
        QStringList chapters;
        for (const ContentsIndex::Line &line : BookReader::readContents(out("诗集.VELM")).lines)
            chapters << line.name() + QString::number(line.length / bytes.size());
        QCOMPARE(chapters, (QStringList{"序言1", "Two1", "序言1"}));
        QVERIFY(m_form->List1->currentRow() == 1 && m_form->Text1->text() == "诗集");
        const QByteArray book = TestFiles::read(out("诗集.VELM"));
        QVERIFY(QFile::remove(two));
        m_form->Command3->click();
        QTRY_COMPARE(m_fakes->dialogs.messages.last(), "由于文件太大或格式错误，无法生成电子书！");
        QCOMPARE(TestFiles::read(out("诗集.VELM")), book);
    }

    // Inside a large chapter the window answers and its list and fields cannot change; closing
    // the book-making window, or the reader window, cancels and keeps the earlier book.
    void answersWhileWritingAndClosingCancels_data()
    {
        QTest::addColumn<bool>("closeReader");
        QTest::newRow("closing the book-making window") << false;
        QTest::newRow("closing the reader window") << true;
    }
    void answersWhileWritingAndClosingCancels()
    {
        QFETCH(bool, closeReader);
        QVERIFY(TestFiles::write(out("Book.VELM"), "earlier book"));
        std::atomic<bool> held{false}; // inside the first chapter until cancelled
        m_form->findChild<BookWriter *>()->setGenerator(
            [&](const GenerationRequest &request, const GenerationCallback &report) {
                return GenerateBook(request, [&](const auto &progress) {
                    if (progress.chapterBytesDone == 0 || held.exchange(true))
                        return report(progress);
                    while (report(progress))
                        QThread::msleep(5);
                    return false;
                });
            });
        fill("Book", {make("one.pdf", TestFiles::pdfLike(2048 * 1024, 6))});
        m_form->Command3->click();
        QTRY_VERIFY(held);
        bool timerRan = false;
        QMetaObject::invokeMethod(
            m_form, [&] { timerRan = true; }, Qt::QueuedConnection);
        QTRY_VERIFY(timerRan);
        for (const char *name : {"List1", "Text1", "Text2", "Image1", "Command1", "Command3",
                                 "Command4", "Command5", "Command6", "Command7", "Command8"})
            QVERIFY2(!m_form->findChild<QWidget *>(name)->isEnabled(), name);
        (closeReader ? static_cast<QWidget *>(&m_windows->reader()) : m_form.data())->close();
        QTRY_VERIFY(!m_form);
        QCoreApplication::sendPostedEvents();
        QVERIFY(m_fakes->dialogs.messages.isEmpty());
        QCOMPARE(TestFiles::entriesOf(out()), QStringList{"Book.VELM"});
        QCOMPARE(TestFiles::read(out("Book.VELM")), QByteArray("earlier book"));
    }
};

QTEST_MAIN(TestMakerWindow)
#include "tst_maker_window.moc"
