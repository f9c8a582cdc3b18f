#include "testfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <memory>

namespace {

// "♂" and "♀" in GBK.
const QByteArray StartMark("\xa1\xe1");
const QByteArray LengthMark("\xa1\xe2");

struct Run
{
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
    return gbkName + StartMark + QByteArray::number(start) + LengthMark + QByteArray::number(length)
           + "\r\n";
}

// A book as the bytes of its chapter area and its index, with the index length after them.
QByteArray bookOf(const QByteArray &chapterArea, const QByteArray &index)
{
    return chapterArea + index + littleEndian(qint32(index.size()));
}

// Everything below `root`: relative path to content ("<folder>" for a folder).
using Snapshot = QMap<QString, QByteArray>;

Snapshot snapshot(const QString &root)
{
    Snapshot entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo info = it.fileInfo();
        const QString relative = QDir(root).relativeFilePath(path);
        if (info.isSymLink())
            entries.insert(relative, "<link to " + info.symLinkTarget().toUtf8() + ">");
        else
            entries.insert(relative, info.isDir() ? QByteArray("<folder>") : TestFiles::read(path));
    }
    return entries;
}

// Empty when both are the same, or the first difference.
QString differences(const Snapshot &before, const Snapshot &after)
{
    for (auto it = before.cbegin(); it != before.cend(); ++it) {
        if (!after.contains(it.key()))
            return QStringLiteral("%1 is gone").arg(it.key());
        if (after.value(it.key()) != it.value())
            return QStringLiteral("%1 has changed").arg(it.key());
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it) {
        if (!before.contains(it.key()))
            return QStringLiteral("%1 is new").arg(it.key());
    }
    return QString();
}

} // namespace

class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void makeWritesTheWorkedExample();
    void makeTakesFoldersInFolderOrder();
    void listsAndExtractsChapters();
    void listShowsHostileBooksSafely();
    void extractRefusesBadNumbersAndPlaces();
    void extractMakesHostileNamesSafe_data();
    void extractMakesHostileNamesSafe();
    void checkAcceptsASoundBook();
    void checkListsTheProblems_data();
    void checkListsTheProblems();
    void makeFailureChangesNothing_data();
    void makeFailureChangesNothing();
    void usageErrors_data();
    void usageErrors();
    void helpAndVersion();

private:
    Run run(const QStringList &arguments, const QString &workingFolder = QString());
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
}

// The tool's temporary folders lie in m_scratch: whatever it did, it leaves nothing there.
void TestCli::cleanup()
{
    const Snapshot left = snapshot(m_scratch->path());
    QVERIFY2(left.isEmpty(), qPrintable(QStringList(left.keys()).join(", ")));
    m_root.reset();
    m_scratch.reset();
}

Run TestCli::run(const QStringList &arguments, const QString &workingFolder)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("TMPDIR", m_scratch->path());
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(workingFolder.isEmpty() ? m_root->path() : workingFolder);
    process.start(m_tool, arguments);
    Run result;
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit) {
        qWarning("quillmoor-book %s did not end normally", qPrintable(arguments.join(' ')));
        return result;
    }
    result.exitCode = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QByteArray TestCli::makeSource(const QString &relative, qint64 size, int seed)
{
    const QString file = path(relative);
    QDir().mkpath(QFileInfo(file).path());
    const QByteArray bytes = TestFiles::pdfLike(size, seed);
    return TestFiles::write(file, bytes) ? bytes : QByteArray();
}

// Makes out/NAME.VELM from the given sources; empty when that failed.
QString TestCli::makeBook(const QString &name, const QStringList &sources)
{
    QDir().mkpath(path("out"));
    QStringList arguments{"make", "-n", name, "-o", path("out")};
    for (const QString &source : sources)
        arguments << path(source);
    const Run made = run(arguments);
    return made.exitCode == 0 ? path("out/" + name + ".VELM") : QString();
}

// The book bytes themselves are the engine's; here what the command adds: its output, options.
void TestCli::makeWritesTheWorkedExample()
{
    const QByteArray a = makeSource("in/A.pdf", 1000, 1);
    QVERIFY(QDir().mkpath(path("out")));
    QVERIFY(QDir().mkpath(path("out2")));
    const QByteArray expected = a + "A" + StartMark + "1" + LengthMark + "1000\r\n\r\n"
                                + QByteArray::fromHex("0e000000");

    Run made = run({"make", "-n", "A", "-o", path("out"), path("in/A.pdf")});
    QCOMPARE(made.exitCode, 0);
    QCOMPARE(made.out, (path("out/A.VELM") + '\n').toUtf8());
    QCOMPARE(made.err, QByteArray()); // no progress bar when stderr is no terminal
    QCOMPARE(TestFiles::read(path("out/A.VELM")), expected);

    // Long options, a relative folder and source.
    made = run({"make", "--out", "out2", "--name", "A", "in/A.pdf"});
    QCOMPARE(made.exitCode, 0);
    QCOMPARE(made.out, QByteArray("out2/A.VELM\n"));
    QCOMPARE(TestFiles::read(path("out2/A.VELM")), expected);
}

void TestCli::makeTakesFoldersInFolderOrder()
{
    const QByteArray two = makeSource("in/2.pdf", 10, 1);
    const QByteArray ten = makeSource("in/10.pdf", 20, 2);
    const QByteArray b = makeSource("in/b.PDF", 30, 3);
    makeSource("in/notes.txt", 5, 4);
    makeSource("in/.hidden.pdf", 5, 5);
    makeSource("in/sub/inner.pdf", 5, 6);
    const QByteArray extra = makeSource("extra.Pdf", 40, 7);

    const QString book = makeBook("B", {"in", "extra.Pdf"});
    QVERIFY(!book.isEmpty());
    const Run listed = run({"list", book});
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.out, QByteArray("1\t1\t20\t10\n2\t21\t10\t2\n3\t31\t30\tb\n4\t61\t40\textra\n"));
    QVERIFY(TestFiles::read(book).startsWith(ten + two + b + extra));
}

void TestCli::listsAndExtractsChapters()
{
    const QByteArray first = makeSource("in/第一章.pdf", 300, 1);
    const QByteArray appendix = makeSource("in/附录.pdf", 20, 2);
    const QString book = makeBook("书", {"in/第一章.pdf", "in/附录.pdf"});
    QVERIFY(!book.isEmpty());
    const Run listed = run({"list", book});
    QCOMPARE(listed.exitCode, 0);
    QCOMPARE(listed.out, QStringLiteral("1\t1\t300\t第一章\n2\t301\t20\t附录\n").toUtf8());

    const QString work = path("work");
    QVERIFY(QDir().mkpath(work));
    const QString appendixCopy = QDir(work).filePath("附录.pdf");
    Run extracted = run({"extract", book, "2"}, work);
    QCOMPARE(extracted.exitCode, 0);
    QCOMPARE(extracted.out, (appendixCopy + '\n').toUtf8());
    QCOMPARE(TestFiles::read(appendixCopy), appendix);

    // An existing file is never replaced under the default name; --out replaces it.
    QVERIFY(TestFiles::write(appendixCopy, "mine"));
    extracted = run({"extract", book, "2"}, work);
    QCOMPARE(extracted.exitCode, 1);
    QVERIFY(extracted.err.contains(appendixCopy.toUtf8()));
    QCOMPARE(TestFiles::read(appendixCopy), QByteArray("mine"));
    extracted = run({"extract", book, "2", "--out", appendixCopy}, work);
    QCOMPARE(extracted.exitCode, 0);
    QCOMPARE(TestFiles::read(appendixCopy), appendix);

    extracted = run({"extract", "-o", "first.pdf", book, "1"}, work);
    QCOMPARE(extracted.exitCode, 0);
    QCOMPARE(TestFiles::read(QDir(work).filePath("first.pdf")), first);
    QCOMPARE(QDir(work).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             (QStringList{"first.pdf", "附录.pdf"}));
}

// Names from a hand-made book can hold a tab or an escape sequence; a damaged line has no numbers
// to show; a file that is no book gets a clear error naming it.
void TestCli::listShowsHostileBooksSafely()
{
    QVERIFY(TestFiles::write(path("hostile.VELM"), bookOf(TestFiles::pdfLike(50, 4),
                                                          indexLine("a\tb\x1b[31m", 1, 50) + "x\r\n\r\n")));
    const Run hostile = run({"list", path("hostile.VELM")});
    QCOMPARE(hostile.exitCode, 0);
    QCOMPARE(hostile.out, QByteArray("1\t1\t50\ta?b?[31m\n2\t?\t?\tx\n"));

    makeSource("plain.pdf", 100, 3);
    const Run failed = run({"list", path("plain.pdf")});
    QCOMPARE(failed.exitCode, 1);
    QVERIFY(failed.err.contains(path("plain.pdf").toUtf8()));
    QCOMPARE(failed.out, QByteArray());
}

void TestCli::extractRefusesBadNumbersAndPlaces()
{
    makeSource("in/a.pdf", 300, 1);
    makeSource("in/b.pdf", 20, 2);
    const QString book = makeBook("Book", {"in/a.pdf", "in/b.pdf"});
    QVERIFY(!book.isEmpty());
    QVERIFY(TestFiles::write(path("file"), "content"));
    // A chapter whose index line is damaged cannot be extracted.
    QVERIFY(TestFiles::write(path("damaged.VELM"),
                             bookOf(TestFiles::pdfLike(10, 3), "a" + StartMark + "1\r\n\r\n")));
    QVERIFY(TestFiles::write(path("existing.pdf"), "old"));
    const Snapshot before = snapshot(m_root->path());

    struct Failure
    {
        QStringList arguments;
        qint64 fileSizeLimit = 0; // 0: none
    };
    const QList<Failure> failures{
            {{"extract", book, "0"}},
            {{"extract", book, "3"}},
            {{"extract", book, "x"}},
            {{"extract", book, "1", "--out", path("file/sub/a.pdf")}},
            {{"extract", book, "1", "--out", path("missing/a.pdf")}},
            {{"extract", path("missing.VELM"), "1"}},
            {{"extract", path("damaged.VELM"), "1"}},
            {{"extract", path("damaged.VELM"), "1", "--out", path("existing.pdf")}},
            // The disk fills up: the 300-byte chapter does not fit.
            {{"extract", book, "1"}, 100},
            {{"extract", book, "1", "--out", path("existing.pdf")}, 100},
    };
    for (const Failure &failure : failures) {
        const QString command = failure.arguments.join(' ');
        Run refused;
        {
            std::unique_ptr<TestFiles::FileSizeLimit> limit;
            if (failure.fileSizeLimit > 0)
                limit = std::make_unique<TestFiles::FileSizeLimit>(failure.fileSizeLimit);
            refused = run(failure.arguments);
        }
        QVERIFY2(refused.exitCode == 1, qPrintable(command));
        QVERIFY2(!refused.err.isEmpty(), qPrintable(command));
        const QString changed = differences(before, snapshot(m_root->path()));
        QVERIFY2(changed.isEmpty(), qPrintable(command + ": " + changed));
    }
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
    QVERIFY(TestFiles::write(path("hostile.VELM"), bookOf(chapter, indexLine(gbkName, 1, 50) + "\r\n")));
    QVERIFY(QDir().mkpath(path("work/deeper")));
    const Snapshot before = snapshot(m_root->path());

    const Run extracted = run({"extract", path("hostile.VELM"), "1"}, path("work/deeper"));
    QCOMPARE(extracted.exitCode, 0);
    const QString written = "work/deeper/" + fileName;
    QCOMPARE(extracted.out, (path(written) + '\n').toUtf8());
    Snapshot expected = before;
    expected.insert(written, chapter);
    const QString changed = differences(expected, snapshot(m_root->path()));
    QVERIFY2(changed.isEmpty(), qPrintable(changed));
}

void TestCli::checkAcceptsASoundBook()
{
    makeSource("in/a.pdf", 300, 1);
    makeSource("in/b.pdf", 20, 2);
    const QString book = makeBook("Book", {"in/a.pdf", "in/b.pdf", "in/a.pdf"});
    QVERIFY(!book.isEmpty());
    const Run checked = run({"check", book});
    QCOMPARE(checked.exitCode, 0);
    QCOMPARE(checked.out, QByteArray("OK\n"));
    QCOMPARE(checked.err, QByteArray());
}

void TestCli::checkListsTheProblems_data()
{
    QTest::addColumn<QByteArray>("book");
    QTest::addColumn<QStringList>("problems"); // a part of each expected problem line

    const QByteArray a = TestFiles::pdfLike(100, 1);
    const QByteArray b = TestFiles::pdfLike(50, 2);
    const QByteArray goodIndex = indexLine("a", 1, 100) + indexLine("b", 101, 50) + "\r\n";
    const QByteArray good = bookOf(a + b, goodIndex);

    QByteArray notPdf = a + b;
    notPdf[100] = 'X';
    QTest::newRow("chapter not beginning with %PDF-")
            << bookOf(notPdf, goodIndex) << QStringList{"chapter 2: does not begin with %PDF-"};
    QTest::newRow("gap between chapters")
            << bookOf(a + "1234567" + b, indexLine("a", 1, 100) + indexLine("b", 108, 50) + "\r\n")
            << QStringList{"chapter 2: starts at 108, expected 101"};
    QTest::newRow("chapters overlap")
            << bookOf(a + b, indexLine("a", 1, 100) + indexLine("b", 51, 50) + "\r\n")
            << QStringList{"chapter 2: starts at 51, expected 101",
                           "chapter 2: does not begin with %PDF-",
                           "the chapters end at 100 but the index begins at 150"};
    QTest::newRow("chapters end before the index")
            << bookOf(a + b + "tail", goodIndex)
            << QStringList{"the chapters end at 150 but the index begins at 154"};
    QTest::newRow("chapter runs into the index")
            << bookOf(a + b, indexLine("a", 1, 100) + indexLine("b", 101, 60) + "\r\n")
            << QStringList{"chapter 2: runs past the start of the index",
                           "the chapters end at 160 but the index begins at 150"};
    QTest::newRow("damaged line")
            << bookOf(a + b, indexLine("a", 1, 100) + "b" + StartMark + "101\r\n\r\n")
            << QStringList{"chapter 2: damaged index line",
                           "the chapters end at 100 but the index begins at 150"};
    QTest::newRow("damaged line with control characters")
            << bookOf(a + b, indexLine("a", 1, 100) + "b\x1b[2J\tc\r\n\r\n")
            << QStringList{"chapter 2: damaged index line \"b?[2J?c\"",
                           "the chapters end at 100 but the index begins at 150"};
    QTest::newRow("every problem at once")
            << bookOf(notPdf + "x", indexLine("a", 1, 100) + "b\r\n" + indexLine("c", 101, 50) + "\r\n")
            << QStringList{"chapter 2: damaged index line", "chapter 3: does not begin with %PDF-",
                           "the chapters end at 150 but the index begins at 151"};
    QTest::newRow("index names no chapter") << bookOf(a, "\r\n\r\n") << QStringList{"no chapter"};
    QTest::newRow("trailer beyond the file")
            << a + goodIndex + littleEndian(2147483647) << QStringList{"index length of 2147483647"};
    QTest::newRow("trailer zero") << a + goodIndex + littleEndian(0) << QStringList{"index length of 0"};
    QTest::newRow("last byte missing") << good.chopped(1) << QStringList{"index length of"};
    QTest::newRow("empty file") << QByteArray() << QStringList{"trailer"};
}

void TestCli::checkListsTheProblems()
{
    QFETCH(QByteArray, book);
    QFETCH(QStringList, problems);
    const QString bookPath = path("damaged.VELM");
    QVERIFY(TestFiles::write(bookPath, book));

    const Run checked = run({"check", bookPath});
    QCOMPARE(checked.exitCode, 1);
    const QStringList lines = QString::fromUtf8(checked.out).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), problems.size());
    for (const QChar c : QString::fromUtf8(checked.out))
        QVERIFY(c == '\n' || c.category() != QChar::Other_Control);
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(lines.at(i).startsWith(bookPath + ": "), qPrintable(lines.at(i)));
        QVERIFY2(lines.at(i).contains(problems.at(i)), qPrintable(lines.at(i)));
    }
    QCOMPARE(TestFiles::read(bookPath), book);
}

void TestCli::makeFailureChangesNothing_data()
{
    QTest::addColumn<QStringList>("sources");
    QTest::addColumn<QString>("outFolder");
    QTest::addColumn<qint64>("fileSizeLimit"); // 0: none
    QTest::addColumn<QString>("named");       // the file the message names

    const QStringList good{"in/good.pdf"};
    QTest::newRow("missing source") << QStringList{"in/good.pdf", "in/missing.pdf"} << "out"
                                    << qint64(0) << "in/missing.pdf";
    QTest::newRow("source is no PDF") << QStringList{"in/notes.txt"} << "out" << qint64(0)
                                      << "in/notes.txt";
    QTest::newRow("folder without PDF files") << QStringList{"in/nothing"} << "out" << qint64(0)
                                              << "";
    QTest::newRow("output folder below a regular file") << good << "file/sub" << qint64(0)
                                                        << "file/sub/Book.VELM";
    // good.pdf is 1000 bytes and its index 17: the new book would be 1021 bytes.
    QTest::newRow("disk full in the index") << good << "out" << qint64(1010) << "out/Book.VELM";
}

// An earlier book of the same name stays as it was, byte for byte, and nothing else appears.
void TestCli::makeFailureChangesNothing()
{
    QFETCH(QStringList, sources);
    QFETCH(QString, outFolder);
    QFETCH(qint64, fileSizeLimit);
    QFETCH(QString, named);

    makeSource("in/old.pdf", 300, 1);
    makeSource("in/good.pdf", 1000, 2);
    makeSource("in/notes.txt", 100, 3);
    makeSource("in/nothing/readme.txt", 100, 4);
    QVERIFY(TestFiles::write(path("file"), "content"));
    QVERIFY(!makeBook("Book", {"in/old.pdf"}).isEmpty());
    const Snapshot before = snapshot(m_root->path());

    QStringList arguments{"make", "-n", "Book", "-o", path(outFolder)};
    for (const QString &source : sources)
        arguments << path(source);
    Run failed;
    {
        std::unique_ptr<TestFiles::FileSizeLimit> limit;
        if (fileSizeLimit > 0)
            limit = std::make_unique<TestFiles::FileSizeLimit>(fileSizeLimit);
        failed = run(arguments);
    }
    QCOMPARE(failed.exitCode, 1);
    QCOMPARE(failed.out, QByteArray());
    QVERIFY(!failed.err.isEmpty());
    if (!named.isEmpty())
        QVERIFY2(failed.err.contains(path(named).toUtf8()), failed.err.constData());
    const QString changed = differences(before, snapshot(m_root->path()));
    QVERIFY2(changed.isEmpty(), qPrintable(changed));
}

void TestCli::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("no command") << QStringList();
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("make without --name") << QStringList{"make", "-o", "out", "in/a.pdf"};
    QTest::newRow("make without --out") << QStringList{"make", "-n", "A", "in/a.pdf"};
    QTest::newRow("make with a blank name") << QStringList{"make", "-n", "  ", "-o", "out", "in/a.pdf"};
    QTest::newRow("make without sources") << QStringList{"make", "-n", "A", "-o", "out"};
    QTest::newRow("make with an unknown option")
            << QStringList{"make", "--bogus", "-n", "A", "-o", "out", "in/a.pdf"};
    QTest::newRow("list without book") << QStringList{"list"};
    QTest::newRow("list with two books") << QStringList{"list", "a.VELM", "b.VELM"};
    QTest::newRow("extract without number") << QStringList{"extract", "out/A.VELM"};
    QTest::newRow("extract with two numbers") << QStringList{"extract", "out/A.VELM", "1", "2"};
    QTest::newRow("check without book") << QStringList{"check"};
}

void TestCli::usageErrors()
{
    QFETCH(QStringList, arguments);
    makeSource("in/a.pdf", 100, 1);
    QVERIFY(QDir().mkpath(path("out")));
    const Snapshot before = snapshot(m_root->path());
    const Run refused = run(arguments);
    QCOMPARE(refused.exitCode, 2);
    QVERIFY(!refused.err.isEmpty());
    QCOMPARE(refused.out, QByteArray());
    const QString changed = differences(before, snapshot(m_root->path()));
    QVERIFY2(changed.isEmpty(), qPrintable(changed));
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
    QVERIFY(version.out.startsWith("quillmoor-book "));
}

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
