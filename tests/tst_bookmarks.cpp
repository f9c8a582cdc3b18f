#include "core/bookmarks/bookmarkfile.h"
#include "core/text/gbkcodec.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Module1;

namespace
{

const char AppendManyArgument[] = "--append-many-bookmarks";
const int LinesPerWriter = 1000;

// The names and the entry texts, one after the other.
QStringList namesAndTextsOf(const QList<BookmarkEntry> &entries)
{
    QStringList names;
    QStringList texts;
    for (const BookmarkEntry &entry : entries) {
        names << entry.name;
        texts << entry.entryText;
    }
    return names + texts;
}

QStringList namesOf(const QList<BookmarkEntry> &entries)
{
    return namesAndTextsOf(entries).mid(0, entries.size());
}

QString writerLine(const QString &tag, int number)
{
    return QStringLiteral("第%1章%2［%2］").arg(tag).arg(number);
}

// Runs in a child process: appends LinesPerWriter lines to the bookmark file of `documentPath`.
int appendManyLines(const QString &documentPath, const QString &tag)
{
    for (int i = 0; i < LinesPerWriter; ++i) {
        if (!AppendBookmarkLine(documentPath, writerLine(tag, i)))
            return 1;
    }
    return 0;
}

} // namespace

class TestBookmarks : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void derivesTheBookmarkFilePath_data();
    void derivesTheBookmarkFilePath();
    void writesGbkLinesWithCrLf();
    void splitsLinesAtEveryLineEnd_data();
    void splitsLinesAtEveryLineEnd();
    void readsEntries_data();
    void readsEntries();
    void appendEndsAnUnfinishedLastLine_data();
    void appendEndsAnUnfinishedLastLine();
    void refusesFilesItCannotKeepBookmarksIn();
    void writeFailingAfterNBytesKeepsTheOldFile_data();
    void writeFailingAfterNBytesKeepsTheOldFile();
    void concurrentAppendsKeepEveryLine();
    void extractsThePageText_data();
    void extractsThePageText();

private:
    QString path(const char *name) const { return m_dir->filePath(QString::fromUtf8(name)); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBookmarks::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestBookmarks::derivesTheBookmarkFilePath_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("bookmarkFile");
    QTest::newRow("book") << "/books/Poems.VELM"
                          << "/books/Poems.ini";
    QTest::newRow("book, lower case") << "/books/Poems.velm"
                                      << "/books/Poems.ini";
    QTest::newRow("pdf, upper case") << "/docs/Manual.PDF"
                                     << "/docs/Manual.ini";
    QTest::newRow("every .pdf is replaced") << "/x.pdf.old/a.pdf"
                                            << "/x.ini.old/a.ini";
    QTest::newRow("a book keeps .pdf") << "/books/a.pdf.VELM"
                                       << "/books/a.pdf.ini";
    QTest::newRow("Chinese name") << "/书/诗集.VELM"
                                  << "/书/诗集.ini";
    QTest::newRow("VELM without a dot would be the book itself") << "/books/PoemsVELM"
                                                                 << "";
    QTest::newRow(".VELM only in a folder name") << "/a.VELM/bookVELM"
                                                 << "";
    QTest::newRow("text file") << "/docs/notes.txt"
                               << "";
    QTest::newRow("pdf inside the name only") << "/docs/a.pdf.txt"
                                              << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("three characters") << "pdf"
                                      << "";
    QTest::newRow("VELM alone") << "VELM"
                                << "";
    QTest::newRow(".VELM alone") << ".VELM"
                                 << ".ini";
    QTest::newRow(".pdf alone") << ".pdf"
                                << ".ini";
}

void TestBookmarks::derivesTheBookmarkFilePath()
{
    QFETCH(QString, document);
    QFETCH(QString, bookmarkFile);
    QCOMPARE(BookmarkFilePath(document), bookmarkFile);
}

// Appended and rewritten; a book and the PDF of the same name share one file.
void TestBookmarks::writesGbkLinesWithCrLf()
{
    const QString pdf = path("诗集.pdf");
    const QString book = path("诗集.VELM");
    QVERIFY(AppendBookmarkLine(pdf, QStringLiteral("第一章［3］")));
    QVERIFY(AppendBookmarkLine(book, QStringLiteral("{1}第二章♂1001♀250&附录［12］")));
    QCOMPARE(TestFiles::read(path("诗集.ini")),
             QByteArray::fromHex("b5dad2bbd5c2a3db33a3dd0d0a"
                                 "7b317db5dab6fed5c2a1e131303031a1e2323530"
                                 "26b8bdc2bca3db3132a3dd0d0a"));
    QCOMPARE(TestFiles::entriesOf(m_dir->path()), QStringList{"诗集.ini"});
    QCOMPARE(namesOf(ReadBookmarkEntries(pdf)), (QStringList{"第一章", "{1}第二章♂1001♀250&附录"}));
    QCOMPARE(namesAndTextsOf(ReadBookmarkEntries(book, 1)), (QStringList{"附录", "附录［12］"}));
    QVERIFY(ReadBookmarkEntries(book, 0).isEmpty());

    // The organise dialog's text: lines separated by CR LF, the empty last line it leaves.
    QVERIFY(RewriteBookmarkFile(pdf, QStringLiteral("附录［12］\r\n")));
    QCOMPARE(TestFiles::read(path("诗集.ini")),
             QByteArray::fromHex("b8bdc2bca3db3132a3dd0d0a0d0a"));
    QCOMPARE(TestFiles::entriesOf(m_dir->path()), QStringList{"诗集.ini"});
    QVERIFY(RewriteBookmarkFile(path("new.pdf"), QStringLiteral("x［1］")));
    QCOMPARE(TestFiles::read(path("new.ini")), QByteArray("x\xa3\xdb"
                                                          "1\xa3\xdd\r\n"));
}

void TestBookmarks::splitsLinesAtEveryLineEnd_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const QStringList four{"{0}序言&甲［1］", "", "{0}序言&乙［22］", "{1}x&丙［3］"};
    for (const char *lineEnd : {"\r\n", "\n", "\r"})
        QTest::addRow("%s", QByteArray(lineEnd).toHex().constData())
            << Gbk::encode(four.join(lineEnd) + lineEnd) << four;
    QTest::newRow("mixed") << Gbk::encode("a［1］\r\n\nb［2］\rc")
                           << QStringList{"a［1］", "", "b［2］", "c"};
    QTest::newRow("no last line end")
        << Gbk::encode("a［1］\nb［2］") << QStringList{"a［1］", "b［2］"};
    QTest::newRow("empty") << QByteArray() << QStringList();
    QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
}

void TestBookmarks::splitsLinesAtEveryLineEnd()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(BookmarkLinesOf(bytes), lines);
    QVERIFY(TestFiles::write(path("b.ini"), bytes));
    QCOMPARE(ReadBookmarkFileLines(path("b.VELM")), lines);
}

void TestBookmarks::readsEntries_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("chapter"); // -1: a plain PDF
    QTest::addColumn<QStringList>("namesAndTexts");

    const QStringList chapterLine{"{2}序言&重点［5］"};
    QTest::newRow("chapter entry, its chapter")
        << chapterLine << 2 << QStringList{"重点", "重点［5］"};
    QTest::newRow("chapter entry, another chapter") << chapterLine << 0 << QStringList();
    QTest::newRow("chapter entry read as a PDF")
        << chapterLine << -1 << QStringList{"{2}序言&重点", chapterLine.first()};
    QTest::newRow("{03} is not chapter 3") << QStringList{"{03}x&a［1］"} << 3 << QStringList();
    QTest::newRow("{3} does not match chapter 30")
        << QStringList{"{3}x&a［1］", "{30}x&b［2］"} << 30 << QStringList{"b", "b［2］"};
    QTest::newRow("& in the chapter text moves the split")
        << QStringList{"{0}A&B&x［1］"} << 0 << QStringList{"B&x", "B&x［1］"};
    QTest::newRow("chapter entry without &")
        << QStringList{"{1}x［4］"} << 1 << QStringList{"{1}x", "{1}x［4］"};
    QTest::newRow("no } after the first character")
        << QStringList{"{1x&a［4］", "}1}x&b［5］"} << 1 << QStringList{"b", "b［5］"};
    QTest::newRow("[ in the name")
        << QStringList{"a［b［7］"} << -1 << QStringList{"a", "a［b［7］"};
    QTest::newRow("ASCII brackets are no page brackets")
        << QStringList{"a[7]", "b［8］"} << -1 << QStringList{"b", "b［8］"};
    QTest::newRow("blank lines and lines of blanks")
        << QStringList{"", "a［1］", "   ", "", "b［2］", "\t", ""} << -1
        << QStringList{"a", "b", "a［1］", "b［2］"};
    QTest::newRow("order and duplicates kept")
        << QStringList{"z［9］", "a［1］", "z［9］"} << -1
        << QStringList{"z", "a", "z", "z［9］", "a［1］", "z［9］"};
}

void TestBookmarks::readsEntries()
{
    QFETCH(QStringList, lines);
    QFETCH(int, chapter);
    QFETCH(QStringList, namesAndTexts);

    QVERIFY(TestFiles::write(path("doc.ini"), Gbk::encode(lines.join("\r\n") + "\r\n")));
    const QList<BookmarkEntry> entries = chapter < 0
                                             ? ReadBookmarkEntries(path("doc.pdf"))
                                             : ReadBookmarkEntries(path("doc.VELM"), chapter);
    QCOMPARE(namesAndTextsOf(entries), namesAndTexts);
}

void TestBookmarks::appendEndsAnUnfinishedLastLine_data()
{
    QTest::addColumn<QByteArray>("before");
    QTest::addColumn<QByteArray>("after");
    const QByteArray a("a\xa3\xdb"
                       "1\xa3\xdd");
    const QByteArray b("b\xa3\xdb"
                       "2\xa3\xdd\r\n");
    QTest::newRow("no file") << QByteArray() << b;
    QTest::newRow("no line end") << a << a + "\r\n" + b;
    QTest::newRow("CR LF") << a + "\r\n" << a + "\r\n" + b;
    QTest::newRow("LF") << a + "\n" << a + "\n" + b;
    QTest::newRow("CR") << a + "\r" << a + "\r" + b;
}

void TestBookmarks::appendEndsAnUnfinishedLastLine()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    if (!before.isEmpty())
        QVERIFY(TestFiles::write(path("a.ini"), before));
    QVERIFY(AppendBookmarkLine(path("a.pdf"), QStringLiteral("b［2］")));
    QCOMPARE(TestFiles::read(path("a.ini")), after);
}

void TestBookmarks::refusesFilesItCannotKeepBookmarksIn()
{
    // A path ending in "VELM" without ".VELM" would name the document itself as its bookmark file.
    const QString document = path("bookVELM");
    const QByteArray bookBytes = "%PDF-1.4 book bytes";
    QVERIFY(TestFiles::write(document, bookBytes));
    QVERIFY(ReadBookmarkFileLines(document).isEmpty());
    QVERIFY(!AppendBookmarkLine(path("notes.txt"), QStringLiteral("a［1］")));
    // Neither that nor a bookmark file below a regular file can be written.
    for (const QString &refused : {document, document + "/sub/a.pdf"}) {
        QVERIFY(!AppendBookmarkLine(refused, QStringLiteral("a［1］")));
        QVERIFY(!RewriteBookmarkFile(refused, QStringLiteral("a［1］")));
    }
    QCOMPARE(TestFiles::read(document), bookBytes);
    QCOMPARE(TestFiles::entriesOf(m_dir->path()), QStringList{"bookVELM"});
}

void TestBookmarks::writeFailingAfterNBytesKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<int>("newLength"); // of the rewritten text, "\r\n" included
    QTest::addColumn<int>("limit");     // bytes written before the failure; for an append, added
    QTest::newRow("rewrite, nothing written") << false << 200 << 0;
    QTest::newRow("rewrite, short text, fails when flushed") << false << 200 << 100;
    QTest::newRow("rewrite, long text, fails part way") << false << 200000 << 4096;
    QTest::newRow("rewrite fails on the line end") << false << 5000 << 4999;
    QTest::newRow("rewrite, room for it exactly") << false << 5000 << 5000;
    QTest::newRow("append, no room") << true << 0 << 0;
    QTest::newRow("append, one byte of room") << true << 0 << 1;
    QTest::newRow("append, part of the line") << true << 0 << 6;
}

// The device form reports a short write; the path form, cut short by a file-size limit, keeps
// the old file and leaves nothing else.
void TestBookmarks::writeFailingAfterNBytesKeepsTheOldFile()
{
    QFETCH(bool, append);
    QFETCH(int, newLength);
    QFETCH(int, limit);
    const QString document = path("a.pdf");
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("第一章［3］")));
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("附录［12］")));
    const QByteArray before = TestFiles::read(path("a.ini"));
    const QString text(newLength - 2, QLatin1Char('x'));
    const bool fits = !append && limit == newLength;

    if (!append) {
        TestFiles::FailDevice device(limit);
        QVERIFY(device.open(QIODevice::WriteOnly));
        QCOMPARE(RewriteBookmarkFile(device, text), fits);
        QCOMPARE(device.data, (text.toLatin1() + "\r\n").left(limit));
    }
    bool saved = false;
    {
        TestFiles::FileSizeLimit sizeLimit(append ? before.size() + limit : limit);
        saved = append ? AppendBookmarkLine(document, QStringLiteral("附录［12］"))
                       : RewriteBookmarkFile(document, text);
    }
    QCOMPARE(saved, fits);
    QCOMPARE(TestFiles::read(path("a.ini")), fits ? text.toLatin1() + "\r\n" : before);
    QCOMPARE(TestFiles::entriesOf(m_dir->path()), QStringList{"a.ini"});
}

void TestBookmarks::concurrentAppendsKeepEveryLine()
{
    const QString document = path("shared.VELM");
    QList<QProcess *> writers;
    for (const QString tag : {"甲", "乙"}) {
        auto *writer = new QProcess(this);
        writer->setProcessChannelMode(QProcess::ForwardedChannels);
        writer->start(QCoreApplication::applicationFilePath(),
                      {QString::fromLatin1(AppendManyArgument), document, tag});
        writers << writer;
    }
    for (QProcess *writer : writers) {
        QVERIFY(writer->waitForFinished(60000));
        QCOMPARE(writer->exitStatus(), QProcess::NormalExit);
        QCOMPARE(writer->exitCode(), 0);
    }

    const QByteArray bytes = TestFiles::read(path("shared.ini"));
    QCOMPARE(bytes.count("\r\n"), 2 * LinesPerWriter);
    QCOMPARE(bytes.count('\n'), 2 * LinesPerWriter);
    const QStringList lines = ReadBookmarkFileLines(document);
    QCOMPARE(lines.size(), 2 * LinesPerWriter);
    // Each writer's lines are whole and in its own order.
    for (const QString tag : {"甲", "乙"}) {
        QStringList expected;
        for (int i = 0; i < LinesPerWriter; ++i)
            expected << writerLine(tag, i);
        QCOMPARE(lines.filter(QStringLiteral("第") + tag), expected);
    }
}

void TestBookmarks::extractsThePageText_data()
{
    QTest::addColumn<QString>("entryText");
    QTest::addColumn<QString>("pageText");
    QTest::newRow("page only") << "［12］"
                               << "12";
    QTest::newRow("name and page") << "附录［12］"
                                   << "12";
    QTest::newRow("last character dropped, whatever it is") << "［123"
                                                            << "12";
    QTest::newRow("no bracket") << "附录 12"
                                << "";
    QTest::newRow("ASCII bracket") << "a[12]"
                                   << "";
    QTest::newRow("bracket last") << "a［"
                                  << "";
    QTest::newRow("empty page") << "a［］"
                                << "";
    QTest::newRow("bracket in the name") << "a［b［7］"
                                         << "b［7";
}

void TestBookmarks::extractsThePageText()
{
    QFETCH(QString, entryText);
    QFETCH(QString, pageText);
    QCOMPARE(BookmarkPageText(entryText), pageText);
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String(AppendManyArgument))
        return appendManyLines(arguments.at(2), arguments.at(3));
    TestBookmarks test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bookmarks.moc"
