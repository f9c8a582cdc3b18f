// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/chapterplan.h"
#include "core/book/scratchfolder.h"
#include "core/document/documentsession.h"
#include "core/state/readingplaces.h"
#include "core/text/gbkcodec.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <memory>

using Gbk::encode;
using TestFiles::bookOf;

namespace
{

QString listedIn(const QList<Module1::BookmarkEntry> &entries)
{
    QStringList listed;
    for (const Module1::BookmarkEntry &entry : entries)
        listed << entry.name() + "=" + entry.entryText;
    return listed.join(',');
}

// What the session told its view, in order.
struct Recorder {
    explicit Recorder(DocumentSession &s)
    {
        using S = DocumentSession;
        QObject::connect(&s, &S::documentOpened, [this](auto path) { events << "opened " + path; });
        QObject::connect(&s, &S::pdfOpened, [this](auto path) { events << "pdf " + path; });
        QObject::connect(&s, &S::contentsChanged, [this, &s] {
            QStringList names;
            for (const ContentsIndex::Line &line : s.contents().lines)
                names << line.name();
            events << "contents " + names.join(',');
        });
        QObject::connect(&s, &S::chapterFileReady, [this](auto path) {
            if (!path.isEmpty())
                chapters << TestFiles::read(path);
            events << (path.isEmpty() ? "nothing" : "chapter");
        });
        QObject::connect(&s, &S::bookmarksChanged,
                         [this, &s] { events << "bookmarks " + listedIn(s.bookmarks()); });
        QObject::connect(&s, &S::bookmarkAdded,
                         [this](auto entry) { events << "added " + listedIn({entry}); });
        QObject::connect(&s, &S::bookmarksReloaded,
                         [this, &s] { events << "reloaded " + listedIn(s.bookmarks()); });
    }

    QStringList events;
    QList<QByteArray> chapters;
};

} // namespace

// The open document's rules, without widgets: what each command reads and writes, and what it
// tells the view.
class TestSession : public QObject
{
    Q_OBJECT

    QString file(const QString &name) const { return m_dir->filePath(name); }
    QString write(const QString &name, const QByteArray &bytes)
    {
        return TestFiles::write(file(name), bytes) ? file(name) : QString();
    }
    QStringList scratchFiles() const { return TestFiles::entriesOf(m_scratch->path()); }
    QStringList &events() const { return m_recorder->events; }
    // What the session tells the view while `command` runs: the chapters shown, the looks and
    // the places with their matches.
    QString told(const std::function<void()> &command)
    {
        QStringList told;
        QObject context;
        connect(m_session.get(), &DocumentSession::chapterShown, &context,
                [&told](int row) { told << QStringLiteral("chapter %1").arg(row); });
        connect(m_session.get(), &DocumentSession::lookRestored, &context, [&told](PageLook look) {
            told << QStringLiteral("look %1/%2").arg(look.zoom).arg(look.quarterTurns);
        });
        connect(m_session.get(), &DocumentSession::placeChanged, &context,
                [&told](const ReadingPlace &place, const FoundText &match) {
                    told << QStringLiteral("%1/%2/%3")
                                    .arg(place.chapter)
                                    .arg(place.page)
                                    .arg(place.top) +
                                (match.text.isEmpty() ? QString() : " " + match.text);
                });
        command();
        return told.join(", ");
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<ScratchFolder> m_scratch;
    std::unique_ptr<DocumentSession> m_session;
    std::unique_ptr<Recorder> m_recorder;
    const QByteArray m_one = TestFiles::pdfLike(1000, 1);
    const QByteArray m_two = TestFiles::pdfLike(250, 2);
    const QByteArray m_three = TestFiles::pdfLike(70000, 3);
    using Addition = std::tuple<QString, int, QString, DocumentSession::AddResult, QString, bool>;
    using Rewrite = std::tuple<QString, QString, QString, QString>;

private slots:
    void cleanup() { m_session.reset(); }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_scratch = std::make_unique<ScratchFolder>();
        m_session = std::make_unique<DocumentSession>(m_scratch.get());
        m_recorder = std::make_unique<Recorder>(*m_session);
    }

    // A path of no kind is taken as the path and nothing of the file is read.
    void openFollowsTheKind_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("PDF") << "a.PDF" << QStringList{"pdf", "bookmarks 甲=甲［3］,乙=乙［4］"};
        QTest::newRow("book") << "b.velm" << QStringList{"contents 一,二"};
        QTest::newRow("book without a dot") << "bVELM" << QStringList{"contents 一,二"};
        QTest::newRow("text file") << "b.txt" << QStringList();
        QTest::newRow("part of a suffix") << "ELM" << QStringList();
    }
    void openFollowsTheKind()
    {
        QFETCH(QString, name);
        QFETCH(QStringList, expected);
        const QString path = write(name, bookOf({{"一", m_one}, {"二", m_two}}));
        const QString ini = Module1::BookmarkFilePath(path);
        QVERIFY(TestFiles::write(ini.isEmpty() ? file("x.ini") : ini,
                                 encode("甲［3］\r\n\r\n乙［4］\r\n无页码\r\n")));
        m_session->open(path);
        QCOMPARE(events(), QStringList{"opened " + path} +
                               QStringList(expected).replaceInStrings("pdf", "pdf " + path));
        QCOMPARE(m_session->chapter(), -1);
        QVERIFY(scratchFiles().isEmpty());
    }

    // The chapter's bytes exactly, from a scratch file that exists while the view loads it, even
    // over a longer file left behind; its bookmarks are listed after it is shown.
    void chapterIsShownFromAScratchFileGoneAfterwards()
    {
        const QString path =
            write("诗集.VELM", bookOf({{"序言", m_one}, {"二", m_two}, {"三", m_three}}));
        write("诗集.ini", encode("{0}序言&开头［1］\r\n{2}三&重点［5］\r\n{02}三&不算［1］\r\n"
                                 "{0}A&B&x［2］\r\n"));
        m_session->open(path);
        events().clear();
        QVERIFY(TestFiles::write(m_scratch->chapterFilePath(), QByteArray(80000, 'x')));
        for (int row : {0, 1, 2})
            m_session->chooseChapter(row);
        QCOMPARE(m_recorder->chapters, QList<QByteArray>({m_one, m_two, m_three}));
        QCOMPARE(events(),
                 QStringList({"chapter", "bookmarks 开头=开头［1］,B&x=B&x［2］", "chapter",
                              "bookmarks ", "chapter", "bookmarks 重点=重点［5］"}));
        QVERIFY(scratchFiles().isEmpty());
        m_session->open(path);
        QCOMPARE(m_session->chapter(), -1);
    }

    // A damaged line keeps its place. Choosing it, or a chapter of a book changed since its index
    // was read, shows nothing and lists the chapter's bookmarks; a row past the lines only becomes
    // the chapter chosen. Nothing of the book is read once a book whose index cannot be read, or
    // a PDF, is open.
    void chaptersThatCannotBeRead()
    {
        const QString index =
            QStringLiteral("好♂1♀%1\r\n没有记号\r\n越界♂%2♀999999\r\n坏数♂x♀5\r\n尾♂%2♀%3\r\n")
                .arg(m_one.size())
                .arg(m_one.size() + 1)
                .arg(m_two.size());
        const QString book = write("d.VELM", TestFiles::bookOf(m_one + m_two, encode(index)));
        m_session->open(book);
        write("d.ini", encode("{0}好&甲［1］\r\n{1}没有记号&乙［1］\r\n"));
        QCOMPARE(events().last(), QStringLiteral("contents 好,没有记号,越界,坏数,尾"));
        const QList<std::pair<int, QStringList>> cases{{1, {"nothing", "bookmarks 乙=乙［1］"}},
                                                       {2, {"nothing", "bookmarks "}},
                                                       {3, {"nothing", "bookmarks "}},
                                                       {99, {}},
                                                       {-1, {}},
                                                       {4, {"chapter", "bookmarks "}}};
        for (const auto &[row, expected] : cases) {
            events().clear();
            m_session->chooseChapter(row);
            QCOMPARE(m_session->chapter(), row);
            QCOMPARE(events(), expected);
            QVERIFY(scratchFiles().isEmpty());
        }
        QVERIFY(TestFiles::write(book, TestFiles::read(book).replace("%PDF", "%pdf")));
        QFile rebuilt(book); // within the clock's granularity of the first
        QVERIFY(rebuilt.open(QIODevice::ReadWrite) &&
                rebuilt.setFileTime(m_session->contents().modified.addSecs(1),
                                    QFileDevice::FileModificationTime));
        events().clear();
        m_session->chooseChapter(0);
        QCOMPARE(events(), QStringList({"nothing", "bookmarks 甲=甲［1］"}));
        QCOMPARE(m_recorder->chapters, QList<QByteArray>({m_two}));
        for (const QByteArray &bytes : {m_two + TestFiles::trailer(0), QByteArray()}) {
            m_session->open(write("broken.VELM", bytes));
            QVERIFY(m_session->contents().lines.isEmpty());
            m_session->chooseChapter(4);
        }
        m_session->open(write("a.pdf", m_one));
        m_session->chooseChapter(4);
        QCOMPARE(m_recorder->chapters.size(), 1);
        QVERIFY(scratchFiles().isEmpty());
    }

    // The bookmark goes where its page was captured, and is listed only while that place is
    // shown. Each case: the document, the chapter chosen before the capture (-1 none), what is
    // shown by the time OK is pressed (or the book made anew with these chapters), the result, the
    // bookmark file, whether it is listed.
    void addBookmark_data()
    {
        using Result = DocumentSession::AddResult;
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
    void addBookmark()
    {
        QFETCH(Addition, row);
        const auto &[document, chapter, since, result, written, listed] = row;
        for (const QString name : {"a.pdf", "b.VELM", "c.txt"})
            write(name, bookOf({{"一", m_one}, {"二", m_two}}));
        for (const QString name : {"a.ini", "b.ini", "c.ini"})
            write(name, encode("旧［1］\r\n"));
        const QString path = file(document);
        m_session->open(path);
        if (chapter >= 0)
            m_session->chooseChapter(chapter);
        const CapturedPlace captured = m_session->capturedPlace();
        if (since.endsWith("VELM"))
            m_session->open(file(since));
        else if (since.startsWith("一") || since.startsWith("二"))
            write("b.VELM",
                  since == "一" ? bookOf({{"一", m_one}}) : bookOf({{"二", m_two}, {"一", m_one}}));
        else if (!since.isEmpty())
            m_session->chooseChapter(since.toInt());
        const int before = m_session->bookmarks().size();
        events().clear();

        QCOMPARE(m_session->addBookmark("名", 12, captured), result);
        const QString ini =
            QFileInfo(path).path() + "/" + QFileInfo(path).completeBaseName() + ".ini";
        QCOMPARE(TestFiles::read(ini), encode(written));
        QCOMPARE(events(), listed ? QStringList{"added 名=名［12］"} : QStringList{});
        QCOMPARE(m_session->bookmarks().size(), before + (listed ? 1 : 0));
    }

    // What Save writes, and the PDF's lists filled afresh from it; without a bookmark file the
    // lists are left as they are. Each case: the file, the text saved, the file by the time Save
    // is pressed ("" unchanged), the file after.
    void rewriteBookmarks_data()
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
    void rewriteBookmarks()
    {
        QFETCH(Rewrite, row);
        const auto &[before, edited, meanwhile, after] = row;
        const QString pdf = write("a.pdf", m_one);
        QVERIFY(before.isEmpty() || !write("a.ini", encode(before)).isEmpty());
        m_session->open(pdf);
        const QStringList loaded = Module1::ReadBookmarkFileLines(pdf);
        QVERIFY(meanwhile.isEmpty() || !write("a.ini", encode(meanwhile)).isEmpty());
        events().clear();

        QVERIFY(m_session->rewriteBookmarks(pdf, loaded, edited));
        QCOMPARE(TestFiles::read(file("a.ini")), encode(after));
        QCOMPARE(QFile::exists(file("a.ini")), !after.isEmpty());
        const QStringList refilled{"bookmarks " + listedIn(Module1::ReadBookmarkEntries(pdf))};
        QCOMPARE(events(), after.isEmpty() ? QStringList() : refilled);
    }

    // Appended to from a shell, rewritten by rename, deleted and made again: the lists say what the
    // file says each time, for the chapter chosen in a book; a change elsewhere in the folder says
    // nothing.
    void bookmarkListsFollowTheFile()
    {
        write("b.ini", encode("{1}二&甲［1］\r\n"));
        m_session->open(write("b.VELM", bookOf({{"一", m_one}, {"二", m_two}})));
        m_session->chooseChapter(1);
        events().clear();
        // "{1}二&乙［2］" in GBK, as another running copy appends it.
        QCOMPARE(
            QProcess::execute(
                "sh", {"-c", "printf '{1}\\266\\376&\\322\\322\\243\\3332\\243\\335\\r\\n' >> " +
                                 file("b.ini")}),
            0);
        QTRY_COMPARE(events().value(events().size() - 1), "reloaded 甲=甲［1］,乙=乙［2］");
        QVERIFY(Module1::RewriteBookmarkFile(file("b.VELM"), "{1}二&丙［3］"));
        QTRY_COMPARE(events().value(events().size() - 1), "reloaded 丙=丙［3］");
        QVERIFY(QFile::remove(file("b.ini")));
        QTRY_COMPARE(events().value(events().size() - 1), "reloaded ");
        QVERIFY(TestFiles::write(file("b.ini"), encode("{1}二&丁［4］\r\n")));
        QTRY_COMPARE(events().value(events().size() - 1), "reloaded 丁=丁［4］");
        QVERIFY(TestFiles::write(file("other.txt"), "x"));
        QTest::qWait(200);
        QCOMPARE(events().size(), 4);
    }

    // Written in place or renamed over, a PDF is to be shown again from the new file; a book
    // rebuilt keeps the chapter shown by its name, with its bookmarks, or shows nothing without
    // it. A book half written, or another file of the folder, changes nothing.
    void followsTheDocumentRewritten()
    {
        QObject context;
        QList<QByteArray> shown;
        connect(m_session.get(), &DocumentSession::documentRewritten, &context,
                [&shown](const QString &path) { shown << TestFiles::read(path); });
        m_session->open(write("a.pdf", m_one));
        write("a.pdf", m_two);
        QTRY_COMPARE(shown, QList<QByteArray>{m_two});
        QVERIFY(std::rename(qPrintable(write("n.pdf", m_three)), qPrintable(file("a.pdf"))) == 0);
        QTRY_COMPARE(shown, QList<QByteArray>({m_two, m_three}));
        write("b.ini", encode("{1}二&甲［1］\r\n{0}二&乙［2］\r\n"));
        QTest::qWait(400);
        m_session->open(write("b.VELM", bookOf({{"一", m_one}, {"二", m_two}})));
        m_session->chooseChapter(1);
        events().clear();
        write("b.VELM", bookOf({{"二", m_three}}).left(20));
        QTest::qWait(400);
        QVERIFY(events().isEmpty() && shown.size() == 2);
        write("b.VELM", bookOf({{"二", m_three}, {"三", m_one}}));
        QTRY_COMPARE(events(), QStringList({"contents 二,三", "bookmarks 乙=乙［2］"}));
        QVERIFY(shown.last() == m_three && m_session->chapter() == 0 && scratchFiles().isEmpty());
        write("b.VELM", bookOf({{"一", m_one}}));
        QTRY_COMPARE(events().mid(2), QStringList({"contents 一", "bookmarks "}));
        QVERIFY(shown.size() == 3 && m_session->chapter() == -1);
    }

    // A change made by the window is taken with its exact rows, also when the file watch notices
    // the book replaced while the change runs: here a rename that the names alone cannot follow.
    void takesTheBookItChanged()
    {
        m_session->open(write("b.VELM", bookOf({{"一", m_one}, {"二", m_two}})));
        m_session->chooseChapter(0);
        ChapterPlan plan(m_session->contents());
        QCOMPARE(plan.rename(1, "二"), PlanRefusal::None);
        const EditRequest request = m_session->beginEdit(plan, false);
        const EditResult result = EditBook(request);
        QCOMPARE(result.outcome, EditOutcome::Done);
        QTest::qWait(400);
        m_session->takeEditedBook(request, result);
        QCOMPARE(m_session->chapter(), 0);
        QCOMPARE(m_session->contents().lines.at(0).name(), "二");
    }

    // In a book the lists are those of the chapter chosen, and only once one is; a file that cannot
    // be written changes nothing.
    void rewriteRefreshesTheChapterChosen()
    {
        const QString path = write("b.VELM", bookOf({{"一", m_one}, {"二", m_two}}));
        write("b.ini", encode("{1}二&甲［1］\r\n"));
        m_session->open(path);
        const auto fileLines = [path] { return Module1::ReadBookmarkFileLines(path); };
        QVERIFY(m_session->rewriteBookmarks(path, fileLines(), "{1}二&乙［2］"));
        QVERIFY(events().filter("bookmarks").isEmpty());
        m_session->chooseChapter(1);
        QVERIFY(m_session->rewriteBookmarks(path, fileLines(), "{1}二&丙［3］\n{0}一&丁［4］"));
        QCOMPARE(events().last(), QStringLiteral("bookmarks 丙=丙［3］"));

        events().clear();
        QVERIFY(!m_session->rewriteBookmarks(file("gone/c.VELM"), {}, "{1}二&戊［5］"));
        QVERIFY(events().isEmpty() && !QFile::exists(file("gone")));
        QCOMPARE(TestFiles::read(file("b.ini")), encode("{1}二&丙［3］\r\n{0}一&丁［4］\r\n"));
    }

    // A chapter chosen and a jump are steps of the history; scrolling only moves the place. Back
    // and forward cross chapters, showing a chapter only when it is not the one shown, and come
    // back to the page and place left; a new jump ends the way forward, a page beyond the
    // chapter shown is no jump, and opening a document forgets the history. Reading on past the
    // last page shows the next chapter from its first page, before the first the one before at
    // its last page: a damaged chapter is shown as nothing and passed on the next step, the
    // book's ends stop, and none of it is a step. A PDF has no chapter to read on to.
    void jumpsAndReadingOnAcrossChapters()
    {
        const QString index = QStringLiteral("一♂1♀%1\r\n坏♂x♀1\r\n三♂%2♀%3\r\n")
                                  .arg(m_one.size())
                                  .arg(m_one.size() + 1)
                                  .arg(m_two.size());
        const QString book = write("h.VELM", TestFiles::bookOf(m_one + m_two, encode(index)));
        m_session->open(book);
        m_session->goBack();
        m_session->chooseChapter(0);
        m_session->notePlaceShown(4, 0.5, 10);
        QCOMPARE(told([&] { m_session->chooseChapter(2); }), "chapter 2");
        m_session->notePlaceShown(1, -1, 5);
        QCOMPARE(told([&] { m_session->goTo({2, 3, 0.25}, {"词", 1}); }), "2/3/0.25 词");
        QCOMPARE(told([&] { m_session->goBack(); }), "2/1/-1");
        QCOMPARE(told([&] { m_session->goBack(); }), "chapter 0, 0/4/0.5");
        QCOMPARE(told([&] { m_session->goBack(); }), "");
        QCOMPARE(told([&] { m_session->goForward(); }), "chapter 2, 2/1/-1");
        m_session->notePlaceShown(1, -1, 5);
        QCOMPARE(told([&] { m_session->goTo({2, 9, -1}); }), "");
        QCOMPARE(told([&] { m_session->goTo({0, 9, -1}); }), "chapter 0, 0/9/-1");
        QCOMPARE(told([&] { m_session->goForward(); }), "");
        QVERIFY(m_session->place() == (ReadingPlace{0, 9, -1}));
        QCOMPARE(m_session->capturedPlace().page, 9);

        m_session->open(book);
        // Each chapter shown has 4 pages, as a view would report.
        connect(m_session.get(), &DocumentSession::chapterFileReady, this, [this](auto path) {
            m_session->notePlaceShown(path.isEmpty() ? 0 : 1, -1, path.isEmpty() ? 0 : 4);
        });
        m_session->chooseChapter(0);
        QCOMPARE(told([&] {
                     for (const int direction : {-1, 1, 1, 1, -1, -1})
                         m_session->readOn(direction);
                     m_session->goBack();
                 }),
                 "chapter 1, chapter 2, chapter 1, chapter 0, 0/4/1");
        m_session->open(write("a.pdf", m_one));
        QCOMPARE(told([&] { m_session->readOn(1); }), "");
    }

    // A PDF opened and a chapter chosen show their remembered place and look, a page past the end
    // at the last page; reading on goes to the first or last page. A chapter is known by its
    // name, length and occurrence, so a rebuilt book keeps its places and two chapters of one
    // source stay apart; the chapter read last is told when the book opens.
    void remembersPlaces()
    {
        ReadingPlaces places(file("state"));
        m_session->setReadingPlaces(&places);
        int pages = 4;
        PageLook shownLook;
        const auto note = [&](int page, double top) {
            m_session->notePlaceShown(page, top, pages, shownLook);
        };
        connect(m_session.get(), &DocumentSession::pdfOpened, this, [&] { note(1, -1); });
        connect(m_session.get(), &DocumentSession::chapterFileReady, this, [&] { note(1, -1); });
        connect(m_session.get(), &DocumentSession::lookRestored, this,
                [&](PageLook look) { shownLook = look; });
        connect(m_session.get(), &DocumentSession::placeChanged, this,
                [&](const ReadingPlace &place) { note(place.page, place.top); });
        const QString book = write("p.VELM", bookOf({{"一", m_one}, {"二", m_two}, {"一", m_one}}));
        m_session->open(book);
        QCOMPARE(m_session->lastReadChapter(), -1);
        m_session->chooseChapter(0);
        shownLook = {1.5, 1};
        note(3, 0.5);
        QCOMPARE(told([&] { m_session->chooseChapter(2); }), "chapter 2");
        shownLook = {};
        note(2, -1);
        QCOMPARE(told([&] { m_session->readOn(-1); }), "chapter 1, 1/4/1");
        QCOMPARE(told([&] { m_session->chooseChapter(0); }), "chapter 0, look 1.5/1, 0/3/0.5");
        QCOMPARE(told([&] { m_session->chooseChapter(2); }), "chapter 2, look 0/0, 2/2/-1");

        write("p.VELM", bookOf({{"新", m_two}, {"一", m_one}, {"二", m_two}, {"一", m_one}}));
        m_session->open(book);
        QCOMPARE(m_session->lastReadChapter(), 3);
        QCOMPARE(told([&] { m_session->chooseChapter(1); }), "chapter 1, look 1.5/1, 1/3/0.5");

        const QString pdf = write("a.pdf", m_one);
        m_session->open(pdf);
        note(9, 0.25);
        pages = 5;
        QCOMPARE(told([&] { m_session->open(pdf); }), "look 1.5/1, -1/5/-1");
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
