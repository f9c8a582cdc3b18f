#include "app/startup.h"
#include "core/book/contentsindex.h"
#include "core/document/documentkind.h"
#include "core/text/gbkcodec.h"
#include "fakeservices.h"
#include "guitest.h"
#include "widgets/clicklabel.h"
#include "gui/reader/form1.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

namespace {

// A view that keeps the bytes of every file it is asked to load, read before the reader
// deletes the scratch file.
class RecordingView : public PdfView
{
public:
    bool LoadFile(const QString &path) override
    {
        loads << TestFiles::read(path);
        return PdfView::LoadFile(path);
    }
    QList<QByteArray> loads;
};

class RecordingViewFactory : public FakeViewFactory
{
public:
    PdfView *createView(QWidget *parent) override
    {
        view = new RecordingView;
        view->setParent(parent);
        return view;
    }
    RecordingView *view = nullptr;
};

QByteArray trailer(qint32 length)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(length, bytes.data());
    return bytes;
}

// A book of the given chapters, with the index the engine writes.
QByteArray bookOf(const QList<QPair<QString, QByteArray>> &chapters)
{
    QList<ContentsIndex::Chapter> index;
    QByteArray bytes;
    for (const auto &chapter : chapters) {
        index << ContentsIndex::Chapter{chapter.first, chapter.second.size()};
        bytes += chapter.second;
    }
    const QByteArray indexBytes = ContentsIndex::encode(index);
    return bytes + indexBytes + trailer(indexBytes.size());
}

// A book whose index is `indexText` as given, lines and all.
QByteArray bookWithIndex(const QByteArray &chapterBytes, const QString &indexText)
{
    const QByteArray indexBytes = Gbk::encode(indexText);
    return chapterBytes + indexBytes + trailer(indexBytes.size());
}

QByteArray pdfBytes(int pages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.pdf"));
    if (!TestPdfs::write(path, pages))
        return QByteArray();
    return TestFiles::read(path);
}

bool sameImage(const QLabel *a, const QLabel *b)
{
    return a->pixmap().toImage() == b->pixmap().toImage();
}

} // namespace

using GuiTest::texts;

class TestReading : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void documentKinds_data();
    void documentKinds();
    void noArgumentOpensNothing();
    void bookAtLaunchListsItsChapters();
    void pdfAtLaunchIsShownWithItsBookmarks();
    void chapterBytesExactly();
    void damagedLinesAndRangesOutsideTheBook();
    void unreadableIndexGivesEmptyContents();
    void bookmarkListsAreReplacedPerChapter();
    void pageTextRules_data();
    void pageTextRules();
    void bookmarkOnPageTwelveGoesBackToPageTwelve();
    void looksAndTabs();
    void openCommandCancel();
    void openCommandRejectsAFileOfNoKind();
    void openCommandBookAfterPdfAndPdfAfterBook();
    void selectionByMouseKeyboardAndSecondClick();

private:
    QString file(const QString &name) const { return m_dir->filePath(name); }
    QString writeBook(const QString &name, const QByteArray &bytes);
    QString writePdf(const QString &name, int pages);
    void load(const QString &commandLine);
    void clickRow(QListWidget *list, int row);
    QStringList scratchFiles() const;
    RecordingView *view() const { return m_factory.view; }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<FakeServices> m_fakes;
    RecordingViewFactory m_factory;
    std::unique_ptr<Form1> m_form;
    QByteArray m_first, m_second, m_third;
};

void TestReading::initTestCase()
{
    Module1::SetApplicationFont();
    m_first = pdfBytes(2);
    m_second = pdfBytes(3);
    m_third = pdfBytes(1);
    QVERIFY(!m_first.isEmpty() && !m_second.isEmpty() && !m_third.isEmpty());
}

void TestReading::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_fakes = std::make_unique<FakeServices>();
    AppServices services = m_fakes->services();
    services.viewFactory = &m_factory;
    // The window keeps a copy of the services: the fakes outlive it.
    m_form = Form1::create(services);
    QVERIFY(m_form);
}

void TestReading::cleanup()
{
    m_form.reset();
    m_fakes.reset();
    m_dir.reset();
}

QString TestReading::writeBook(const QString &name, const QByteArray &bytes)
{
    const QString path = file(name);
    return TestFiles::write(path, bytes) ? path : QString();
}

QString TestReading::writePdf(const QString &name, int pages)
{
    const QString path = file(name);
    return TestPdfs::write(path, pages) ? path : QString();
}

void TestReading::load(const QString &commandLine)
{
    m_form->Form_Load(commandLine);
}

void TestReading::clickRow(QListWidget *list, int row)
{
    const QRect rect = list->visualItemRect(list->item(row));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
}

QStringList TestReading::scratchFiles() const
{
    return QDir(m_fakes->scratchFolder.path()).entryList(QDir::Files | QDir::Hidden);
}

void TestReading::documentKinds_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::newRow(".velm") << "book.velm" << int(DocumentKind::Book);
    QTest::newRow("VELM without a dot") << "bookVELM" << int(DocumentKind::Book);
    QTest::newRow(".VeLm") << "story.VeLm" << int(DocumentKind::Book);
    QTest::newRow(".PDF") << "paper.PDF" << int(DocumentKind::Pdf);
    QTest::newRow(".txt") << "notes.txt" << int(DocumentKind::None);
    QTest::newRow("pdf without a dot") << "paperpdf" << int(DocumentKind::None);
    QTest::newRow("three characters") << "ELM" << int(DocumentKind::None);
}

// The kind comes from the last four characters, and the window follows it at launch.
void TestReading::documentKinds()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QCOMPARE(int(Module1::DocumentKindOf(name)), kind);

    const QString path = file(name);
    if (kind == int(DocumentKind::Pdf))
        QVERIFY(TestPdfs::write(path, 2));
    else
        QVERIFY(TestFiles::write(path, bookOf({{QStringLiteral("第一章"), m_first}})));
    load(path);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) - ") + name);
    QCOMPARE(m_form->Text2->text(), path);
    QCOMPARE(m_form->List1->count(), kind == int(DocumentKind::Book) ? 1 : 0);
    QCOMPARE(m_form->Picture7->isHidden(), kind == int(DocumentKind::Pdf));
    QCOMPARE(view()->loads.size(), kind == int(DocumentKind::Pdf) ? 1 : 0);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());
    QVERIFY(scratchFiles().isEmpty());
}

void TestReading::noArgumentOpensNothing()
{
    m_form->List1->setHorizontalExtent(77);
    m_form->List4->setHorizontalExtent(77);
    load(QString());
    QCOMPARE(m_form->windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) V2.2"));
    QVERIFY(m_form->Text2->text().isEmpty());
    QCOMPARE(m_form->List1->count() + m_form->List2->count() + m_form->List4->count(), 0);
    QCOMPARE(m_form->List1->horizontalExtent(), 0);
    QCOMPARE(m_form->List4->horizontalExtent(), 0);
    QVERIFY(!m_form->Picture7->isHidden());
    QVERIFY(view()->loads.isEmpty());

    // A quoted path has no kind: the closing quote is its last character.
    cleanup();
    init();
    const QString quoted = QLatin1Char('"') + file(QStringLiteral("a.pdf")) + QLatin1Char('"');
    load(quoted);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) - a.pdf\""));
    QCOMPARE(m_form->Text2->text(), quoted);
    QVERIFY(view()->loads.isEmpty());

    // A path without a separator names the window after the whole path.
    cleanup();
    init();
    load(QStringLiteral("plain-name.txt"));
    QCOMPARE(m_form->windowTitle(),
             QStringLiteral("PDF电子书制作软件(Quillmoor) - plain-name.txt"));
    QCOMPARE(Module1::DocumentFileName(QStringLiteral("无目录.VELM")),
             QStringLiteral("无目录.VELM"));
}

void TestReading::bookAtLaunchListsItsChapters()
{
    const QString path =
        writeBook(QStringLiteral("诗集.VELM"), bookOf({{QStringLiteral("序言"), m_first},
                                                       {QStringLiteral("第二章"), m_second},
                                                       {QString(), m_third}}));
    load(path);
    QCOMPARE(texts(m_form->List1), QStringList({"序言", "第二章", ""}));
    QCOMPARE(m_form->List2->count(), 3);
    QCOMPARE(m_form->List2->item(1)->text(),
             QStringLiteral("第二章♂%1♀%2").arg(m_first.size() + 1).arg(m_second.size()));
    // No chapter is shown at launch and the index's scratch file is gone.
    QVERIFY(view()->loads.isEmpty());
    QVERIFY(!m_form->Picture7->isHidden());
    QVERIFY(scratchFiles().isEmpty());
    QVERIFY(m_form->List1->horizontalExtent() > 0);
}

void TestReading::pdfAtLaunchIsShownWithItsBookmarks()
{
    const QString path = writePdf(QStringLiteral("a.pdf"), 4);
    QVERIFY(TestFiles::write(
        file(QStringLiteral("a.ini")),
        Gbk::encode(QStringLiteral("第一章［3］\r\n\r\n附录［4］\r\n无页码\r\n"))));
    load(path);
    QCOMPARE(view()->pageCount(), 4);
    QCOMPARE(texts(m_form->List4), QStringList({"第一章", "附录"}));
    QCOMPARE(texts(m_form->List3), QStringList({"第一章［3］", "附录［4］"}));
    QVERIFY(m_form->Picture7->isHidden());
}

void TestReading::chapterBytesExactly()
{
    const QByteArray one = TestFiles::pdfLike(1000, 1);
    const QByteArray two = TestFiles::pdfLike(250, 2);
    const QByteArray three = TestFiles::pdfLike(70000, 3);
    const QString path =
        writeBook(QStringLiteral("b.VELM"), bookOf({{QStringLiteral("一"), one},
                                                    {QStringLiteral("二"), two},
                                                    {QStringLiteral("三"), three}}));
    load(path);
    const QByteArray book = TestFiles::read(path);

    m_form->ShowChapter(0);
    QCOMPARE(view()->loads.size(), 1);
    QCOMPARE(view()->loads.last(), book.left(1000));
    QVERIFY(m_form->Picture7->isHidden());
    QVERIFY(scratchFiles().isEmpty());

    // Start S = 1001, length L = 250: offsets S - 1 to S + L - 2, even over a longer file left
    // behind in the scratch folder.
    QVERIFY(TestFiles::write(m_fakes->scratchFolder.chapterFilePath(), QByteArray(5000, 'x')));
    m_form->ShowChapter(1);
    QCOMPARE(view()->loads.last(), book.mid(1000, 250));
    QCOMPARE(view()->loads.last(), two);
    m_form->ShowChapter(2);
    QCOMPARE(view()->loads.last(), three);
    QVERIFY(scratchFiles().isEmpty());
}

void TestReading::damagedLinesAndRangesOutsideTheBook()
{
    const QByteArray chapters = m_first + m_second;
    const QString index =
        QStringLiteral("好♂1♀%1\r\n没有记号\r\n越界♂%2♀999999\r\n坏数♂x♀5\r\n尾♂%2♀%3\r\n\r\n")
            .arg(m_first.size())
            .arg(m_first.size() + 1)
            .arg(m_second.size());
    const QString path = writeBook(QStringLiteral("damaged.VELM"), bookWithIndex(chapters, index));
    QVERIFY(
        TestFiles::write(file(QStringLiteral("damaged.ini")),
                         Gbk::encode(QStringLiteral("{0}好&甲［1］\r\n{1}没有记号&乙［1］\r\n"))));
    load(path);
    // Every line keeps its place: line i of the names is line i of the index.
    QCOMPARE(texts(m_form->List1), QStringList({"好", "没有记号", "越界", "坏数", "尾"}));
    QCOMPARE(m_form->List2->count(), 5);
    QCOMPARE(m_form->List2->item(4)->text().left(1), QStringLiteral("尾"));

    m_form->ShowChapter(0);
    QCOMPARE(view()->loads.size(), 1);
    QCOMPARE(view()->pageCount(), 2);
    // Damaged lines and a range past the chapters: the view and the bookmarks stay as they were.
    for (int row : {1, 2, 3, 99, -1}) {
        m_form->ShowChapter(row);
        QCOMPARE(view()->loads.size(), 1);
        QCOMPARE(view()->pageCount(), 2);
        QCOMPARE(texts(m_form->List4), QStringList({"甲"}));
        QVERIFY(scratchFiles().isEmpty());
    }
    m_form->ShowChapter(4);
    QCOMPARE(view()->loads.last(), m_second);
    QCOMPARE(view()->pageCount(), 3);
    QCOMPARE(TestFiles::read(path).size(), chapters.size() + Gbk::encode(index).size() + 4);
}

void TestReading::unreadableIndexGivesEmptyContents()
{
    const QString good =
        writeBook(QStringLiteral("good.VELM"), bookOf({{QStringLiteral("一"), m_first}}));
    load(good);
    m_form->ShowChapter(0);
    QCOMPARE(view()->loads.size(), 1);

    const QList<QPair<QString, QByteArray>> broken = {
        {QStringLiteral("zero.VELM"), m_second + trailer(0)},
        {QStringLiteral("negative.VELM"), m_second + trailer(-5)},
        {QStringLiteral("too-long.VELM"), m_second + trailer(m_second.size() + 1)},
        {QStringLiteral("short.VELM"), QByteArray("\x01\x00", 2)},
    };
    for (const auto &book : broken) {
        m_fakes->dialogs.fileAnswer = writeBook(book.first, book.second);
        m_form->OpenCommand();
        QCOMPARE(m_form->Text2->text(), m_fakes->dialogs.fileAnswer);
        QCOMPARE(m_form->List1->count(), 0);
        QCOMPARE(m_form->List2->count(), 0);
        // Nothing of the earlier book is read for it.
        m_form->ShowChapter(0);
        QCOMPARE(view()->loads.size(), 1);
        QCOMPARE(TestFiles::read(m_fakes->dialogs.fileAnswer), book.second);
    }
    m_fakes->dialogs.fileAnswer = file(QStringLiteral("missing.VELM"));
    m_form->OpenCommand();
    QCOMPARE(m_form->List1->count(), 0);
    QVERIFY(!QFile::exists(m_fakes->dialogs.fileAnswer));
    QVERIFY(scratchFiles().isEmpty());
}

void TestReading::bookmarkListsAreReplacedPerChapter()
{
    const QString path =
        writeBook(QStringLiteral("诗集.VELM"), bookOf({{QStringLiteral("序言"), m_first},
                                                       {QStringLiteral("二"), m_second},
                                                       {QStringLiteral("三"), m_third}}));
    QVERIFY(TestFiles::write(file(QStringLiteral("诗集.ini")),
                             Gbk::encode(QStringLiteral("{0}序言&开头［1］\r\n"
                                                        "{2}三&重点［5］\r\n"
                                                        "{02}三&不算［1］\r\n"
                                                        "{0}A&B&x［2］\r\n"
                                                        "{2}三&再看［1］\r\n"))));
    load(path);
    QCOMPARE(m_form->List4->count(), 0);
    m_form->ShowChapter(0);
    QCOMPARE(texts(m_form->List4), QStringList({"开头", "B&x"}));
    QCOMPARE(texts(m_form->List3), QStringList({"开头［1］", "B&x［2］"}));
    m_form->ShowChapter(2);
    QCOMPARE(texts(m_form->List4), QStringList({"重点", "再看"}));
    QCOMPARE(texts(m_form->List3), QStringList({"重点［5］", "再看［1］"}));
    m_form->ShowChapter(1);
    QCOMPARE(m_form->List4->count(), 0);
    QCOMPARE(m_form->List3->count(), 0);
    m_form->ShowChapter(2);
    m_form->ShowChapter(2);
    QCOMPARE(m_form->List4->count(), 2);
}

void TestReading::pageTextRules_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("page");
    QTest::newRow("［12］") << "名［12］" << 12;
    QTest::newRow("no closing bracket") << "名［123" << 12;
    QTest::newRow("any last character") << "名［7x" << 7;
    QTest::newRow("no number") << "名［abc］" << 3;
    QTest::newRow("above 16 bits") << "名［40000］" << 3;
    QTest::newRow("below 16 bits") << "名［-40000］" << 3;
    QTest::newRow("empty page") << "名［］" << 3;
    QTest::newRow("bracket in the name") << "名［x［9］" << 3;
    QTest::newRow("beyond the last page") << "名［99］" << 3;
}

void TestReading::pageTextRules()
{
    QFETCH(QString, entry);
    QFETCH(int, page);
    const QString path = writePdf(QStringLiteral("p.pdf"), 14);
    QVERIFY(TestFiles::write(file(QStringLiteral("p.ini")), Gbk::encode(entry + "\r\n")));
    load(path);
    m_form->resize(900, 700);
    QCOMPARE(m_form->List3->count(), 1);
    view()->setCurrentPage(3);
    QCOMPARE(view()->currentPage(), 3);
    m_form->GoToBookmark(0);
    QCOMPARE(view()->currentPage(), page);
    QCOMPARE(view()->loads.size(), 1);
    m_form->GoToBookmark(5);
    QCOMPARE(view()->currentPage(), page);
}

void TestReading::bookmarkOnPageTwelveGoesBackToPageTwelve()
{
    const QString path =
        writeBook(QStringLiteral("长.VELM"),
                  bookOf({{QStringLiteral("一"), m_first}, {QStringLiteral("二"), pdfBytes(20)}}));
    load(path);
    m_form->ShowChapter(1);
    QCOMPARE(view()->pageCount(), 20);
    // The page box takes the page as the user types it.
    auto *pageBox = view()->findChild<QLineEdit *>();
    QVERIFY(pageBox);
    pageBox->setText(QStringLiteral("12"));
    QTest::keyClick(pageBox, Qt::Key_Return);
    QCOMPARE(view()->currentPage(), 12);
    const QString line = QStringLiteral("{1}二&要点［%1］").arg(pageBox->text());
    QVERIFY(TestFiles::write(file(QStringLiteral("长.ini")), Gbk::encode(line + "\r\n")));
    m_form->ShowChapter(1);
    QCOMPARE(view()->currentPage(), 1);
    m_form->GoToBookmark(0);
    QCOMPARE(view()->currentPage(), 12);
    QCOMPARE(m_form->List1->currentRow(), -1);
    QCOMPARE(view()->loads.size(), 2);
}

void TestReading::looksAndTabs()
{
    auto single = [this] {
        QVERIFY(sameImage(m_form->Image1, m_form->Picture3));
        QVERIFY(m_form->Label9->isHidden() && m_form->Label10->isHidden());
        QVERIFY(!m_form->Label1->isHidden());
        QVERIFY(m_form->List1->isHidden());
        QVERIFY(!m_form->List4->isHidden());
    };
    single();
    const QString pdf = writePdf(QStringLiteral("x.pdf"), 1);
    const QString book =
        writeBook(QStringLiteral("x.VELM"),
                  bookOf({{QStringLiteral("一"), m_first}, {QStringLiteral("二"), m_second}}));
    const QString longName = QString(60, QChar(0x957F));
    QVERIFY(TestFiles::write(file(QStringLiteral("x.ini")),
                             Gbk::encode(QStringLiteral("{1}二&%1［1］\r\n").arg(longName))));
    load(pdf);
    single();

    m_fakes->dialogs.fileAnswer = book;
    m_form->OpenCommand();
    QVERIFY(sameImage(m_form->Image1, m_form->Picture1));
    QVERIFY(!m_form->Label9->isHidden() && !m_form->Label10->isHidden());
    QVERIFY(m_form->Label1->isHidden());
    QVERIFY(!m_form->List1->isHidden());
    QVERIFY(m_form->List4->isHidden());

    m_form->List1->setCurrentRow(1);
    QCOMPARE(view()->loads.size(), 2);
    QCOMPARE(m_form->List4->count(), 1);
    for (int twice = 0; twice < 2; ++twice) {
        m_form->List4->setHorizontalExtent(0);
        m_form->Label10->clicked();
        QVERIFY(sameImage(m_form->Image1, m_form->Picture2));
        QVERIFY(!m_form->List1->isHidden());
        QVERIFY(!m_form->List4->isHidden());
        QVERIFY(!m_form->Label9->isHidden() && m_form->Label1->isHidden());
        QCOMPARE(m_form->List4->horizontalExtent(), Module1::MeasureListWidth(*m_form->List4));
        QVERIFY(m_form->List4->horizontalExtent() > m_form->List4->width());
    }
    m_form->Label9->clicked();
    QVERIFY(sameImage(m_form->Image1, m_form->Picture1));
    QVERIFY(!m_form->List1->isHidden());
    QVERIFY(m_form->List4->isHidden());
    QCOMPARE(m_form->List1->currentRow(), 1);
    // Switching tabs reads nothing.
    QCOMPARE(view()->loads.size(), 2);
}

void TestReading::openCommandCancel()
{
    const QString pdf = writePdf(QStringLiteral("x.pdf"), 2);
    load(pdf);
    m_form->List4->setHorizontalExtent(55);
    m_fakes->dialogs.fileAnswer.clear();
    m_form->打开->trigger();
    QCOMPARE(m_fakes->dialogs.fileRequests.size(), 1);
    const FakeDialogs::FileRequest request = m_fakes->dialogs.fileRequests.first();
    QCOMPARE(request.title, QStringLiteral("打开PDF文件"));
    QCOMPARE(request.filter, QStringLiteral("PDF文件 (*.pdf *.VELM)"));
    QCOMPARE(request.initialFolder, pdf);
    QCOMPARE(m_form->Text2->text(), pdf);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) - x.pdf"));
    QCOMPARE(view()->loads.size(), 1);
    // Only the fitting runs.
    QCOMPARE(m_form->List4->horizontalExtent(), 0);
    QVERIFY(m_fakes->dialogs.messages.isEmpty());

    // Label21 on the start panel is the same command; blanks around the answer are dropped.
    m_fakes->dialogs.fileAnswer = QStringLiteral("  ") + pdf + QStringLiteral(" ");
    m_form->Label21->clicked();
    QCOMPARE(m_fakes->dialogs.fileRequests.size(), 2);
    QCOMPARE(m_form->Text2->text(), pdf);
    QCOMPARE(view()->loads.size(), 2);
}

void TestReading::openCommandRejectsAFileOfNoKind()
{
    const QString book =
        writeBook(QStringLiteral("诗集.VELM"),
                  bookOf({{QStringLiteral("一"), m_first}, {QStringLiteral("二"), m_second}}));
    load(book);
    const QString text = file(QStringLiteral("notes.txt"));
    const QByteArray notes = bookOf({{QStringLiteral("假"), m_third}});
    QVERIFY(TestFiles::write(text, notes));
    m_fakes->dialogs.fileAnswer = text;
    m_form->OpenCommand();
    QCOMPARE(m_fakes->dialogs.messages, QStringList({"文件格式错误！"}));
    // The earlier book stays open: path, caption, lists and start panel.
    QCOMPARE(m_form->Text2->text(), book);
    QCOMPARE(m_form->windowTitle(), QStringLiteral("PDF电子书制作软件(Quillmoor) - 诗集.VELM"));
    QCOMPARE(texts(m_form->List1), QStringList({"一", "二"}));
    QCOMPARE(m_form->List2->count(), 2);
    QVERIFY(view()->loads.isEmpty());
    // A chapter click still reads the book, and the refused file is untouched.
    m_form->ShowChapter(1);
    QCOMPARE(view()->loads.last(), m_second);
    QCOMPARE(TestFiles::read(text), notes);
    QVERIFY(!QFile::exists(file(QStringLiteral("notes.ini"))));
}

void TestReading::openCommandBookAfterPdfAndPdfAfterBook()
{
    const QString pdf = writePdf(QStringLiteral("a.pdf"), 4);
    QVERIFY(TestFiles::write(file(QStringLiteral("a.ini")),
                             Gbk::encode(QStringLiteral("附录［2］\r\n"))));
    const QString book =
        writeBook(QStringLiteral("story.VeLm"), bookOf({{QStringLiteral("第一章"), m_first}}));
    load(pdf);
    m_fakes->dialogs.fileAnswer = book;
    m_form->OpenCommand();
    QCOMPARE(m_fakes->dialogs.fileRequests.last().initialFolder, pdf);
    QCOMPARE(texts(m_form->List1), QStringList({"第一章"}));
    QVERIFY(!m_form->List1->isHidden());
    // The PDF stays in view until a chapter is picked, its bookmarks out of sight.
    QCOMPARE(view()->loads.size(), 1);
    QCOMPARE(view()->pageCount(), 4);
    QCOMPARE(texts(m_form->List4), QStringList({"附录"}));
    QVERIFY(m_form->List4->isHidden());

    m_fakes->dialogs.fileAnswer = pdf;
    m_form->OpenCommand();
    QCOMPARE(texts(m_form->List1), QStringList({"第一章"}));
    QVERIFY(m_form->List1->isHidden());
    QCOMPARE(texts(m_form->List4), QStringList({"附录"}));
    QVERIFY(!m_form->List4->isHidden());
    QCOMPARE(view()->loads.size(), 2);
    // The book's lines do not read from the PDF.
    m_form->ShowChapter(0);
    QCOMPARE(view()->loads.size(), 2);

    // With no document open, the Open command hides the start panel too.
    cleanup();
    init();
    m_fakes->dialogs.fileAnswer = book;
    m_form->OpenCommand();
    QVERIFY(m_form->Picture7->isHidden());
}

void TestReading::selectionByMouseKeyboardAndSecondClick()
{
    const QString book =
        writeBook(QStringLiteral("s.VELM"), bookOf({{QStringLiteral("一"), m_first},
                                                    {QStringLiteral("二"), m_second},
                                                    {QStringLiteral("三"), m_third}}));
    QVERIFY(TestFiles::write(file(QStringLiteral("s.ini")),
                             Gbk::encode(QStringLiteral("{0}一&甲［2］\r\n{0}一&乙［1］\r\n"))));
    load(book);
    m_form->showNormal();
    m_form->resize(1000, 700);
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QVERIFY(view()->loads.isEmpty());

    clickRow(m_form->List1, 1);
    QCOMPARE(view()->loads.size(), 1);
    QCOMPARE(view()->loads.last(), m_second);
    clickRow(m_form->List1, 1);
    QCOMPARE(view()->loads.size(), 2);

    m_form->List1->setFocus();
    QTest::keyClick(m_form->List1, Qt::Key_Up);
    QCOMPARE(view()->loads.size(), 3);
    QCOMPARE(view()->loads.last(), m_first);
    clickRow(m_form->List1, 0);
    QCOMPARE(view()->loads.size(), 4);

    m_form->Label10->clicked();
    QCOMPARE(m_form->List4->count(), 2);
    clickRow(m_form->List4, 0);
    QCOMPARE(view()->currentPage(), 2);
    clickRow(m_form->List4, 1);
    QCOMPARE(view()->currentPage(), 1);
    clickRow(m_form->List4, 0);
    clickRow(m_form->List4, 0);
    QCOMPARE(view()->currentPage(), 2);
    view()->setCurrentPage(1);
    clickRow(m_form->List4, 0);
    QCOMPARE(view()->currentPage(), 2);
    QCOMPARE(view()->loads.size(), 4);

    // Opening the book again fills the lists silently: nothing is shown.
    m_fakes->dialogs.fileAnswer = book;
    m_form->OpenCommand();
    QCOMPARE(view()->loads.size(), 4);
}

QTEST_MAIN(TestReading)
#include "tst_reading.moc"
