#include "app/startup.h"
#include "guitest.h"
#include "testbooks.h"
#include "testfiles.h"
#include "testpdfs.h"
#include "widgets/clicklabel.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <memory>

using GuiTest::gbk;
using TestBooks::bookOf;

namespace {

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

} // namespace

// The reader window as a view of the open document: what each command shows. The rules of
// opening, chapters and bookmarks are the session's and tested there.
class TestReading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init() { m_reader = std::make_unique<GuiTest::Reader>(); }
    void cleanup() { m_reader.reset(); }

    void launch_data();
    void launch();
    void chaptersByMouseAndKeyboard();
    void bookmarkGoesToItsPage_data();
    void bookmarkGoesToItsPage();
    void looksAndTabs();
    void openCommand();
    void openCommandRefusesAFileOfNoKind();

private:
    Form1 &form() const { return m_reader->form(); }
    template <class T = QWidget>
    T *get(const char *name) const { return m_reader->get<T>(name); }
    QStringList lines(const char *list) const { return m_reader->lines(list); }
    QString write(const QString &name, const QByteArray &bytes) const
    {
        return TestFiles::write(m_reader->file(name), bytes) ? m_reader->file(name) : QString();
    }
    QString writeBook() const
    {
        write("s.ini", gbk("{0}一&甲［2］\r\n{0}一&乙［1］\r\n{1}二&丙［1］\r\n"));
        return write("s.VELM", bookOf({{"一", m_first}, {"二", m_second}}));
    }
    bool sameImage(const char *a, const char *b) const
    {
        return get<QLabel>(a)->pixmap().toImage() == get<QLabel>(b)->pixmap().toImage();
    }

    std::unique_ptr<GuiTest::Reader> m_reader;
    QByteArray m_first, m_second;
};

void TestReading::initTestCase()
{
    Module1::SetApplicationFont();
    m_first = pdfBytes(2);
    m_second = pdfBytes(3);
    QVERIFY(!m_first.isEmpty() && !m_second.isEmpty());
}

void TestReading::launch_data()
{
    QTest::addColumn<QString>("argument"); // %1: the test's folder
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("chapters");
    QTest::addColumn<int>("loads");
    QTest::newRow("nothing") << "" << " V2.2" << 0 << 0;
    QTest::newRow("book") << "%1/s.VELM" << " - s.VELM" << 2 << 0;
    QTest::newRow("pdf") << "%1/a.pdf" << " - a.pdf" << 0 << 1;
    QTest::newRow("quoted path has no kind") << "\"%1/a.pdf\"" << " - a.pdf\"" << 0 << 0;
}

// The path goes to Text2 and the caption whatever its kind; a book lists its chapters and keeps
// the start panel until one is chosen, a PDF is shown.
void TestReading::launch()
{
    QFETCH(QString, argument);
    QFETCH(QString, caption);
    QFETCH(int, chapters);
    QFETCH(int, loads);
    writeBook();
    write("a.pdf", m_first);
    const QString path = argument.isEmpty() ? argument : argument.arg(m_reader->dir.path());
    form().Form_Load(path);
    QCOMPARE(form().windowTitle(), "PDF电子书制作软件(Quillmoor)" + caption);
    QCOMPARE(get<QLineEdit>("Text2")->text(), path);
    QCOMPARE(get<SideList>("List1")->count(), chapters);
    QCOMPARE(get<QListWidget>("List2")->count(), chapters);
    auto *contents = get<SideList>("List1");
    QCOMPARE(contents->horizontalExtent(), Module1::MeasureListWidth(*contents));
    QCOMPARE(m_reader->view().loads.size(), loads);
    QCOMPARE(get("Picture7")->isHidden(), loads > 0);
}

// A chapter chosen by a click, a second click on it or a key is shown with its bookmarks.
void TestReading::chaptersByMouseAndKeyboard()
{
    form().Form_Load(writeBook());
    QCOMPARE(get<QListWidget>("List2")->item(1)->text(),
             QStringLiteral("二♂%1♀%2").arg(m_first.size() + 1).arg(m_second.size()));
    form().showNormal();
    form().resize(1000, 700);
    QVERIFY(QTest::qWaitForWindowExposed(&form()));
    auto *contents = get<SideList>("List1");
    clickRow(contents, 1);
    clickRow(contents, 1);
    QCOMPARE(m_reader->view().loads, QList<QByteArray>({m_second, m_second}));
    QVERIFY(get("Picture7")->isHidden());
    QCOMPARE(lines("List4"), QStringList({"丙"}));
    contents->setFocus();
    QTest::keyClick(contents, Qt::Key_Up);
    QCOMPARE(m_reader->view().loads.last(), m_first);
    QCOMPARE(lines("List4"), QStringList({"甲", "乙"}));
    QCOMPARE(lines("List3"), QStringList({"甲［2］", "乙［1］"}));

    get<ClickLabel>("Label10")->clicked();
    clickRow(get<SideList>("List4"), 0);
    QCOMPARE(m_reader->view().currentPage(), 2);
    clickRow(get<SideList>("List4"), 1);
    QCOMPARE(m_reader->view().currentPage(), 1);
    QCOMPARE(m_reader->view().loads.size(), 3);
}

void TestReading::bookmarkGoesToItsPage_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("page");
    QTest::newRow("［12］") << "名［12］" << 12;
    QTest::newRow("no closing bracket") << "名［123" << 12;
    QTest::newRow("no number") << "名［abc］" << 3;
    QTest::newRow("above 16 bits") << "名［40000］" << 3;
    QTest::newRow("below 16 bits") << "名［-40000］" << 3;
    QTest::newRow("beyond the last page") << "名［99］" << 3;
}

void TestReading::bookmarkGoesToItsPage()
{
    QFETCH(QString, entry);
    QFETCH(int, page);
    QVERIFY(TestPdfs::write(m_reader->file("p.pdf"), 14));
    write("p.ini", gbk(entry + "\r\n"));
    form().Form_Load(m_reader->file("p.pdf"));
    form().resize(900, 700);
    m_reader->view().setCurrentPage(3);
    form().GoToBookmark(0);
    QCOMPARE(m_reader->view().currentPage(), page);
    form().GoToBookmark(5);
    QCOMPARE(m_reader->view().currentPage(), page);
}

void TestReading::looksAndTabs()
{
    auto single = [this] {
        QVERIFY(sameImage("Image1", "Picture3"));
        QVERIFY(get("Label9")->isHidden() && get("Label10")->isHidden());
        QVERIFY(!get("Label1")->isHidden() && get("List1")->isHidden());
        QVERIFY(!get("List4")->isHidden());
    };
    single();
    write("x.pdf", m_first);
    form().Form_Load(m_reader->file("x.pdf"));
    single();

    m_reader->fakes.dialogs.fileAnswer = writeBook();
    form().OpenCommand();
    QVERIFY(sameImage("Image1", "Picture1"));
    QVERIFY(!get("Label9")->isHidden() && !get("Label10")->isHidden() && get("Label1")->isHidden());
    QVERIFY(!get("List1")->isHidden() && get("List4")->isHidden());

    get<SideList>("List1")->setCurrentRow(1);
    get<SideList>("List4")->setHorizontalExtent(0);
    get<ClickLabel>("Label10")->clicked();
    QVERIFY(sameImage("Image1", "Picture2"));
    QVERIFY(!get("List1")->isHidden() && !get("List4")->isHidden());
    QVERIFY(get<SideList>("List4")->horizontalExtent() > 0);
    get<ClickLabel>("Label9")->clicked();
    QVERIFY(sameImage("Image1", "Picture1"));
    QVERIFY(!get("List1")->isHidden() && get("List4")->isHidden());
    QCOMPARE(m_reader->view().loads.size(), 2);
}

void TestReading::openCommand()
{
    const QString pdf = write("a.pdf", m_first);
    write("a.ini", gbk("附录［2］\r\n"));
    form().Form_Load(pdf);
    get<QAction>("打开")->trigger();
    const FakeDialogs::FileRequest request = m_reader->fakes.dialogs.fileRequests.last();
    QCOMPARE(request.title, QStringLiteral("打开PDF文件"));
    QCOMPARE(request.filter, QStringLiteral("PDF文件 (*.pdf *.VELM)"));
    QCOMPARE(request.initialFolder, pdf);
    QCOMPARE(m_reader->view().loads.size(), 1);

    // The start panel's button is the same command; blanks around the answer are dropped. The
    // PDF stays in view until a chapter is chosen, its bookmarks kept out of sight.
    get("Picture7")->show();
    m_reader->fakes.dialogs.fileAnswer = "  " + writeBook() + " ";
    get<ClickLabel>("Label21")->clicked();
    QCOMPARE(get<QLineEdit>("Text2")->text(), m_reader->file("s.VELM"));
    QCOMPARE(lines("List1"), QStringList({"一", "二"}));
    QCOMPARE(lines("List4"), QStringList({"附录"}));
    QCOMPARE(m_reader->view().loads.size(), 1);
    QVERIFY(get("Picture7")->isHidden());

    m_reader->fakes.dialogs.fileAnswer = pdf;
    form().OpenCommand();
    QVERIFY(get("List1")->isHidden() && !get("List4")->isHidden());
    QCOMPARE(m_reader->view().loads.size(), 2);
    QVERIFY(m_reader->fakes.dialogs.messages.isEmpty());
}

// The earlier book stays open, path, caption and lists, and the refused file is not read.
void TestReading::openCommandRefusesAFileOfNoKind()
{
    const QString book = writeBook();
    form().Form_Load(book);
    const QByteArray notes = bookOf({{"假", m_second}});
    m_reader->fakes.dialogs.fileAnswer = write("notes.txt", notes);
    form().OpenCommand();
    QCOMPARE(m_reader->fakes.dialogs.messages, QStringList({"文件格式错误！"}));
    QCOMPARE(get<QLineEdit>("Text2")->text(), book);
    QCOMPARE(form().windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) - s.VELM"));
    QCOMPARE(lines("List1"), QStringList({"一", "二"}));
    QVERIFY(!get("Picture7")->isHidden());
    form().ShowChapter(1);
    QCOMPARE(m_reader->view().loads, QList<QByteArray>({m_second}));
    QCOMPARE(TestFiles::read(m_reader->file("notes.txt")), notes);
}

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
