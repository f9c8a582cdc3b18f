// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/bookmarks/bookmarkfile.h"
#include "core/bookmarks/chapterrenumbering.h"
#include "core/bookmarks/pendingbookmarks.h"
#include "core/text/gbkcodec.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Module1;

namespace
{

const char AppendManyArgument[] = "--append-many-bookmarks";
const int LinesPerWriter = 1000;

QStringList shown(const QList<BookmarkEntry> &entries)
{
    QStringList names;
    for (const BookmarkEntry &entry : entries)
        names << entry.name() + '|' + entry.entryText;
    return names;
}

QString writerLine(const QString &tag, int number)
{
    return QStringLiteral("第%1章%2［%2］").arg(tag).arg(number);
}

} // namespace

class TestBookmarks : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString path(const char *name) const { return m_dir->filePath(QString::fromUtf8(name)); }
    using Entries = std::tuple<QStringList, int, QStringList>;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    // Every ".pdf" of a PDF's path is replaced; a path ending in "VELM" without ".VELM" would
    // be the book itself, which is never written.
    void derivesTheBookmarkFilePath_data()
    {
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("bookmarkFile");
        QTest::newRow("book") << QString("/books/Poems.velm") << "/books/Poems.ini";
        QTest::newRow("PDF in capitals") << QString("/docs/Manual.PDF") << "/docs/Manual.ini";
        QTest::newRow("folder with .pdf") << QString("/x.pdf.old/a.pdf") << "/x.ini.old/a.ini";
        QTest::newRow("book with .pdf") << QString("/books/a.pdf.VELM") << "/books/a.pdf.ini";
        QTest::newRow("VELM without a dot") << QString("/books/PoemsVELM") << "";
        QTest::newRow("no PDF or book") << QString("/docs/a.pdf.txt") << "";
        QTest::newRow("only the suffix") << QString(".pdf") << ".ini";
    }
    void derivesTheBookmarkFilePath()
    {
        QFETCH(QString, document);
        QFETCH(QString, bookmarkFile);
        QCOMPARE(BookmarkFilePath(document), bookmarkFile);
    }

    // Lines end at CR LF, LF or CR; only the empty line after the last line end is dropped.
    void splitsLinesAtEveryLineEnd_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("every line end")
            << Gbk::encode("a［1］\r\n\nb［2］\rc") << QStringList{"a［1］", "", "b［2］", "c"};
        QTest::newRow("ends with CR") << QByteArray("a\r") << QStringList{"a"};
        QTest::newRow("only a line end") << QByteArray("\r\n") << QStringList{""};
        QTest::newRow("empty") << QByteArray("") << QStringList{};
    }
    void splitsLinesAtEveryLineEnd()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        QCOMPARE(BookmarkLinesOf(bytes), lines);
    }

    // The characters a bookmark file cannot hold, each once, in the order they stand.
    void charactersGbkCannotHold() { QCOMPARE(Gbk::unencodable("a书♂😀한😀?"), "😀한"); }

    // The lines of a file, the chapter they are read for (-1: a plain PDF), the entries listed.
    void readsEntries_data()
    {
        QTest::addColumn<Entries>("row");
        QTest::newRow("chapter's entry") << Entries{{"{2}序言&重点［5］"}, 2, {"重点|重点［5］"}};
        QTest::newRow("same line in a PDF")
            << Entries{{"{2}序言&重点［5］"}, -1, {"{2}序言&重点|{2}序言&重点［5］"}};
        QTest::newRow("chapter 30 not 3")
            << Entries{{"{3}x&a［1］", "{30}x&b［2］"}, 30, {"b|b［2］"}};
        QTest::newRow("leading zero") << Entries{{"{03}x&a［1］"}, 3, {}};
        QTest::newRow("name holds &") << Entries{{"{0}A&B&x［1］"}, 0, {"B&x|B&x［1］"}};
        QTest::newRow("no & in a book") << Entries{{"{1}x［4］"}, 1, {"{1}x|{1}x［4］"}};
        QTest::newRow("braces unmatched")
            << Entries{{"{1x&a［4］", "}1}x&b［5］"}, 1, {"b|b［5］"}};
        QTest::newRow("no full-width bracket")
            << Entries{{"a[7]", "a［b［7］"}, -1, {"a|a［b［7］"}};
        QTest::newRow("blank lines and repeats") << Entries{
            {"z［9］", "", "a［1］", "   ", "z［9］"}, -1, {"z|z［9］", "a|a［1］", "z|z［9］"}};
    }
    void readsEntries()
    {
        QFETCH(Entries, row);
        const auto &[lines, chapter, entries] = row;
        QVERIFY(TestFiles::write(path("doc.ini"), Gbk::encode(lines.join("\r\n") + "\r\n")));
        QCOMPARE(shown(chapter < 0 ? ReadBookmarkEntries(path("doc.pdf"))
                                   : ReadBookmarkEntries(path("doc.VELM"), chapter)),
                 entries);
    }

    // The page is what lies between the first "［" and the last character, whatever that is.
    // A book A B C D edited: chapter entries follow their chapters, every other byte stays.
    void renumbersChapterEntries_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QList<int>>("newRowOf");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<int>("dropped");
        const QStringList names{"B", "C", "A", "D"};
        QTest::newRow("moved, line ends kept") << QByteArray("{0}A&x\xa3\xdb"
                                                             "1\xa3\xdd\r\n{1}old&y\xa3\xdb"
                                                             "2\xa3\xdd\n{3}D&z\r")
                                               << QList<int>{2, 0, 1, 3} << names
                                               << QByteArray("{2}A&x\xa3\xdb"
                                                             "1\xa3\xdd\r\n{0}B&y\xa3\xdb"
                                                             "2\xa3\xdd\n{3}D&z\r")
                                               << 0;
        QTest::newRow("others untouched")
            << QByteArray("plain\xa3\xdb"
                          "3\xa3\xdd\r\n{03}A&x\r\n{9}Z&q\r\n{x}&\r\n\r\n\xff\xfe")
            << QList<int>{2, 0, 1, 3} << names
            << QByteArray("plain\xa3\xdb"
                          "3\xa3\xdd\r\n{03}A&x\r\n{9}Z&q\r\n{x}&\r\n\r\n\xff\xfe")
            << 0;
        QTest::newRow("removed, last line unended")
            << QByteArray("{1}B&a\r\n{2}C&b\r\n{1}B&c") << QList<int>{0, -1, 1}
            << QStringList{"A", "C"} << QByteArray("{1}C&b\r\n") << 2;
        QTest::newRow("no split: index only; an & in a name")
            << QByteArray("{0}x\xa3\xdb"
                          "1\xa3\xdd\r\n{1}C&C&y\r\n")
            << QList<int>{1, 0} << QStringList{"&", "C"}
            << QByteArray("{1}x\xa3\xdb"
                          "1\xa3\xdd\r\n{0}?&C&y\r\n")
            << 0;
    }
    void renumbersChapterEntries()
    {
        QFETCH(QByteArray, before);
        QFETCH(QList<int>, newRowOf);
        QFETCH(QStringList, names);
        const RenumberedBookmarks renumbered = RenumberChapterEntries(before, newRowOf, names);
        QTEST(renumbered.bytes, "after");
        QTEST(renumbered.droppedLines, "dropped");
        QCOMPARE(CountChapterEntries(before, 1), before.count("{1}"));
    }

    void extractsThePageText_data()
    {
        QTest::addColumn<QString>("entryText");
        QTest::addColumn<QString>("pageText");
        QTest::newRow("closed") << QString("附录［12］") << "12";
        QTest::newRow("not closed") << QString("［123") << "12";
        QTest::newRow("half-width brackets") << QString("a[12]") << "";
        QTest::newRow("nothing after the bracket") << QString("a［") << "";
        QTest::newRow("two brackets") << QString("a［b［7］") << "b［7";
    }
    void extractsThePageText()
    {
        QFETCH(QString, entryText);
        QFETCH(QString, pageText);
        QCOMPARE(BookmarkPageText(entryText), pageText);
    }

    // The file before, then after "b［2］" is appended.
    void appendEndsAnUnfinishedLastLine_data()
    {
        const QByteArray line = Gbk::encode("b［2］\r\n");
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("no file") << QByteArray("") << line;
        QTest::newRow("no line end") << QByteArray("a") << "a\r\n" + line;
        QTest::newRow("ends with LF") << QByteArray("a\n") << "a\n" + line;
        QTest::newRow("ends with CR") << QByteArray("a\r") << "a\r" + line;
    }
    void appendEndsAnUnfinishedLastLine()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QVERIFY(before.isEmpty() || TestFiles::write(path("a.ini"), before));
        QVERIFY(AppendBookmarkLine(path("a.pdf"), QStringLiteral("b［2］")));
        QCOMPARE(TestFiles::read(path("a.ini")), after);
    }

    // Cut short by a file-size limit, a write keeps the old file and leaves nothing else. A rewrite
    // is 5000 bytes, line end included: nothing of it written, all but the line end, all of it; an
    // append with no room, or room for a part of the line.
    void writeFailingAfterNBytesKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("append");
        QTest::addColumn<int>("limit");
        QTest::newRow("rewrite, nothing written") << false << 0;
        QTest::newRow("rewrite, all but the line end") << false << 4999;
        QTest::newRow("rewrite, all of it") << false << 5000;
        QTest::newRow("append with no room") << true << 0;
        QTest::newRow("append with room for a part") << true << 6;
    }
    void writeFailingAfterNBytesKeepsTheOldFile()
    {
        QFETCH(bool, append);
        QFETCH(int, limit);
        const QString document = path("a.pdf");
        QVERIFY(AppendBookmarkLine(document, QStringLiteral("第一章［3］")));
        const QByteArray before = TestFiles::read(path("a.ini"));
        const QString text(4998, QLatin1Char('x'));
        const bool fits = !append && limit == 5000;
        std::optional<TestFiles::FileSizeLimit> sizeLimit(append ? before.size() + limit : limit);
        const bool saved = append ? AppendBookmarkLine(document, QStringLiteral("附录［12］"))
                                  : RewriteBookmarkFile(document, text);
        sizeLimit.reset();
        QCOMPARE(saved, fits);
        QCOMPARE(TestFiles::read(path("a.ini")), fits ? text.toLatin1() + "\r\n" : before);
        QCOMPARE(TestFiles::entriesOf(m_dir->path()), QStringList{"a.ini"});
    }

    // What stands at the bookmark file's path and is no file of its own (a link, live or
    // dangling, a pipe) reads as no file and takes no write: the link's target stays as it was,
    // and none is made. A file past the bound reads as none and is never rewritten; a line
    // appended to it loses nothing.
    void fileThatIsNoneOfItsOwn_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("appendable");
        QTest::newRow("link to a file") << "link" << false;
        QTest::newRow("dangling link") << "dangling" << false;
        QTest::newRow("pipe") << "pipe" << false;
        QTest::newRow("longer than the bound") << "long" << true;
    }
    void fileThatIsNoneOfItsOwn()
    {
        QFETCH(QString, kind);
        QFETCH(bool, appendable);
        const QString ini = path("a.ini");
        const QString target = path("target");
        if (kind == "link" || kind == "dangling") {
            QVERIFY(kind == "dangling" || TestFiles::write(target, "echo safe\n"));
            QVERIFY(QFile::link(target, ini));
        } else if (kind == "pipe") {
            QVERIFY(::mkfifo(QFile::encodeName(ini).constData(), 0600) == 0);
        } else {
            QFile file(ini);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(BookmarkFileLimit + 1));
        }
        const auto before = [&] {
            return QFileInfo(target).exists() ? TestFiles::read(target) : "none";
        };
        const QByteArray targetBefore = before();
        QCOMPARE(ReadBookmarkFileLines(path("a.pdf")), QStringList());
        QVERIFY(!RewriteBookmarkFile(path("a.pdf"), QStringLiteral("新［1］")));
        const QString line = QStringLiteral("; touch PWNED; #&mark［1］");
        QCOMPARE(AppendBookmarkLine(path("a.pdf"), line), appendable);
        if (kind == "link") { // a pending copy's name planted as a link too
            const QString pending = path(".a.ini.pending-1-0");
            QVERIFY(QFile::link(target, pending));
            QVERIFY(!PendingBookmarks::write(pending, "x"));
        }
        QCOMPARE(before(), targetBefore);
        QCOMPARE(QFileInfo(ini).isSymLink(), kind == "link" || kind == "dangling");
        if (kind == "long")
            QCOMPARE(QFileInfo(ini).size(), BookmarkFileLimit + 1 + Gbk::encode(line).size() + 4);
    }

    // Each writer's lines are whole and in its own order, with no line end added between.
    void concurrentAppendsKeepEveryLine()
    {
        const QString document = path("shared.VELM");
        QProcess writers[2];
        for (int i = 0; i < 2; ++i)
            writers[i].start(QCoreApplication::applicationFilePath(),
                             {QString(AppendManyArgument), document, i ? "乙" : "甲"});
        for (QProcess &writer : writers)
            QVERIFY(writer.waitForFinished(60000) && writer.exitStatus() == QProcess::NormalExit &&
                    writer.exitCode() == 0);
        QCOMPARE(TestFiles::read(path("shared.ini")).count("\r\n"), 2 * LinesPerWriter);
        const QStringList lines = ReadBookmarkFileLines(document);
        for (const QString tag : {"甲", "乙"}) {
            QStringList expected;
            for (int i = 0; i < LinesPerWriter; ++i)
                expected << writerLine(tag, i);
            QCOMPARE(lines.filter(QStringLiteral("第") + tag), expected);
        }
    }
};

// A child run appends LinesPerWriter lines to the bookmark file of the document given.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() == 4 && arguments.at(1) == QLatin1String(AppendManyArgument)) {
        for (int i = 0; i < LinesPerWriter; ++i) {
            if (!AppendBookmarkLine(arguments.at(2), writerLine(arguments.at(3), i)))
                return 1;
        }
        return 0;
    }
    TestBookmarks test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_bookmarks.moc"
