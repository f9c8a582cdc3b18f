// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/bookmarklist.h"
#include "core/text/gbkcodec.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using Gbk::encode;
using TestFiles::bookOf;
using TestFiles::listedIn;

// The bookmarks of what is shown, without a session: the document shown is set as the session
// sets it, and the list is asked to list, add and rewrite.
class TestBookmarkList : public QObject
{
    Q_OBJECT

    QString file(const QString &name) const { return m_dir->filePath(name); }
    QString write(const QString &name, const QByteArray &bytes)
    {
        return TestFiles::write(file(name), bytes) ? file(name) : QString();
    }
    // `path` shown, with `chapter` chosen in a book, and its bookmarks listed as the session
    // lists them.
    void show(const QString &path, int chapter = -1)
    {
        m_shown = OpenDocument::of(path);
        if (m_shown.isBook())
            m_shown.book = BookReader::readContents(path);
        m_shown.chapter = chapter;
        m_list->watch();
        if (m_shown.isPdf() || chapter >= 0)
            m_list->list();
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    OpenDocument m_shown;
    std::unique_ptr<BookmarkList> m_list;
    QStringList m_events;
    const QByteArray m_one = TestFiles::pdfLike(1000, 1);
    const QByteArray m_two = TestFiles::pdfLike(250, 2);
    using Addition = std::tuple<QString, int, QString, BookmarkList::AddResult, QString, bool>;
    using Rewrite = std::tuple<QString, QString, QString, QString>;

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_shown = OpenDocument();
        m_list = std::make_unique<BookmarkList>(m_shown);
        m_events.clear();
        connect(m_list.get(), &BookmarkList::changed, this,
                [this] { m_events << "bookmarks " + listedIn(m_list->entries()); });
        connect(m_list.get(), &BookmarkList::added, this,
                [this](auto entry) { m_events << "added " + listedIn({entry}); });
        connect(m_list.get(), &BookmarkList::reloaded, this,
                [this] { m_events << "reloaded " + listedIn(m_list->entries()); });
    }
    void cleanup() { m_list.reset(); }

    // The bookmark goes where its page was captured, and is listed only while that place is
    // shown. Each case: the document, the chapter chosen before the capture (-1 none), what is
    // shown by the time OK is pressed (or the book made anew with these chapters), the result, the
    // bookmark file, whether it is listed.
    void add_data()
    {
        using Result = BookmarkList::AddResult;
        const QString old = "旧［1］\r\n", plain = "旧［1］\r\n名［12］\r\n",
                      inChapter = "旧［1］\r\n{1}二&名［12］\r\n";
        QTest::addColumn<Addition>("row");
        QTest::newRow("PDF") << Addition{"a.pdf", -1, "", Result::Added, plain, true};
        QTest::newRow("chapter") << Addition{"b.VELM", 1, "", Result::Added, inChapter, true};
        QTest::newRow("no chapter") << Addition{"b.VELM", -1, "", Result::NoChapter, old, false};
        QTest::newRow("no document") << Addition{"c.txt", -1, "", Result::NoDocument, old, false};
        QTest::newRow("other document since")
            << Addition{"a.pdf", -1, "b.VELM", Result::Added, plain, false};
        QTest::newRow("other chapter since")
            << Addition{"b.VELM", 1, "0", Result::Added, inChapter, false};
        QTest::newRow("same chapter again")
            << Addition{"b.VELM", 1, "1", Result::Added, inChapter, true};
        QTest::newRow("cannot be written")
            << Addition{"missing/a.pdf", -1, "", Result::NotWritten, "", false};
        QTest::newRow("chapter moved since")
            << Addition{"b.VELM", 1, "二一", Result::Added, "旧［1］\r\n{0}二&名［12］\r\n", false};
        QTest::newRow("chapter removed since")
            << Addition{"b.VELM", 1, "一", Result::ChapterGone, old, false};
    }
    void add()
    {
        QFETCH(Addition, row);
        const auto &[document, chapter, since, result, written, listed] = row;
        for (const QString name : {"a.pdf", "b.VELM", "c.txt"})
            write(name, bookOf({{"一", m_one}, {"二", m_two}}));
        for (const QString name : {"a.ini", "b.ini", "c.ini"})
            write(name, encode("旧［1］\r\n"));
        const QString path = file(document);
        show(path, chapter);
        const CapturedPlace captured = CapturedPlace::of(m_shown, 3);
        if (since.endsWith("VELM"))
            show(file(since));
        else if (since.startsWith("一") || since.startsWith("二"))
            write("b.VELM",
                  since == "一" ? bookOf({{"一", m_one}}) : bookOf({{"二", m_two}, {"一", m_one}}));
        else if (!since.isEmpty())
            show(path, since.toInt());
        const qsizetype before = m_list->entries().size();
        m_events.clear();

        QCOMPARE(m_list->add("名", 12, captured), result);
        const QString ini =
            QFileInfo(path).path() + "/" + QFileInfo(path).completeBaseName() + ".ini";
        QCOMPARE(TestFiles::read(ini), encode(written));
        QCOMPARE(m_events, listed ? QStringList{"added 名=名［12］"} : QStringList{});
        QCOMPARE(m_list->entries().size(), before + (listed ? 1 : 0));
    }

    // What Save writes, and the PDF's list filled afresh from it; without a bookmark file the
    // list is left as it is. Each case: the file, the text saved, the file by the time Save is
    // pressed ("" unchanged), the file after.
    void rewrite_data()
    {
        QTest::addColumn<Rewrite>("row");
        QTest::newRow("lines saved")
            << Rewrite{"甲［1］\r\n", "甲[2]\n\n乙［3］", "", "甲［2］\r\n\r\n乙［3］\r\n"};
        QTest::newRow("only blanks") << Rewrite{"甲［1］\r\n", "  \n\n ", "", "甲［1］\r\n"};
        QTest::newRow("lines added meanwhile") << Rewrite{
            "甲［1］\r\n", "乙［2］", "甲［1］\r\n丙［3］\r\n \r\n", "乙［2］\r\n丙［3］\r\n\r\n"};
        QTest::newRow("file changed meanwhile")
            << Rewrite{"甲［1］\r\n", "乙［2］\n", "丁［4］\r\n丙［3］\r\n", "乙［2］\r\n\r\n"};
        QTest::newRow("no file") << Rewrite{"", "甲［1］\n", "", "甲［1］\r\n\r\n"};
        QTest::newRow("no file and only a blank") << Rewrite{"", " ", "", ""};
    }
    void rewrite()
    {
        QFETCH(Rewrite, row);
        const auto &[before, edited, meanwhile, after] = row;
        const QString pdf = write("a.pdf", m_one);
        QVERIFY(before.isEmpty() || !write("a.ini", encode(before)).isEmpty());
        show(pdf);
        const QStringList loaded = Module1::ReadBookmarkFileLines(pdf);
        QVERIFY(meanwhile.isEmpty() || !write("a.ini", encode(meanwhile)).isEmpty());
        m_events.clear();

        QVERIFY(m_list->rewrite(pdf, loaded, edited));
        QCOMPARE(TestFiles::read(file("a.ini")), encode(after));
        QCOMPARE(QFile::exists(file("a.ini")), !after.isEmpty());
        const QStringList refilled{"bookmarks " + listedIn(Module1::ReadBookmarkEntries(pdf))};
        QCOMPARE(m_events, after.isEmpty() ? QStringList() : refilled);
    }

    // In a book the list is that of the chapter chosen, and only once one is; a file that cannot
    // be written changes nothing.
    void rewriteRefreshesTheChapterChosen()
    {
        const QString path = write("b.VELM", bookOf({{"一", m_one}, {"二", m_two}}));
        write("b.ini", encode("{1}二&甲［1］\r\n"));
        show(path);
        const auto fileLines = [path] { return Module1::ReadBookmarkFileLines(path); };
        QVERIFY(m_list->rewrite(path, fileLines(), "{1}二&乙［2］"));
        QVERIFY(m_events.isEmpty());
        show(path, 1);
        QVERIFY(m_list->rewrite(path, fileLines(), "{1}二&丙［3］\n{0}一&丁［4］"));
        QCOMPARE(m_events.last(), QStringLiteral("bookmarks 丙=丙［3］"));

        m_events.clear();
        QVERIFY(!m_list->rewrite(file("gone/c.VELM"), {}, "{1}二&戊［5］"));
        QVERIFY(m_events.isEmpty() && !QFile::exists(file("gone")));
        QCOMPARE(TestFiles::read(file("b.ini")), encode("{1}二&丙［3］\r\n{0}一&丁［4］\r\n"));
    }

    // Appended to from a shell, rewritten by rename, deleted and made again: the list says what
    // the file says each time, for the chapter chosen in a book; a change elsewhere in the folder
    // says nothing.
    void followsTheFile()
    {
        write("b.ini", encode("{1}二&甲［1］\r\n"));
        show(write("b.VELM", bookOf({{"一", m_one}, {"二", m_two}})), 1);
        m_events.clear();
        // "{1}二&乙［2］" in GBK, as another running copy appends it.
        QCOMPARE(
            QProcess::execute(
                "sh", {"-c", "printf '{1}\\266\\376&\\322\\322\\243\\3332\\243\\335\\r\\n' >> " +
                                 file("b.ini")}),
            0);
        QTRY_COMPARE(m_events.value(m_events.size() - 1), "reloaded 甲=甲［1］,乙=乙［2］");
        QVERIFY(Module1::RewriteBookmarkFile(file("b.VELM"), "{1}二&丙［3］"));
        QTRY_COMPARE(m_events.value(m_events.size() - 1), "reloaded 丙=丙［3］");
        QVERIFY(QFile::remove(file("b.ini")));
        QTRY_COMPARE(m_events.value(m_events.size() - 1), "reloaded ");
        QVERIFY(TestFiles::write(file("b.ini"), encode("{1}二&丁［4］\r\n")));
        QTRY_COMPARE(m_events.value(m_events.size() - 1), "reloaded 丁=丁［4］");
        QVERIFY(TestFiles::write(file("other.txt"), "x"));
        QTest::qWait(200);
        QCOMPARE(m_events.size(), 4);
    }
};

QTEST_GUILESS_MAIN(TestBookmarkList)
#include "tst_bookmarklist.moc"
