#include "core/bookmarks/bookmarkfile.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>

using namespace Module1;

namespace {

const char AppendManyArgument[] = "--append-many-bookmarks";
const int LinesPerWriter = 1000;

QByteArray gbk(const QString &text)
{
    QStringEncoder encoder("GBK");
    return encoder.encode(text);
}

QStringList namesOf(const QList<BookmarkEntry> &entries)
{
    QStringList names;
    for (const BookmarkEntry &entry : entries)
        names << entry.name;
    return names;
}

QStringList entryTextsOf(const QList<BookmarkEntry> &entries)
{
    QStringList texts;
    for (const BookmarkEntry &entry : entries)
        texts << entry.entryText;
    return texts;
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
    void derivesTheBookmarkFilePath_data();
    void derivesTheBookmarkFilePath();
    void writesPlainEntriesInGbkWithCrLf();
    void readsEntries_data();
    void readsEntries();
    void sharesOneFileBetweenBookAndPdf();
    void readsEveryKindOfLineEnd();
    void appendEndsAnUnfinishedLastLine();
    void refusesFilesItCannotKeepBookmarksIn();
    void rewritesTheWholeFile();
    void failedWriteKeepsTheOldFile_data();
    void failedWriteKeepsTheOldFile();
    void concurrentAppendsKeepEveryLine();
    void extractsThePageText_data();
    void extractsThePageText();
};

void TestBookmarks::derivesTheBookmarkFilePath_data()
{
    QTest::addColumn<QString>("document");
    QTest::addColumn<QString>("bookmarkFile");
    QTest::newRow("book") << "/books/Poems.VELM" << "/books/Poems.ini";
    QTest::newRow("book, lower case") << "/books/Poems.velm" << "/books/Poems.ini";
    QTest::newRow("pdf, upper case") << "/docs/Manual.PDF" << "/docs/Manual.ini";
    QTest::newRow("every .pdf is replaced") << "/x.pdf.old/a.pdf" << "/x.ini.old/a.ini";
    QTest::newRow("a book keeps .pdf") << "/books/a.pdf.VELM" << "/books/a.pdf.ini";
    QTest::newRow("Chinese name") << "/书/诗集.VELM" << "/书/诗集.ini";
    QTest::newRow("VELM without a dot would be the book itself") << "/books/PoemsVELM" << "";
    QTest::newRow(".VELM only in a folder name") << "/a.VELM/bookVELM" << "";
    QTest::newRow("text file") << "/docs/notes.txt" << "";
    QTest::newRow("pdf inside the name only") << "/docs/a.pdf.txt" << "";
    QTest::newRow("empty") << "" << "";
    QTest::newRow("three characters") << "pdf" << "";
    QTest::newRow("VELM alone") << "VELM" << "";
    QTest::newRow(".VELM alone") << ".VELM" << ".ini";
    QTest::newRow(".pdf alone") << ".pdf" << ".ini";
}

void TestBookmarks::derivesTheBookmarkFilePath()
{
    QFETCH(QString, document);
    QFETCH(QString, bookmarkFile);
    QCOMPARE(BookmarkFilePath(document), bookmarkFile);
}

void TestBookmarks::writesPlainEntriesInGbkWithCrLf()
{
    QTemporaryDir dir;
    const QString document = dir.filePath("a.pdf");
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("第一章［3］")));
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("附录［12］")));

    const QByteArray expected = QByteArray::fromHex("b5dad2bbd5c2a3db33a3dd0d0a"
                                                    "b8bdc2bca3db3132a3dd0d0a");
    QCOMPARE(TestFiles::read(dir.filePath("a.ini")), expected);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.ini"});

    const QList<BookmarkEntry> entries = ReadBookmarkEntries(document);
    QCOMPARE(namesOf(entries), (QStringList{"第一章", "附录"}));
    QCOMPARE(entryTextsOf(entries), (QStringList{"第一章［3］", "附录［12］"}));
}

void TestBookmarks::readsEntries_data()
{
    QTest::addColumn<QStringList>("lines");
    QTest::addColumn<int>("chapter"); // -1: a plain PDF
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QStringList>("entryTexts");

    const QStringList chapterLine{"{2}序言&重点［5］"};
    QTest::newRow("chapter entry, its chapter") << chapterLine << 2 << QStringList{"重点"}
                                                << QStringList{"重点［5］"};
    QTest::newRow("chapter entry, another chapter") << chapterLine << 0 << QStringList()
                                                    << QStringList();
    QTest::newRow("chapter entry read as a PDF") << chapterLine << -1 << QStringList{"{2}序言&重点"}
                                                 << chapterLine;
    QTest::newRow("{03} is not chapter 3") << QStringList{"{03}x&a［1］"} << 3 << QStringList()
                                           << QStringList();
    QTest::newRow("{3} does not match chapter 30")
            << QStringList{"{3}x&a［1］", "{30}x&b［2］"} << 30 << QStringList{"b"}
            << QStringList{"b［2］"};
    QTest::newRow("& in the chapter text moves the split")
            << QStringList{"{0}A&B&x［1］"} << 0 << QStringList{"B&x"} << QStringList{"B&x［1］"};
    QTest::newRow("chapter entry without &") << QStringList{"{1}x［4］"} << 1
                                             << QStringList{"{1}x"} << QStringList{"{1}x［4］"};
    QTest::newRow("no } after the first character")
            << QStringList{"{1x&a［4］", "}1}x&b［5］"} << 1 << QStringList{"b"}
            << QStringList{"b［5］"};
    QTest::newRow("[ in the name") << QStringList{"a［b［7］"} << -1 << QStringList{"a"}
                                   << QStringList{"a［b［7］"};
    QTest::newRow("ASCII brackets are no page brackets")
            << QStringList{"a[7]", "b［8］"} << -1 << QStringList{"b"} << QStringList{"b［8］"};
    QTest::newRow("blank lines and lines of blanks")
            << QStringList{"", "a［1］", "   ", "", "b［2］", "\t", ""} << -1
            << QStringList{"a", "b"} << QStringList{"a［1］", "b［2］"};
    QTest::newRow("order and duplicates kept")
            << QStringList{"z［9］", "a［1］", "z［9］"} << -1 << QStringList{"z", "a", "z"}
            << QStringList{"z［9］", "a［1］", "z［9］"};
}

void TestBookmarks::readsEntries()
{
    QFETCH(QStringList, lines);
    QFETCH(int, chapter);
    QFETCH(QStringList, names);
    QFETCH(QStringList, entryTexts);

    QTemporaryDir dir;
    const QString bookmarkFile = dir.filePath("doc.ini");
    QVERIFY(TestFiles::write(bookmarkFile, gbk(lines.join("\r\n") + "\r\n")));
    const QString document = dir.filePath(chapter < 0 ? "doc.pdf" : "doc.VELM");
    const std::optional<int> chapterIndex = chapter < 0 ? std::nullopt : std::optional<int>(chapter);

    const QList<BookmarkEntry> entries = ReadBookmarkEntries(document, chapterIndex);
    QCOMPARE(namesOf(entries), names);
    QCOMPARE(entryTextsOf(entries), entryTexts);
}

void TestBookmarks::sharesOneFileBetweenBookAndPdf()
{
    QTemporaryDir dir;
    const QString pdf = dir.filePath("诗集.pdf");
    const QString book = dir.filePath("诗集.VELM");
    QVERIFY(AppendBookmarkLine(pdf, QStringLiteral("笔记［4］")));
    QVERIFY(AppendBookmarkLine(book, QStringLiteral("{1}第二章♂1001♀250&重点［9］")));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"诗集.ini"});

    QCOMPARE(namesOf(ReadBookmarkEntries(pdf)),
             (QStringList{"笔记", "{1}第二章♂1001♀250&重点"}));
    QCOMPARE(namesOf(ReadBookmarkEntries(book, 1)), QStringList{"重点"});
    QVERIFY(ReadBookmarkEntries(book, 0).isEmpty());
}

void TestBookmarks::readsEveryKindOfLineEnd()
{
    const QStringList lines{"{0}序言&甲［1］", "", "{0}序言&乙［22］", "{1}x&丙［3］"};
    QTemporaryDir dir;
    const QString document = dir.filePath("b.VELM");
    const QStringList expectedLines = lines;
    for (const char *lineEnd : {"\r\n", "\n", "\r"}) {
        QVERIFY(TestFiles::write(dir.filePath("b.ini"), gbk(lines.join(lineEnd) + lineEnd)));
        QCOMPARE(ReadBookmarkFileLines(document), expectedLines);
        QCOMPARE(namesOf(ReadBookmarkEntries(document, 0)), (QStringList{"甲", "乙"}));
    }
    // A last line without its line end is still a line.
    QVERIFY(TestFiles::write(dir.filePath("b.ini"), gbk("a［1］\nb［2］")));
    QCOMPARE(ReadBookmarkFileLines(document), (QStringList{"a［1］", "b［2］"}));
}

void TestBookmarks::appendEndsAnUnfinishedLastLine()
{
    QTemporaryDir dir;
    const QString document = dir.filePath("a.pdf");
    const QString bookmarkFile = dir.filePath("a.ini");
    struct Case
    {
        QByteArray before;
        QByteArray after;
    };
    const QList<Case> cases{
            {"", "b\xa3\xdb" "2\xa3\xdd\r\n"},
            {"a\xa3\xdb" "1\xa3\xdd", "a\xa3\xdb" "1\xa3\xdd\r\nb\xa3\xdb" "2\xa3\xdd\r\n"},
            {"a\xa3\xdb" "1\xa3\xdd\r\n", "a\xa3\xdb" "1\xa3\xdd\r\nb\xa3\xdb" "2\xa3\xdd\r\n"},
            {"a\xa3\xdb" "1\xa3\xdd\n", "a\xa3\xdb" "1\xa3\xdd\nb\xa3\xdb" "2\xa3\xdd\r\n"},
            {"a\xa3\xdb" "1\xa3\xdd\r", "a\xa3\xdb" "1\xa3\xdd\rb\xa3\xdb" "2\xa3\xdd\r\n"},
    };
    for (const Case &c : cases) {
        QFile::remove(bookmarkFile);
        if (!c.before.isEmpty())
            QVERIFY(TestFiles::write(bookmarkFile, c.before));
        QVERIFY(AppendBookmarkLine(document, QStringLiteral("b［2］")));
        QCOMPARE(TestFiles::read(bookmarkFile), c.after);
        QCOMPARE(namesOf(ReadBookmarkEntries(document)).last(), QStringLiteral("b"));
    }
}

void TestBookmarks::refusesFilesItCannotKeepBookmarksIn()
{
    QTemporaryDir dir;
    // A path ending in "VELM" without ".VELM" would name the document itself as its bookmark file.
    const QString document = dir.filePath("bookVELM");
    const QByteArray bookBytes = "%PDF-1.4 book bytes";
    QVERIFY(TestFiles::write(document, bookBytes));
    QVERIFY(!AppendBookmarkLine(document, QStringLiteral("a［1］")));
    QVERIFY(!RewriteBookmarkFile(document, QStringLiteral("a［1］")));
    QVERIFY(ReadBookmarkFileLines(document).isEmpty());
    QCOMPARE(TestFiles::read(document), bookBytes);
    QVERIFY(!AppendBookmarkLine(dir.filePath("notes.txt"), QStringLiteral("a［1］")));

    // A bookmark file below a regular file cannot be written.
    const QString below = document + "/sub/a.pdf";
    QVERIFY(!AppendBookmarkLine(below, QStringLiteral("a［1］")));
    QVERIFY(!RewriteBookmarkFile(below, QStringLiteral("a［1］")));
    QCOMPARE(TestFiles::read(document), bookBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"bookVELM"});
}

void TestBookmarks::rewritesTheWholeFile()
{
    QTemporaryDir dir;
    const QString document = dir.filePath("a.pdf");
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("旧［1］")));
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("old［2］")));

    // The organise dialog's text: lines separated by CR LF, the empty last line it leaves.
    QVERIFY(RewriteBookmarkFile(document, QStringLiteral("附录［12］\r\n")));
    QCOMPARE(TestFiles::read(dir.filePath("a.ini")), QByteArray::fromHex("b8bdc2bca3db3132a3dd0d0a0d0a"));
    QCOMPARE(namesOf(ReadBookmarkEntries(document)), QStringList{"附录"});
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.ini"});

    QVERIFY(RewriteBookmarkFile(dir.filePath("new.pdf"), QStringLiteral("x［1］")));
    QCOMPARE(TestFiles::read(dir.filePath("new.ini")), QByteArray("x\xa3\xdb" "1\xa3\xdd\r\n"));
}

void TestBookmarks::failedWriteKeepsTheOldFile_data()
{
    QTest::addColumn<bool>("append");
    QTest::addColumn<int>("newLength"); // of the rewritten text
    QTest::addColumn<int>("limit");     // for an append: bytes the file may grow by
    QTest::newRow("rewrite, short text, fails when flushed") << false << 200 << 100;
    QTest::newRow("rewrite, long text, fails part way") << false << 200000 << 4096;
    QTest::newRow("rewrite fails on the last byte") << false << 5000 << 4999;
    QTest::newRow("append, no room") << true << 0 << 0;
    QTest::newRow("append, one byte of room") << true << 0 << 1;
    QTest::newRow("append, part of the line") << true << 0 << 6;
}

void TestBookmarks::failedWriteKeepsTheOldFile()
{
    QFETCH(bool, append);
    QFETCH(int, newLength);
    QFETCH(int, limit);
    QTemporaryDir dir;
    const QString document = dir.filePath("a.pdf");
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("第一章［3］")));
    QVERIFY(AppendBookmarkLine(document, QStringLiteral("附录［12］")));
    const QByteArray before = TestFiles::read(dir.filePath("a.ini"));

    bool saved = true;
    {
        TestFiles::FileSizeLimit sizeLimit(append ? before.size() + limit : limit);
        // The rewritten text gets "\r\n" after its last character: newLength bytes in all.
        saved = append ? AppendBookmarkLine(document, QStringLiteral("附录［12］"))
                       : RewriteBookmarkFile(document, QString(newLength - 2, QLatin1Char('x')));
    }
    QVERIFY(!saved);
    QCOMPARE(TestFiles::read(dir.filePath("a.ini")), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{"a.ini"});
}

void TestBookmarks::concurrentAppendsKeepEveryLine()
{
    QTemporaryDir dir;
    const QString document = dir.filePath("shared.VELM");
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

    const QByteArray bytes = TestFiles::read(dir.filePath("shared.ini"));
    QCOMPARE(bytes.count("\r\n"), 2 * LinesPerWriter);
    QCOMPARE(bytes.count('\n'), 2 * LinesPerWriter);
    const QStringList lines = ReadBookmarkFileLines(document);
    QCOMPARE(lines.size(), 2 * LinesPerWriter);
    // Each writer's lines are whole and in its own order.
    for (const QString tag : {"甲", "乙"}) {
        QStringList own;
        for (const QString &line : lines) {
            if (line.startsWith(QStringLiteral("第") + tag))
                own << line;
        }
        QCOMPARE(own.size(), LinesPerWriter);
        for (int i = 0; i < LinesPerWriter; ++i)
            QCOMPARE(own.at(i), writerLine(tag, i));
    }
}

void TestBookmarks::extractsThePageText_data()
{
    QTest::addColumn<QString>("entryText");
    QTest::addColumn<QString>("pageText");
    QTest::newRow("page only") << "［12］" << "12";
    QTest::newRow("name and page") << "附录［12］" << "12";
    QTest::newRow("last character dropped, whatever it is") << "［123" << "12";
    QTest::newRow("no bracket") << "附录 12" << "";
    QTest::newRow("ASCII bracket") << "a[12]" << "";
    QTest::newRow("bracket last") << "a［" << "";
    QTest::newRow("empty page") << "a［］" << "";
    QTest::newRow("bracket in the name") << "a［b［7］" << "b［7";
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
