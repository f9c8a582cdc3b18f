// SPDX-License-Identifier: GPL-2.0-or-later
// The command line's own part: its options, output, messages and exit codes, the names it gives
// extracted chapters and the problems check reports. The book rules underneath are in tst_book.
#include "core/book/bookreader.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "core/state/readingplaces.h"
#include "pdfobjects.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QDirIterator>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using TestFiles::bookOf;
using TestFiles::pdfLike;

namespace
{

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

    // The exit code, stdout and stderr in one text "code|out|err"; with a file-size limit, as on
    // a full disk.
    QString run(const QStringList &arguments, const QString &folder = QString(),
                qint64 sizeLimit = 0, const QString &tool = QString())
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("TMPDIR", m_scratch->path());
        environment.insert("XDG_STATE_HOME", path("state"));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.isEmpty() ? m_root->path() : folder);
        std::optional<TestFiles::FileSizeLimit> limit;
        if (sizeLimit > 0)
            limit.emplace(sizeLimit);
        process.start(tool.isEmpty() ? m_tool : tool, arguments);
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return QStringLiteral("crashed");
        return QString::number(process.exitCode()) + '|' + process.readAllStandardOutput() + '|' +
               process.readAllStandardError();
    }

    QByteArray makeSource(const QString &relative, qint64 size, int seed)
    {
        QDir().mkpath(QFileInfo(path(relative)).path());
        const QByteArray bytes = pdfLike(size, seed);
        return TestFiles::write(path(relative), bytes) ? bytes : QByteArray();
    }
    QString writeBook(const QString &relative, const QByteArray &bytes)
    {
        return TestFiles::write(path(relative), bytes) ? path(relative) : QString();
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
        QCOMPARE(run({"make", "-n", "B", "-o", "out", "in", "extra.Pdf"}), "0|out/B.VELM\n|");
        QCOMPARE(TestFiles::read(path("out/B.VELM")),
                 bookOf(ten + two + extra, indexLine("10", 1, 20) + indexLine("2", 21, 10) +
                                               indexLine("extra", 31, 40) + "\r\n"));
    }

    // An earlier book of the same name stays as it was, and nothing else appears: for a source
    // that is no PDF, a folder without one, and a leftover beside the running program, here a
    // copy of the tool with the probe file and a leftover it cannot delete.
    void makeFailsClearly_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("message");
        QTest::newRow("non-PDF") << QString("in/notes.txt") << "ROOT/in/notes.txt: not a PDF file";
        QTest::newRow("empty folder") << QString("in/nothing") << "the source list is empty";
        QTest::newRow("leftover that stays")
            << QString("in/good.pdf") << "ROOT/program/Book.exe: cannot be deleted";
    }
    void makeFailsClearly()
    {
        QFETCH(QString, source);
        QFETCH(QString, message);
        makeSource("in/good.pdf", 1000, 2);
        makeSource("in/notes.txt", 100, 3);
        QVERIFY(run({"make", "--name", "Book", "--out", "out", "in/good.pdf"}).startsWith("0|"));
        QVERIFY(QDir().mkpath(path("in/nothing")) && QDir().mkpath(path("program/Book.exe/x")));
        QVERIFY(QFile::copy(m_tool, path("program/quillmoor-book")));
        QVERIFY(TestFiles::write(
            path("program/Book") + Module1::DecodeNumberText(NumberTexts::probeSuffix()), ""));
        const QMap<QString, QByteArray> before = snapshot(m_root->path());
        const bool leftover = message.endsWith("deleted");
        QCOMPARE(run({"make", "-n", "Book", "-o", path("out"), path(source)}, QString(), 0,
                     leftover ? path("program/quillmoor-book") : m_tool),
                 "1||quillmoor-book make: " + QString(message).replace("ROOT", m_root->path()) +
                     '\n');
        QVERIFY(snapshot(m_root->path()) == before);
    }

    // Names from a hand-made book can hold a tab or an escape sequence; a damaged line has no
    // numbers to show; a file that is no book gets a clear error naming it.
    void listsChaptersPrintably()
    {
        const QString book = writeBook(
            "h.VELM", bookOf(pdfLike(50, 4), indexLine("a\tb\x1b[31m", 1, 50) + "x\r\n\r\n"));
        QCOMPARE(run({"list", book}), "0|1\t1\t50\ta?b?[31m\n2\t?\t?\tx\n|");
        QVERIFY(run({"list", path("out")}).startsWith("1||quillmoor-book list: " + path("out")));
    }

    // Under the chapter's own name in the working folder, never over an existing file; --out
    // replaces one. Chapter numbers count from 1 to the last; a chapter that does not fit on the
    // disk, or whose index line is damaged, changes nothing, and --out never replaces a file with
    // nothing.
    void extractsChaptersAndRefusesChangingAnything()
    {
        const QByteArray first = pdfLike(300, 1), appendix = pdfLike(20, 2);
        const QString book =
            writeBook("书.VELM", bookOf(first + appendix,
                                        indexLine("\xb5\xda\xd2\xbb", 1, 300) +
                                            indexLine("\xb8\xbd\xc2\xbc", 301, 20) + "\r\n"));
        const QString copy = path("out/附录.pdf");
        QCOMPARE(run({"extract", book, "2"}, path("out")), "0|" + copy + "\n|");
        QCOMPARE(TestFiles::read(copy), appendix);
        QVERIFY(TestFiles::write(copy, "mine"));
        QCOMPARE(run({"extract", book, "2"}, path("out")),
                 "1||quillmoor-book extract: " + copy +
                     ": exists already (use --out to replace it)\n");
        QCOMPARE(run({"extract", book, "2", "--out", copy}).left(2), "0|");
        QCOMPARE(TestFiles::read(copy), appendix);
        QCOMPARE(run({"extract", "-o", "first.pdf", book, "1"}, path("out")).left(2), "0|");
        QCOMPARE(TestFiles::read(path("out/first.pdf")), first);

        const QString damaged = writeBook("d.VELM", bookOf(pdfLike(10, 3), "a\r\n\r\n"));
        const QMap<QString, QByteArray> before = snapshot(m_root->path());
        const QList<std::pair<QStringList, qint64>> failures{
            {{"extract", book, "0"}, 0},
            {{"extract", damaged, "1", "--out", copy}, 0},
            {{"extract", book, "1"}, 100},
            {{"extract", book, "1", "--out", copy}, 100}};
        for (const auto &[arguments, sizeLimit] : failures) {
            QVERIFY2(
                run(arguments, path("out"), sizeLimit).startsWith("1||quillmoor-book extract: ") &&
                    snapshot(m_root->path()) == before,
                qPrintable(arguments.join(' ')));
        }
        QCOMPARE(run({"extract", book, "%1"}),
                 "1||quillmoor-book extract: " + book + ": no chapter %1 (the book has 2)\n");
    }

    // A name from the book may lead to no other folder and make no hidden file: separators,
    // control characters and leading dots become "_", and a name with nothing left is the
    // chapter's number.
    void extractMakesHostileNamesSafe_data()
    {
        QTest::addColumn<QByteArray>("gbkName");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("separators and controls")
            << QByteArray("\xb5\xda\xb6\xfe/..\\\x1b[0m\x7f") << "第二_..__[0m_.pdf";
        QTest::newRow("dot dot") << QByteArray("..") << "chapter-1.pdf";
        QTest::newRow("up and up") << QByteArray("../../x") << "___.._x.pdf";
        QTest::newRow("hidden") << QByteArray(".bashrc") << "_bashrc.pdf";
        QTest::newRow("empty") << QByteArray("") << "chapter-1.pdf";
    }
    void extractMakesHostileNamesSafe()
    {
        QFETCH(QByteArray, gbkName);
        QFETCH(QString, fileName);
        const QString book =
            writeBook("h.VELM", bookOf(pdfLike(50, 1), indexLine(gbkName, 1, 50) + "\r\n"));
        QMap<QString, QByteArray> expected = snapshot(m_root->path());
        QCOMPARE(run({"extract", book, "1"}, path("out")), "0|" + path("out/" + fileName) + "\n|");
        expected.insert("out/" + fileName, pdfLike(50, 1));
        QVERIFY(snapshot(m_root->path()) == expected);
        QVERIFY(QFile::remove(path("out/" + fileName)));
    }

    // A sound book gives "OK" and exit 0; each problem is one printable line naming the book. A
    // trailer beyond the file passes the reader's own reason on.
    void checkListsTheProblems_data()
    {
        const QByteArray a = pdfLike(100, 1), b = pdfLike(50, 2);
        const QByteArray ab = indexLine("a", 1, 100) + indexLine("b", 101, 50);
        QByteArray notPdf = a + b;
        notPdf[100] = 'X';
        QTest::addColumn<QByteArray>("book");
        QTest::addColumn<QStringList>("problems");
        QTest::newRow("sound with a chapter twice")
            << bookOf(a + b + a, ab + indexLine("a", 151, 100) + "\r\n") << QStringList();
        QTest::newRow("gap") << bookOf(a + "1234567" + b,
                                       indexLine("a", 1, 100) + indexLine("b", 108, 50) + "\r\n")
                             << QStringList{"chapter 2: starts at 108, expected 101"};
        QTest::newRow("chapter into the index")
            << bookOf(a + b, indexLine("a", 1, 100) + indexLine("b", 101, 60) + "\r\n")
            << QStringList{"chapter 2: runs past the start of the index",
                           "the chapters end at 160 but the index begins at 150"};
        QTest::newRow("every problem at once")
            << bookOf(notPdf + "x",
                      indexLine("a", 1, 100) + "b\x1b[2J\tc\r\n" + indexLine("c", 101, 50) + "\r\n")
            << QStringList{"chapter 2: damaged index line \"b?[2J?c\"",
                           "chapter 3: does not begin with %PDF-",
                           "the chapters end at 150 but the index begins at 151"};
        QTest::newRow("no chapter")
            << bookOf(a, "\r\n\r\n") << QStringList{"the index names no chapter"};
        QTest::newRow("trailer beyond the file")
            << a + ab + "\r\n\xff\xff\xff\x7f" << QStringList{"index length of 2147483647"};
    }
    void checkListsTheProblems()
    {
        QFETCH(QByteArray, book);
        QFETCH(QStringList, problems);
        const QString checked = run({"check", writeBook("d.VELM", book)});
        if (problems.isEmpty())
            QCOMPARE(checked, "0|OK\n|");
        const QStringList lines = checked.section('|', 1, 1).split('\n');
        QCOMPARE(checked.startsWith("1|") && checked.endsWith('|'), !problems.isEmpty());
        QCOMPARE(lines.size(), qMax(problems.size(), 1) + 1);
        for (int i = 0; i < problems.size(); ++i)
            QVERIFY2(lines.at(i).startsWith(path("d.VELM") + ": ") &&
                         lines.at(i).contains(problems.at(i)),
                     qPrintable(lines.at(i)));
        QCOMPARE(TestFiles::read(path("d.VELM")), book);
    }

    // A line a match, a damaged chapter named and passed over, the progress on stderr when
    // asked; exit 1 with no match, 2 for an empty text, 3 for a book that cannot be read.
    void searchesTheWholeBook()
    {
        const QByteArray chapter = TestPdfs::onePage("Third Gamma");
        const QString book =
            writeBook("s.VELM", bookOf(chapter + pdfLike(100, 1),
                                       indexLine("\xb5\xda\xd2\xbb", 1, chapter.size()) + "x\r\n" +
                                           indexLine("y", chapter.size() + 1, 100) + "\r\n"));
        QCOMPARE(run({"search", book, "gamma"}),
                 "0|1\t1\t第一\tThird Gamma\n|quillmoor-book search: chapter 2 (x) skipped: "
                 "damaged index line\nquillmoor-book search: chapter 3 (y) skipped: not a PDF "
                 "that can be read\n");
        QCOMPARE(run({"search", book, "third", "--progress"}),
                 "0|1\t1\t第一\tThird Gamma\n|progress 1 3\nquillmoor-book search: chapter 2 (x) "
                 "skipped: damaged index line\nprogress 2 3\nquillmoor-book search: chapter 3 (y) "
                 "skipped: not a PDF that can be read\nprogress 3 3\n");
        QVERIFY(run({"search", book, "delta"}).startsWith("1||") &&
                run({"search", book, ""}).startsWith("2||") &&
                run({"search", path("m.VELM"), "gamma"}).startsWith("3||quillmoor-book search:"));
    }

    // The book A B C D with a bookmark in A and one in B, changed by each command: the new book
    // holds the chapters named, byte for byte, and the bookmarks follow their chapters; a refusal
    // changes nothing at all.
    void changesABookInPlace_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("chapters"); // letters, or "" for unchanged
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QString>("bookmarks");
        QTest::addColumn<QString>("message");
        const QString unchanged;
        QTest::newRow("move") << QStringList{"move", "BOOK", "1", "--to", "3"} << "BCAD"
                              << QStringList{"B", "C", "A", "D"} << "{2}A&a［1］|{0}B&b［2］"
                              << "";
        QTest::newRow("add") << QStringList{"add", "BOOK", "x.pdf", "--at", "1"} << "xABCD"
                             << QStringList{"x", "A", "B", "C", "D"} << "{1}A&a［1］|{2}B&b［2］"
                             << "";
        QTest::newRow("rename mended")
            << QStringList{"rename", "BOOK", "2", "新\tB"} << "ABCD"
            << QStringList{"A", "新?B", "C", "D"} << "{0}A&a［1］|{1}新?B&b［2］"
            << "quillmoor-book rename: the name is written as \"新?B\"\n";
        QTest::newRow("rename mended, long")
            << QStringList{"rename", "BOOK", "2", "\t" + QString(300, 'x')} << "ABCD"
            << QStringList{"A", "?" + QString(300, 'x'), "C", "D"}
            << "{0}A&a［1］|{1}?" + QString(300, 'x') + "&b［2］"
            << "quillmoor-book rename: the name is written as \"?" + QString(199, 'x') + "…\"\n";
        QTest::newRow("remove dropping bookmarks")
            << QStringList{"remove", "BOOK", "1", "--drop-bookmarks"} << "BCD"
            << QStringList{"B", "C", "D"} << "{0}B&b［2］"
            << "quillmoor-book remove: bookmark lines dropped: 1\n";
        QTest::newRow("remove keeping bookmarks")
            << QStringList{"remove", "BOOK", "1"} << unchanged << QStringList() << ""
            << "quillmoor-book remove: BOOK: the chapter removed has bookmarks, 1 line(s); "
               "--drop-bookmarks removes them with it\n";
        QTest::newRow("& in a name")
            << QStringList{"rename", "BOOK", "1", "a&b"} << unchanged << QStringList() << ""
            << "quillmoor-book rename: BOOK: a chapter name may not "
               "hold \"&\": the bookmarks of the chapter are split there\n";
        QTest::newRow("no chapter")
            << QStringList{"move", "BOOK", "7", "--to", "1"} << unchanged << QStringList() << ""
            << "quillmoor-book move: BOOK: no chapter 7 (the book has 4)\n";
        QTest::newRow("no PDF") << QStringList{"add", "BOOK", "notes.txt"} << unchanged
                                << QStringList() << ""
                                << "quillmoor-book add: BOOK: notes.txt: not a PDF file\n";
        QTest::newRow("missing file")
            << QStringList{"add", "BOOK", "none.pdf"} << unchanged << QStringList() << ""
            << "quillmoor-book add: none.pdf: does not exist\n";
        // The chapters would move without their bookmarks.
        QTest::newRow("bookmark file a link")
            << QStringList{"move", "BOOK", "1", "--to", "3"} << unchanged << QStringList() << ""
            << "quillmoor-book move: INI: cannot be read\n";
    }
    void changesABookInPlace()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, chapters);
        QFETCH(QStringList, names);
        QFETCH(QString, message);
        QMap<QChar, QByteArray> bytes;
        for (const char letter : QByteArray("ABCDx"))
            bytes.insert(QChar(letter), makeSource(QString(letter) + ".pdf", 500 + letter, letter));
        makeSource("notes.txt", 10, 1);
        const QString book = writeBook(
            "书.VELM",
            bookOf({{"A", bytes['A']}, {"B", bytes['B']}, {"C", bytes['C']}, {"D", bytes['D']}}));
        QVERIFY(Module1::AppendBookmarkLine(book, "{0}A&a［1］") &&
                Module1::AppendBookmarkLine(book, "{1}B&b［2］"));
        const QString ini = Module1::BookmarkFilePath(book);
        if (QByteArray(QTest::currentDataTag()) == "bookmark file a link")
            QVERIFY(QFile::rename(ini, path("elsewhere")) && QFile::link(path("elsewhere"), ini));
        const QMap<QString, QByteArray> before = snapshot(m_root->path());
        arguments.replace(1, book);
        const QString code = chapters.isEmpty() ? "1" : "0";
        QCOMPARE(run(arguments),
                 code + "||" + QString(message).replace("BOOK", book).replace("INI", ini));
        if (chapters.isEmpty()) {
            QVERIFY(snapshot(m_root->path()) == before);
            return;
        }
        QList<QPair<QString, QByteArray>> expected;
        for (int i = 0; i < chapters.size(); ++i)
            expected.append({names.at(i), bytes.value(chapters.at(i))});
        QCOMPARE(TestFiles::read(book), bookOf(expected));
        QTEST(Module1::ReadBookmarkFileLines(book).join('|'), "bookmarks");
    }

    // A place read in a chapter follows the chapter renamed.
    void renamedChapterKeepsItsPlace()
    {
        const QString book =
            writeBook("b.VELM", bookOf({{"A", pdfLike(50, 1)}, {"B", pdfLike(60, 2)}}));
        const BookContents contents = BookReader::readContents(book);
        ReadingPlaces(path("state/quillmoor"))
            .note(ReadingPlaces::chapterKey(book, contents.lines, 1), 7, 0.5, PageLook());
        QCOMPARE(run({"rename", book, "2", "Z"}), "0||");
        const ReadingPlaces places(path("state/quillmoor"));
        const std::optional<SavedPlace> place = places.placeOf(
            ReadingPlaces::chapterKey(book, BookReader::readContents(book).lines, 1));
        QVERIFY(place && place->page == 7);
        QCOMPARE(places.lastReadChapter(book, BookReader::readContents(book).lines), 1);
    }

    // Exit 2, the first line of stderr, nothing written.
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message");
        QTest::newRow("no arguments") << QStringList() << "Usage:";
        QTest::newRow("unknown command")
            << QStringList{"frobnicate"} << "quillmoor-book: unknown command 'frobnicate'";
        QTest::newRow("no name") << QStringList{"make", "-o", "out", "a.pdf"}
                                 << "quillmoor-book make: --name and --out are required";
        QTest::newRow("blank name")
            << QStringList{"make", "-n", " ", "-o", "out", "a.pdf"}
            << "quillmoor-book make: the book name and the folder must not be blank";
        QTest::newRow("move without --to")
            << QStringList{"move", "a.VELM", "1"} << "quillmoor-book move: --to is required";
        QTest::newRow("too many arguments")
            << QStringList{"list", "a.VELM", "b.VELM"}
            << "quillmoor-book list: wrong number of arguments (see --help)";
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        makeSource("a.pdf", 100, 1);
        const QMap<QString, QByteArray> before = snapshot(m_root->path());
        const QString refused = run(arguments);
        QVERIFY2(refused.startsWith("2||" + message + '\n'), qPrintable(refused));
        QVERIFY(snapshot(m_root->path()) == before);
    }

    void helpAndVersion()
    {
        const QString help = run({"-h"});
        QVERIFY(help.startsWith("0|"));
        for (const char *command : {"make", "list", "extract", "check", "search", "add", "remove",
                                    "move", "rename", "export", "split", "pages"})
            QVERIFY(help.contains(command));
        QCOMPARE(run({"--version"}), "0|quillmoor-book 2.2.0\n|");
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_cli.moc"
