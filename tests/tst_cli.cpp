// The command line's own part: its options, output, messages and exit codes, the names it gives
// extracted chapters and the problems check reports. The book rules underneath are in tst_book.
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "testfiles.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::bookOf;

namespace
{

struct Run {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
    // The exit code, stdout and stderr in one text, to compare with the expected one.
    QString all() const { return QString::number(exitCode) + '|' + out + '|' + err; }
};

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

    const QString m_tool = qEnvironmentVariable("QUILLMOOR_BOOK_TOOL");
    std::unique_ptr<QTemporaryDir> m_root;
    std::unique_ptr<QTemporaryDir> m_scratch;

    QString path(const QString &relative) const { return QDir(m_root->path()).filePath(relative); }

    // Runs the tool; with a file-size limit, as on a full disk.
    Run run(const QStringList &arguments, const QString &folder = QString(), qint64 sizeLimit = 0,
            const QString &tool = QString())
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", m_scratch->path());
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.isEmpty() ? m_root->path() : folder);
        std::optional<TestFiles::FileSizeLimit> limit;
        if (sizeLimit > 0)
            limit.emplace(sizeLimit);
        process.start(tool.isEmpty() ? m_tool : tool, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return Run();
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

    QByteArray makeSource(const QString &relative, qint64 size, int seed)
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        const QByteArray bytes = TestFiles::pdfLike(size, seed);
        return TestFiles::write(path(relative), bytes) ? bytes : QByteArray();
    }

    // Makes out/NAME.VELM from the given sources with the long options; empty when that failed.
    QString makeBook(const QString &name, const QStringList &sources)
    {
        QStringList arguments{"make", "--name", name, "--out", path("out")};
        for (const QString &source : sources)
            arguments << path(source);
        return run(arguments).exitCode == 0 ? path("out/" + name + ".VELM") : QString();
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFileInfo(m_tool).isExecutable(), "QUILLMOOR_BOOK_TOOL names no program");
    }
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        m_scratch = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid() && m_scratch->isValid() && QDir().mkpath(path("out")));
    }
    // The tool's temporary folders lie in m_scratch: whatever it did, it leaves nothing there.
    void cleanup() { QCOMPARE(TestFiles::entriesOf(m_scratch->path()), QStringList()); }

    // A folder gives its PDF files in the folder order; no progress bar when stderr is no terminal.
    void makeWritesTheBookOfAFolder()
    {
        const QByteArray two = makeSource("in/2.pdf", 10, 1);
        const QByteArray ten = makeSource("in/10.pdf", 20, 2);
        makeSource("in/notes.txt", 5, 4);
        const QByteArray extra = makeSource("extra.Pdf", 40, 7);
        QCOMPARE(run({"make", "-n", "B", "-o", "out", "in", "extra.Pdf"}).all(), "0|out/B.VELM\n|");
        QCOMPARE(TestFiles::read(path("out/B.VELM")),
                 bookOf(ten + two + extra, indexLine("10", 1, 20) + indexLine("2", 21, 10) +
                                               indexLine("extra", 31, 40) + "\r\n"));
    }

    void makeFailsClearly_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message"); // "ROOT/" stands for the test folder
        QTest::newRow("no PDF") << "in/notes.txt" << QString("ROOT/in/notes.txt: not a PDF file");
        QTest::newRow("no source") << "in/nothing" << QString("the source list is empty");
        QTest::newRow("leftover") << "in/good.pdf"
                                  << QString("ROOT/program/Book.exe: cannot be deleted");
    }
    // An earlier book of the same name stays as it was, and nothing else appears. The leftover
    // check looks beside the running program: a copy of the tool with the probe file and a
    // leftover it cannot delete.
    void makeFailsClearly()
    {
        QFETCH(QString, source);
        QFETCH(QString, message);
        makeSource("in/good.pdf", 1000, 2);
        makeSource("in/notes.txt", 100, 3);
        QVERIFY(!makeBook("Book", {"in/good.pdf"}).isEmpty());
        QVERIFY(QDir().mkpath(path("in/nothing")) && QDir().mkpath(path("program/Book.exe/x")));
        QVERIFY(QFile::copy(m_tool, path("program/quillmoor-book")));
        QVERIFY(TestFiles::write(
            path("program/Book") + Module1::DecodeNumberText(NumberTexts::probeSuffix()), ""));
        const QMap<QString, QByteArray> before = snapshot(m_root->path());
        const Run failed =
            run({"make", "-n", "Book", "-o", path("out"), path(source)}, QString(), 0,
                QTest::currentDataTag() == QString("leftover") ? path("program/quillmoor-book")
                                                               : m_tool);
        QCOMPARE(failed.all(),
                 "1||quillmoor-book make: " + message.replace("ROOT", m_root->path()) + '\n');
        QVERIFY(snapshot(m_root->path()) == before);
    }

    // Names from a hand-made book can hold a tab or an escape sequence; a damaged line has no
    // numbers to show; a file that is no book gets a clear error naming it.
    void listsChaptersPrintably()
    {
        const QByteArray index = indexLine("a\tb\x1b[31m", 1, 50) + "x\r\n\r\n";
        QVERIFY(TestFiles::write(path("h.VELM"), bookOf(TestFiles::pdfLike(50, 4), index)));
        QCOMPARE(run({"list", path("h.VELM")}).all(), "0|1\t1\t50\ta?b?[31m\n2\t?\t?\tx\n|");
        const Run failed = run({"list", path("out")});
        QCOMPARE(failed.exitCode, 1);
        QVERIFY(failed.err.startsWith("quillmoor-book list: " + path("out").toUtf8() + ": "));
        QCOMPARE(failed.out, QByteArray());
    }

    // Under the chapter's own name in the working folder, never over an existing file; --out
    // replaces one.
    void extractsChapters()
    {
        const QByteArray first = makeSource("in/第一章.pdf", 300, 1);
        const QByteArray appendix = makeSource("in/附录.pdf", 20, 2);
        const QString book = makeBook("书", {"in/第一章.pdf", "in/附录.pdf"});
        QCOMPARE(run({"list", book}).out,
                 QString("1\t1\t300\t第一章\n2\t301\t20\t附录\n").toUtf8());
        const QString copy = path("out/附录.pdf");
        QCOMPARE(run({"extract", book, "2"}, path("out")).all(), "0|" + copy + "\n|");
        QCOMPARE(TestFiles::read(copy), appendix);
        QVERIFY(TestFiles::write(copy, "mine"));
        QCOMPARE(run({"extract", book, "2"}, path("out")).all(),
                 "1||quillmoor-book extract: " + copy +
                     ": exists already (use --out to replace it)\n");
        QCOMPARE(TestFiles::read(copy), QByteArray("mine"));
        QCOMPARE(run({"extract", book, "2", "--out", copy}).exitCode, 0);
        QCOMPARE(TestFiles::read(copy), appendix);
        QCOMPARE(run({"extract", "-o", "first.pdf", book, "1"}, path("out")).exitCode, 0);
        QCOMPARE(TestFiles::read(path("out/first.pdf")), first);
        QCOMPARE(TestFiles::entriesOf(path("out")),
                 (QStringList{"first.pdf", "书.VELM", "附录.pdf"}));
    }

    // Chapter numbers count from 1 to the last; the 300-byte chapter does not fit on a disk
    // that fills up after 100 bytes, with or without --out; a chapter whose index line is
    // damaged fails before a byte is written, and --out must not replace a file with nothing.
    void extractRefusesAndChangesNothing()
    {
        makeSource("in/a.pdf", 300, 1);
        makeSource("in/b.pdf", 20, 2);
        const QString book = makeBook("Book", {"in/a.pdf", "in/b.pdf"});
        QVERIFY(TestFiles::write(path("existing.pdf"), "old"));
        QVERIFY(TestFiles::write(path("d.VELM"), bookOf(TestFiles::pdfLike(10, 3), "a\r\n\r\n")));
        const QMap<QString, QByteArray> before = snapshot(m_root->path());
        const QList<std::pair<QStringList, qint64>> failures{
            {{"extract", book, "0"}, 0},
            {{"extract", book, "3"}, 0},
            {{"extract", path("d.VELM"), "1", "--out", path("existing.pdf")}, 0},
            {{"extract", book, "1"}, 100},
            {{"extract", book, "1", "--out", path("existing.pdf")}, 100}};
        for (const auto &[arguments, sizeLimit] : failures) {
            const Run refused = run(arguments, QString(), sizeLimit);
            QVERIFY2(refused.exitCode == 1 && refused.err.startsWith("quillmoor-book extract: ") &&
                         snapshot(m_root->path()) == before,
                     qPrintable(arguments.join(' ')));
        }
        QCOMPARE(
            run({"extract", book, "3"}).err,
            ("quillmoor-book extract: " + book + ": no chapter 3 (the book has 2)\n").toUtf8());
    }

    // A name from the book may lead to no other folder: separators and control characters become
    // "_", and a name with nothing left is the chapter's number.
    void extractMakesHostileNamesSafe_data()
    {
        QTest::addColumn<QByteArray>("gbkName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("separators")
            << QByteArray("\xb5\xda\xb6\xfe/..\\\x1b[0m\x7f") << QString("第二_..__[0m_.pdf");
        QTest::newRow("..") << QByteArray("..") << QString("chapter-1.pdf");
        QTest::newRow("empty") << QByteArray() << QString("chapter-1.pdf");
    }
    void extractMakesHostileNamesSafe()
    {
        QFETCH(QByteArray, gbkName);
        QFETCH(QString, fileName);
        const QByteArray chapter = TestFiles::pdfLike(50, 1);
        QVERIFY(
            TestFiles::write(path("h.VELM"), bookOf(chapter, indexLine(gbkName, 1, 50) + "\r\n")));
        QMap<QString, QByteArray> expected = snapshot(m_root->path());
        QCOMPARE(run({"extract", path("h.VELM"), "1"}, path("out")).out,
                 (path("out/" + fileName) + '\n').toUtf8());
        expected.insert("out/" + fileName, chapter);
        QVERIFY(snapshot(m_root->path()) == expected);
    }

    void checkListsTheProblems_data()
    {
        QTest::addColumn<QByteArray>("book");
        QTest::addColumn<QStringList>("problems"); // a part of each expected problem line
        const QByteArray a = TestFiles::pdfLike(100, 1);
        const QByteArray b = TestFiles::pdfLike(50, 2);
        const QByteArray ab = indexLine("a", 1, 100) + indexLine("b", 101, 50);
        QByteArray notPdf = a + b;
        notPdf[100] = 'X';
        const auto row = [](const char *name, const QByteArray &book, const QStringList &problems) {
            QTest::newRow(name) << book << problems;
        };
        row("sound, a chapter twice", bookOf(a + b + a, ab + indexLine("a", 151, 100) + "\r\n"),
            {});
        row("gap",
            bookOf(a + "1234567" + b, indexLine("a", 1, 100) + indexLine("b", 108, 50) + "\r\n"),
            {"chapter 2: starts at 108, expected 101"});
        row("runs into the index",
            bookOf(a + b, indexLine("a", 1, 100) + indexLine("b", 101, 60) + "\r\n"),
            {"chapter 2: runs past the start of the index",
             "the chapters end at 160 but the index begins at 150"});
        row("every problem at once",
            bookOf(notPdf + "x",
                   indexLine("a", 1, 100) + "b\x1b[2J\tc\r\n" + indexLine("c", 101, 50) + "\r\n"),
            {"chapter 2: damaged index line \"b?[2J?c\"", "chapter 3: does not begin with %PDF-",
             "the chapters end at 150 but the index begins at 151"});
        row("no chapter", bookOf(a, "\r\n\r\n"), {"the index names no chapter"});
        // The reader's own reasons, here only passed on.
        row("trailer beyond the file", a + ab + "\r\n\xff\xff\xff\x7f",
            {"index length of 2147483647"});
    }
    // A sound book gives "OK" and exit 0; each problem is one printable line naming the book.
    void checkListsTheProblems()
    {
        QFETCH(QByteArray, book);
        QFETCH(QStringList, problems);
        QVERIFY(TestFiles::write(path("d.VELM"), book));
        const Run checked = run({"check", path("d.VELM")});
        if (problems.isEmpty())
            QCOMPARE(checked.all(), "0|OK\n|");
        QCOMPARE(checked.exitCode == 1 && checked.err.isEmpty(), !problems.isEmpty());
        const QStringList lines = QString::fromUtf8(checked.out).split('\n');
        QCOMPARE(lines.size(), qMax(problems.size(), 1) + 1);
        for (int i = 0; i < problems.size(); ++i)
            QVERIFY2(lines.at(i).startsWith(path("d.VELM") + ": ") &&
                         lines.at(i).contains(problems.at(i)),
                     qPrintable(lines.at(i)));
        QCOMPARE(TestFiles::read(path("d.VELM")), book);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message"); // the first line of stderr, after "quillmoor-book"
        const auto row = [](const QStringList &arguments, const QString &message) {
            QTest::newRow(qPrintable(arguments.join(' '))) << arguments << message;
        };
        const QString wrongNumber = " %1: wrong number of arguments (see --help)";
        const QString required = " make: --name and --out are required";
        row({}, "Usage:");
        row({"frobnicate"}, ": unknown command 'frobnicate'");
        row({"make", "-o", "out", "a.pdf"}, required);
        row({"make", "-n", " ", "-o", "out", "a.pdf"},
            " make: the book name and the folder must not be blank");
        row({"make", "-n", "A", "-o", "out"}, wrongNumber.arg("make"));
        row({"list", "a.VELM", "b.VELM"}, wrongNumber.arg("list"));
        row({"check"}, wrongNumber.arg("check"));
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        makeSource("a.pdf", 100, 1);
        const QMap<QString, QByteArray> before = snapshot(m_root->path());
        const Run refused = run(arguments);
        QCOMPARE(refused.exitCode, 2);
        QCOMPARE(QString::fromUtf8(refused.err).section('\n', 0, 0),
                 arguments.isEmpty() ? message : "quillmoor-book" + message);
        QCOMPARE(refused.out, QByteArray());
        QVERIFY(snapshot(m_root->path()) == before);
    }

    void helpAndVersion()
    {
        const Run help = run({"-h"});
        QCOMPARE(help.exitCode, 0);
        for (const char *command : {"make", "list", "extract", "check"})
            QVERIFY(help.out.contains(command));
        QCOMPARE(run({"--version"}).all(), "0|quillmoor-book 2.2.0\n|");
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
