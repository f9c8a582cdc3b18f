// The command line's own part: its options, output, messages and exit codes, the folders it
// expands, the names it gives extracted chapters and the problems check reports. The book rules
// underneath are tested in tst_book.
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

using TestFiles::bookOf;

namespace
{

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

QByteArray littleEndian(qint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray indexLine(const QByteArray &gbkName, qint64 start, qint64 length)
{
    return gbkName + "\xa1\xe1" + QByteArray::number(start) + "\xa1\xe2" +
           QByteArray::number(length) + "\r\n";
}

// Everything below `root`: relative path to content ("<folder>" for a folder).
QMap<QString, QByteArray> snapshot(const QString &root)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(QDir(root).relativeFilePath(path),
                       it.fileInfo().isDir() ? QByteArray("<folder>") : TestFiles::read(path));
    }
    return entries;
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void makeWritesTheBookOfAFolder();
    void makeFailsClearly_data();
    void makeFailsClearly();
    void listsChaptersPrintably();
    void extractsChapters();
    void extractRefusesAndChangesNothing();
    void extractMakesHostileNamesSafe_data();
    void extractMakesHostileNamesSafe();
    void checkListsTheProblems_data();
    void checkListsTheProblems();
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();

private:
    Run run(const QStringList &arguments, const QString &workingFolder = QString(),
            qint64 fileSizeLimit = 0, const QString &tool = QString());
    QString path(const QString &relative) const { return QDir(m_root->path()).filePath(relative); }
    QByteArray makeSource(const QString &relative, qint64 size, int seed);
    QString makeBook(const QString &name, const QStringList &sources);

    QString m_tool;
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<QTemporaryDir> m_scratch;
};

void TestCli::initTestCase()
{
    m_tool = qEnvironmentVariable("QUILLMOOR_BOOK_TOOL");
    QVERIFY2(QFileInfo(m_tool).isExecutable(), "QUILLMOOR_BOOK_TOOL names no program");
}

void TestCli::init()
{
    m_root = std::make_unique<QTemporaryDir>();
    m_scratch = std::make_unique<QTemporaryDir>();
    QVERIFY(m_root->isValid() && m_scratch->isValid());
    QVERIFY(QDir().mkpath(path("out")));
}

// The tool's temporary folders lie in m_scratch: whatever it did, it leaves nothing there.
void TestCli::cleanup()
{
    QCOMPARE(TestFiles::entriesOf(m_scratch->path()), QStringList());
    m_root.reset();
    m_scratch.reset();
}

// Runs the tool; with a file-size limit, as on a full disk.
Run TestCli::run(const QStringList &arguments, const QString &workingFolder, qint64 fileSizeLimit,
                 const QString &tool)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", m_scratch->path());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder.isEmpty() ? m_root->path() : workingFolder);
    std::unique_ptr<TestFiles::FileSizeLimit> limit;
    if (fileSizeLimit > 0)
        limit = std::make_unique<TestFiles::FileSizeLimit>(fileSizeLimit);
    process.start(tool.isEmpty() ? m_tool : tool, arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

QByteArray TestCli::makeSource(const QString &relative, qint64 size, int seed)
{
    QDir().mkpath(QFileInfo(path(relative)).path());
    const QByteArray bytes = TestFiles::pdfLike(size, seed);
    return TestFiles::write(path(relative), bytes) ? bytes : QByteArray();
}

// Makes out/NAME.VELM from the given sources; empty when that failed.
QString TestCli::makeBook(const QString &name, const QStringList &sources)
{
    QStringList arguments{"make", "-n", name, "-o", path("out")};
    for (const QString &source : sources)
        arguments << path(source);
    return run(arguments).exitCode == 0 ? path("out/" + name + ".VELM") : QString();
}

// A folder gives its PDF files in the folder order; no progress bar when stderr is no terminal.
void TestCli::makeWritesTheBookOfAFolder()
{
    const QByteArray two = makeSource("in/2.pdf", 10, 1);
    const QByteArray ten = makeSource("in/10.pdf", 20, 2);
    makeSource("in/notes.txt", 5, 4);
    makeSource("in/sub/inner.pdf", 5, 6);
    const QByteArray extra = makeSource("extra.Pdf", 40, 7);
    const QByteArray expected =
        bookOf(ten + two + extra, indexLine("10", 1, 20) + indexLine("2", 21, 10) +
                                      indexLine("extra", 31, 40) + "\r\n");

    Run made = run({"make", "-n", "B", "-o", path("out"), path("in"), path("extra.Pdf")});
    QCOMPARE(made.exitCode, 0);
    QCOMPARE(made.out, (path("out/B.VELM") + '\n').toUtf8());
    QCOMPARE(made.err, QByteArray());
    QCOMPARE(TestFiles::read(path("out/B.VELM")), expected);

    // Long options, a relative folder and sources.
    made = run({"make", "--out", "out", "--name", "C", "in", "extra.Pdf"});
    QCOMPARE(made.exitCode, 0);
    QCOMPARE(made.out, QByteArray("out/C.VELM\n"));
    QCOMPARE(TestFiles::read(path("out/C.VELM")), expected);
}

void TestCli::makeFailsClearly_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("message"); // "ROOT/" stands for the test folder
    QTest::addColumn<bool>("copiedTool");

    QTest::newRow("missing source") << "in/missing.pdf"
                                    << "quillmoor-book make: ROOT/in/missing.pdf: does not exist\n"
                                    << false;
    QTest::newRow("source is no PDF") << "in/notes.txt"
                                      << "quillmoor-book make: ROOT/in/notes.txt: not a PDF file\n"
                                      << false;
    QTest::newRow("folder without PDF files") << "in/nothing"
                                              << "quillmoor-book make: the source list is empty\n"
                                              << false;
    QTest::newRow("leftover that cannot be deleted")
        << "in/good.pdf"
        << "quillmoor-book make: ROOT/program/Book.exe: cannot be deleted\n"
        << true;
}

// An earlier book of the same name stays as it was, and nothing else appears.
void TestCli::makeFailsClearly()
{
    QFETCH(QString, source);
    QFETCH(QString, message);
    QFETCH(bool, copiedTool);

    makeSource("in/good.pdf", 1000, 2);
    makeSource("in/notes.txt", 100, 3);
    QVERIFY(QDir().mkpath(path("in/nothing")));
    QVERIFY(!makeBook("Book", {"in/good.pdf"}).isEmpty());
    // The leftover check looks beside the running program: a copy of the tool, in a folder of
    // its own with the probe file and a leftover it cannot delete.
    const QString tool = path("program/quillmoor-book");
    QVERIFY(QDir().mkpath(path("program/Book.exe/inside")));
    QVERIFY(QFile::copy(m_tool, tool));
    QVERIFY(TestFiles::write(
        path("program/Book") + Module1::DecodeNumberText(NumberTexts::probeSuffix()), ""));
    const QMap<QString, QByteArray> before = snapshot(m_root->path());

    const Run failed = run({"make", "-n", "Book", "-o", path("out"), path(source)}, QString(), 0,
                           copiedTool ? tool : m_tool);
    QCOMPARE(failed.exitCode, 1);
    QCOMPARE(failed.out, QByteArray());
    QCOMPARE(QString::fromUtf8(failed.err), QString(message).replace("ROOT", m_root->path()));
    QVERIFY(snapshot(m_root->path()) == before);
}

// Names from a hand-made book can hold a tab or an escape sequence; a damaged line has no
// numbers to show; a file that is no book gets a clear error naming it.
void TestCli::listsChaptersPrintably()
{
    QVERIFY(TestFiles::write(
        path("hostile.VELM"),
        bookOf(TestFiles::pdfLike(50, 4), indexLine("a\tb\x1b[31m", 1, 50) + "x\r\n\r\n")));
    const Run hostile = run({"list", path("hostile.VELM")});
    QCOMPARE(hostile.exitCode, 0);
    QCOMPARE(hostile.out, QByteArray("1\t1\t50\ta?b?[31m\n2\t?\t?\tx\n"));

    makeSource("plain.pdf", 100, 3);
    const Run failed = run({"list", path("plain.pdf")});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY(failed.err.startsWith("quillmoor-book list: " + path("plain.pdf").toUtf8() + ": "));
    QCOMPARE(failed.out, QByteArray());
}

// Under the chapter's own name in the working folder, never over an existing file; --out
// replaces one.
void TestCli::extractsChapters()
{
    const QByteArray first = makeSource("in/第一章.pdf", 300, 1);
    const QByteArray appendix = makeSource("in/附录.pdf", 20, 2);
    const QString book = makeBook("书", {"in/第一章.pdf", "in/附录.pdf"});
    QVERIFY(!book.isEmpty());
    QCOMPARE(run({"list", book}).out,
             QStringLiteral("1\t1\t300\t第一章\n2\t301\t20\t附录\n").toUtf8());

    const QString work = path("work");
    QVERIFY(QDir().mkpath(work));
    const QString appendixCopy = QDir(work).filePath("附录.pdf");
    Run extracted = run({"extract", book, "2"}, work);
    QCOMPARE(extracted.exitCode, 0);
    QCOMPARE(extracted.out, (appendixCopy + '\n').toUtf8());
    QCOMPARE(TestFiles::read(appendixCopy), appendix);

    QVERIFY(TestFiles::write(appendixCopy, "mine"));
    extracted = run({"extract", book, "2"}, work);
    QCOMPARE(extracted.exitCode, 1);
    QCOMPARE(extracted.err, ("quillmoor-book extract: " + appendixCopy +
                             ": exists already (use --out to replace it)\n")
                                .toUtf8());
    QCOMPARE(TestFiles::read(appendixCopy), QByteArray("mine"));
    QCOMPARE(run({"extract", book, "2", "--out", appendixCopy}, work).exitCode, 0);
    QCOMPARE(TestFiles::read(appendixCopy), appendix);

    QCOMPARE(run({"extract", "-o", "first.pdf", book, "1"}, work).exitCode, 0);
    QCOMPARE(TestFiles::read(QDir(work).filePath("first.pdf")), first);
    QCOMPARE(TestFiles::entriesOf(work), (QStringList{"first.pdf", "附录.pdf"}));
}

void TestCli::extractRefusesAndChangesNothing()
{
    makeSource("in/a.pdf", 300, 1);
    makeSource("in/b.pdf", 20, 2);
    const QString book = makeBook("Book", {"in/a.pdf", "in/b.pdf"});
    QVERIFY(!book.isEmpty());
    QVERIFY(TestFiles::write(path("file"), "content"));
    // A chapter whose index line is damaged cannot be extracted.
    QVERIFY(TestFiles::write(path("damaged.VELM"), bookOf(TestFiles::pdfLike(10, 3), "a\xa1\xe1"
                                                                                     "1\r\n\r\n")));
    QVERIFY(TestFiles::write(path("existing.pdf"), "old"));
    const QMap<QString, QByteArray> before = snapshot(m_root->path());

    const QList<std::pair<QStringList, qint64>> failures{
        {{"extract", book, "0"}, 0},
        {{"extract", book, "3"}, 0},
        {{"extract", book, "x"}, 0},
        {{"extract", book, "1", "--out", path("file/sub/a.pdf")}, 0},
        {{"extract", book, "1", "--out", path("missing/a.pdf")}, 0},
        {{"extract", path("missing.VELM"), "1"}, 0},
        {{"extract", path("damaged.VELM"), "1"}, 0},
        {{"extract", path("damaged.VELM"), "1", "--out", path("existing.pdf")}, 0},
        // The disk fills up: the 300-byte chapter does not fit.
        {{"extract", book, "1"}, 100},
        {{"extract", book, "1", "--out", path("existing.pdf")}, 100},
    };
    for (const auto &[arguments, fileSizeLimit] : failures) {
        const Run refused = run(arguments, QString(), fileSizeLimit);
        QVERIFY2(refused.exitCode == 1, qPrintable(arguments.join(' ')));
        QVERIFY2(refused.err.startsWith("quillmoor-book extract: "),
                 qPrintable(arguments.join(' ')));
        QVERIFY2(snapshot(m_root->path()) == before, qPrintable(arguments.join(' ')));
    }
    QCOMPARE(run({"extract", book, "3"}).err,
             ("quillmoor-book extract: " + book + ": no chapter 3 (the book has 2)\n").toUtf8());
}

void TestCli::extractMakesHostileNamesSafe_data()
{
    QTest::addColumn<QByteArray>("gbkName");
    QTest::addColumn<QString>("fileName");
    QTest::newRow("parent folder") << QByteArray("../evil") << ".._evil.pdf";
    QTest::newRow("absolute") << QByteArray("/tmp/evil") << "_tmp_evil.pdf";
    QTest::newRow("backslash") << QByteArray("..\\evil") << ".._evil.pdf";
    QTest::newRow("slash") << QByteArray("a/b") << "a_b.pdf";
    QTest::newRow("..") << QByteArray("..") << "chapter-1.pdf";
    QTest::newRow(".") << QByteArray(".") << "chapter-1.pdf";
    QTest::newRow("empty") << QByteArray() << "chapter-1.pdf";
    QTest::newRow("control characters") << QByteArray("x\x01y\x7fz\tw\x1b[0m") << "x_y_z_w_[0m.pdf";
    QTest::newRow("Chinese") << QByteArray("\xb5\xda\xb6\xfe\xd5\xc2/x") << "第二章_x.pdf";
}

void TestCli::extractMakesHostileNamesSafe()
{
    QFETCH(QByteArray, gbkName);
    QFETCH(QString, fileName);
    const QByteArray chapter = TestFiles::pdfLike(50, 1);
    QVERIFY(TestFiles::write(path("hostile.VELM"),
                             bookOf(chapter, indexLine(gbkName, 1, 50) + "\r\n")));
    QVERIFY(QDir().mkpath(path("work/deeper")));
    QMap<QString, QByteArray> expected = snapshot(m_root->path());

    const Run extracted = run({"extract", path("hostile.VELM"), "1"}, path("work/deeper"));
    QCOMPARE(extracted.exitCode, 0);
    QCOMPARE(extracted.out, (path("work/deeper/" + fileName) + '\n').toUtf8());
    expected.insert("work/deeper/" + fileName, chapter);
    QVERIFY(snapshot(m_root->path()) == expected);
}

void TestCli::checkListsTheProblems_data()
{
    QTest::addColumn<QByteArray>("book");
    QTest::addColumn<QStringList>("problems"); // a part of each expected problem line

    const QByteArray a = TestFiles::pdfLike(100, 1);
    const QByteArray b = TestFiles::pdfLike(50, 2);
    const QByteArray goodIndex = indexLine("a", 1, 100) + indexLine("b", 101, 50) + "\r\n";
    const char *ends100 = "the chapters end at 100 but the index begins at 150";

    QByteArray notPdf = a + b;
    notPdf[100] = 'X';
    QTest::newRow("sound book, a chapter twice")
        << bookOf(a + b + a, goodIndex.chopped(2) + indexLine("a", 151, 100) + "\r\n")
        << QStringList();
    QTest::newRow("chapter not beginning with %PDF-")
        << bookOf(notPdf, goodIndex) << QStringList{"chapter 2: does not begin with %PDF-"};
    QTest::newRow("gap between chapters")
        << bookOf(a + "1234567" + b, indexLine("a", 1, 100) + indexLine("b", 108, 50) + "\r\n")
        << QStringList{"chapter 2: starts at 108, expected 101"};
    QTest::newRow("chapters overlap")
        << bookOf(a + b, indexLine("a", 1, 100) + indexLine("b", 51, 50) + "\r\n")
        << QStringList{"chapter 2: starts at 51, expected 101",
                       "chapter 2: does not begin with %PDF-", ends100};
    QTest::newRow("chapters end before the index")
        << bookOf(a + b + "tail", goodIndex)
        << QStringList{"the chapters end at 150 but the index begins at 154"};
    QTest::newRow("chapter runs into the index")
        << bookOf(a + b, indexLine("a", 1, 100) + indexLine("b", 101, 60) + "\r\n")
        << QStringList{"chapter 2: runs past the start of the index",
                       "the chapters end at 160 but the index begins at 150"};
    QTest::newRow("damaged line") << bookOf(a + b, indexLine("a", 1, 100) + "b\xa1\xe1"
                                                                            "101\r\n\r\n")
                                  << QStringList{"chapter 2: damaged index line", ends100};
    QTest::newRow("damaged line with control characters")
        << bookOf(a + b, indexLine("a", 1, 100) + "b\x1b[2J\tc\r\n\r\n")
        << QStringList{"chapter 2: damaged index line \"b?[2J?c\"", ends100};
    QTest::newRow("every problem at once")
        << bookOf(notPdf + "x", indexLine("a", 1, 100) + "b\r\n" + indexLine("c", 101, 50) + "\r\n")
        << QStringList{"chapter 2: damaged index line", "chapter 3: does not begin with %PDF-",
                       "the chapters end at 150 but the index begins at 151"};
    QTest::newRow("index names no chapter") << bookOf(a, "\r\n\r\n") << QStringList{"no chapter"};
    // The reader's own reasons, here only passed on.
    QTest::newRow("trailer beyond the file")
        << a + goodIndex + littleEndian(2147483647) << QStringList{"index length of 2147483647"};
    QTest::newRow("empty file") << QByteArray() << QStringList{"trailer"};
}

// A sound book gives "OK" and exit 0; each problem is one printable line naming the book.
void TestCli::checkListsTheProblems()
{
    QFETCH(QByteArray, book);
    QFETCH(QStringList, problems);
    const QString bookPath = path("damaged.VELM");
    QVERIFY(TestFiles::write(bookPath, book));

    const Run checked = run({"check", bookPath});
    QCOMPARE(checked.exitCode, problems.isEmpty() ? 0 : 1);
    QCOMPARE(checked.err, QByteArray());
    if (problems.isEmpty())
        QCOMPARE(checked.out, QByteArray("OK\n"));
    const QStringList lines = QString::fromUtf8(checked.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), qMax(problems.size(), 1));
    for (const QChar c : QString::fromUtf8(checked.out))
        QVERIFY(c == '\n' || c.category() != QChar::Other_Control);
    for (int i = 0; i < problems.size(); ++i) {
        QVERIFY2(lines.at(i).startsWith(bookPath + ": "), qPrintable(lines.at(i)));
        QVERIFY2(lines.at(i).contains(problems.at(i)), qPrintable(lines.at(i)));
    }
    QCOMPARE(TestFiles::read(bookPath), book);
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message"); // the first line of stderr
    QTest::newRow("no command") << QStringList() << "Usage:";
    QTest::newRow("unknown command")
        << QStringList{"frobnicate"} << "quillmoor-book: unknown command 'frobnicate'";
    const QString required = "quillmoor-book make: --name and --out are required";
    QTest::newRow("make without --name")
        << QStringList{"make", "-o", "out", "in/a.pdf"} << required;
    QTest::newRow("make without --out") << QStringList{"make", "-n", "A", "in/a.pdf"} << required;
    QTest::newRow("make with a blank name")
        << QStringList{"make", "-n", "  ", "-o", "out", "in/a.pdf"}
        << "quillmoor-book make: the book name and the folder must not be blank";
    const QString wrongNumber = "quillmoor-book %1: wrong number of arguments (see --help)";
    QTest::newRow("make without sources")
        << QStringList{"make", "-n", "A", "-o", "out"} << wrongNumber.arg("make");
    QTest::newRow("make with an unknown option")
        << QStringList{"make", "--bogus", "-n", "A", "-o", "out", "in/a.pdf"}
        << "quillmoor-book make: Unknown option 'bogus'.";
    QTest::newRow("list without book") << QStringList{"list"} << wrongNumber.arg("list");
    QTest::newRow("list with two books")
        << QStringList{"list", "a.VELM", "b.VELM"} << wrongNumber.arg("list");
    QTest::newRow("extract without number")
        << QStringList{"extract", "out/A.VELM"} << wrongNumber.arg("extract");
    QTest::newRow("extract with two numbers")
        << QStringList{"extract", "out/A.VELM", "1", "2"} << wrongNumber.arg("extract");
    QTest::newRow("check without book") << QStringList{"check"} << wrongNumber.arg("check");
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    makeSource("in/a.pdf", 100, 1);
    const QMap<QString, QByteArray> before = snapshot(m_root->path());
    const Run refused = run(arguments);
    QCOMPARE(refused.exitCode, 2);
    QCOMPARE(QString::fromUtf8(refused.err).section('\n', 0, 0), message);
    QCOMPARE(refused.out, QByteArray());
    QVERIFY(snapshot(m_root->path()) == before);
}

void TestCli::helpAndVersion()
{
    for (const char *option : {"--help", "-h"}) {
        const Run help = run({option});
        QCOMPARE(help.exitCode, 0);
        for (const char *command : {"make", "list", "extract", "check"})
            QVERIFY(help.out.contains(command));
    }
    const Run version = run({"--version"});
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.out, QByteArray("quillmoor-book 2.2.0\n"));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
