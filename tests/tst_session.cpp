// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/chapterplan.h"
#include "core/book/scratchfolder.h"
#include "core/document/documentsession.h"
#include "core/state/readingplaces.h"
#include "core/text/gbkcodec.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#include <memory>

using Gbk::encode;
using TestFiles::bookOf;
using TestFiles::listedIn;

namespace
{

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
        QObject::connect(&s.bookmarks(), &BookmarkList::changed, [this, &s] {
            events << "bookmarks " + listedIn(s.bookmarks().entries());
        });
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
        connect(&m_session->navigator(), &ReadingNavigator::lookRestored, &context,
                [&told](PageLook look) {
                    told << QStringLiteral("look %1/%2").arg(look.zoom).arg(look.quarterTurns);
                });
        connect(&m_session->navigator(), &ReadingNavigator::placeChanged, &context,
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
        m_session->chooseChapter(0);
        m_session->chooseChapter(1);
        events().clear();
        write("b.VELM", bookOf({{"二", m_three}}).left(20));
        QTest::qWait(400);
        QVERIFY(events().isEmpty() && shown.size() == 2);
        write("b.VELM", bookOf({{"二", m_three}, {"三", m_one}}));
        QTRY_COMPARE(events(), QStringList({"contents 二,三", "bookmarks 乙=乙［2］"}));
        QVERIFY(shown.last() == m_three && m_session->chapter() == 0 && scratchFiles().isEmpty());
        QVERIFY(!m_session->navigator().canGoBack()); // its rows named the old chapters
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

    // The session shows what the navigator asks for and hands it what is shown: a PDF opened
    // again, and a chapter chosen again, at the place noted; back across chapters shows the
    // chapter left; the chapter read last is told when the book opens.
    void placesFollowWhatIsShown()
    {
        ReadingPlaces places(file("state"));
        m_session->setReadingPlaces(&places);
        ReadingNavigator &navigator = m_session->navigator();
        const auto note = [&](int page, double top) { navigator.notePlaceShown(page, top, 4); };
        connect(m_session.get(), &DocumentSession::pdfOpened, this, [&] { note(1, -1); });
        connect(m_session.get(), &DocumentSession::chapterFileReady, this, [&] { note(1, -1); });
        const QString pdf = write("a.pdf", m_one);
        m_session->open(pdf);
        note(3, 0.5);
        QCOMPARE(told([&] { m_session->open(pdf); }), "look 0/0, -1/3/0.5");

        const QString book = write("p.VELM", bookOf({{"一", m_one}, {"二", m_two}}));
        m_session->open(book);
        m_session->chooseChapter(0);
        note(2, -1);
        QCOMPARE(told([&] { m_session->chooseChapter(1); }), "chapter 1");
        QCOMPARE(told([&] { navigator.goBack(); }), "chapter 0, 0/2/-1");
        note(2, -1); // as the view reports the place it was told
        QCOMPARE(m_recorder->chapters, QList<QByteArray>({m_one, m_two, m_one}));
        QVERIFY(m_session->capturedPlace().page == 2 && scratchFiles().isEmpty());
        m_session->open(book);
        QCOMPARE(navigator.lastReadChapter(), 0);
        QCOMPARE(told([&] { m_session->chooseChapter(0); }), "chapter 0, look 0/0, 0/2/-1");
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
