// SPDX-License-Identifier: GPL-2.0-or-later
// Finding a text in the pages of one document, against a stand-in, and in every chapter of a
// book, straight from the book's bytes.
#include "core/book/contentsindex.h"
#include "core/text/gbkcodec.h"
#include "fakedocument.h"
#include "pdf/opening.h"
#include "pdf/workerprocess.h"
#include "search/booksearch.h"
#include "search/documentsearch.h"
#include "search/pagetexts.h"
#include "search/searchmatches.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QMap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>

class TestSearch : public QObject
{
    Q_OBJECT

private slots:

    // Every page searched on two threads, the matches kept in document order whatever order
    // they come in; the first match is the first from the page the search started at, and the
    // moves go round the ends. A stop, a new search or a new document ends a search: nothing
    // more of it comes.
    void findInADocument()
    {
        FakeDocument document;
        document.pages = {
            {"gamma", "alpha"}, {"beta"}, {"Gamma", "x", "GAMMA ray"}, {"delta"}, {"gamma"}};
        DocumentSearch search(2);
        SearchMatches matches;
        QSignalSpy finished(&search, &DocumentSearch::finished);
        QMap<int, QStringList> contexts;
        connect(&search, &DocumentSearch::found, this,
                [&](int page, const QList<QRectF> &areas, const QStringList &around) {
                    matches.add(page, areas);
                    contexts.insert(page, around);
                });
        search.setDocument(document.opener(), int(document.pages.size()));
        matches.clear(2, int(document.pages.size()));
        search.start("gamma", 2);
        QVERIFY(finished.wait(5000));
        QCOMPARE(matches.count(), 4);
        // The page's text around each match, one for each box of the page's find.
        const QMap<int, QStringList> around{
            {0, {"gamma alpha"}}, {2, {"Gamma x GAMMA ray", "Gamma x GAMMA ray"}}, {4, {"gamma"}}};
        QCOMPARE(contexts, around);
        QCOMPARE(matches.number(), 2);
        QCOMPARE(matches.current().area, FakeDocument::boxOf(0));
        QStringList moves;
        for (auto move : {&SearchMatches::next, &SearchMatches::next, &SearchMatches::next,
                          &SearchMatches::next, &SearchMatches::previous}) {
            (matches.*move)();
            moves << QStringLiteral("%1:%2").arg(matches.current().page).arg(matches.number());
        }
        QCOMPARE(moves, QStringList({"2:3", "4:4", "0:1", "2:2", "0:1"}));

        QList<int> pages;
        connect(&search, &DocumentSearch::found, this, [&pages](int page) { pages << page; });
        search.start("a", 0);
        search.start("delta", 0);
        QVERIFY(finished.wait(5000));
        search.start("a", 0);
        search.stop();
        search.start("delta", 0);
        search.setDocument(FakeDocument().opener(), 0);
        QTest::qWait(100);
        QVERIFY(pages == QList<int>{3} && finished.size() == 2);
    }

    // Once each page's text is known, the engine is asked only about pages whose text holds
    // what is sought, letter case, spaces and line breaks aside; the matches are the same.
    void pagesKnownNotToHoldTheTextArePassedOver_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("asked");
        QTest::addColumn<QList<int>>("found");
        QTest::newRow("a word") << "GAMMA" << QList<int>{0, 2, 4} << QList<int>{0, 2, 4};
        QTest::newRow("across words") << "gamma  ray" << QList<int>{2} << QList<int>{};
        QTest::newRow("nowhere") << "omega" << QList<int>{} << QList<int>{};
    }
    void pagesKnownNotToHoldTheTextArePassedOver()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, asked);
        QFETCH(QList<int>, found);
        FakeDocument document;
        document.pages = {
            {"gamma", "alpha"}, {"beta"}, {"Gamma", "x", "GAMMA ray"}, {"delta"}, {"gamma"}};
        DocumentSearch search(2, nullptr, std::chrono::milliseconds(0));
        QSignalSpy finished(&search, &DocumentSearch::finished);
        QList<int> pages;
        connect(&search, &DocumentSearch::found, this, [&pages](int page) { pages << page; });
        search.setDocument(document.opener(), int(document.pages.size()));
        QTRY_COMPARE(search.pagesKnown(), 5);
        search.start(text, 0);
        QVERIFY(finished.wait(5000));
        std::sort(pages.begin(), pages.end());
        QCOMPARE(pages, found);
        QCOMPARE(document.finds->load(), int(asked.size()));
    }

    // Pages that hold no text at all are told once every page's text is known, as a scan's are;
    // a single page with text is enough to say otherwise.
    void pagesWithoutText()
    {
        for (const bool anyText : {false, true}) {
            FakeDocument document;
            document.pages = {{}, {}, {}};
            if (anyText)
                document.pages[2] = {"x"};
            DocumentSearch search(1, nullptr, std::chrono::milliseconds(0));
            QVERIFY(!search.pagesHoldNoText());
            search.setDocument(document.opener(), int(document.pages.size()));
            QTRY_COMPARE(search.pagesKnown(), 3);
            QCOMPARE(search.pagesHoldNoText(), !anyText);
        }
    }

    // Whatever the engine finds on a page, the page's folded text holds the folded search text:
    // no match is passed over.
    void foldedTextsHoldWhatTheEngineFinds_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("found");
        QTest::newRow("words") << "Second page" << QList<int>{1};
        QTest::newRow("letter case") << "SECOND PAGE ALPHA" << QList<int>{1};
        QTest::newRow("another line") << "last words" << QList<int>{2};
        QTest::newRow("Chinese") << QStringLiteral("中文") << QList<int>{1};
        QTest::newRow("two spaces") << "Third  page" << QList<int>{};
    }
    void foldedTextsHoldWhatTheEngineFinds()
    {
        QFETCH(QString, text);
        QFETCH(QList<int>, found);
        QTemporaryDir dir;
        const QString path = dir.filePath("linked.pdf");
        QVERIFY(TestFiles::write(path, TestPdfs::linked()));
        const std::unique_ptr<Pdf::Document> document = Pdf::openFile(path);
        QVERIFY(document);
        QList<int> pages;
        for (int page = 0; page < document->pageCount(); ++page) {
            if (!document->find(page, text).isEmpty())
                pages << page;
        }
        QCOMPARE(pages, found);
        for (const int page : pages)
            QVERIFY(PageTexts::folded(document->text(page)).contains(PageTexts::folded(text)));
    }

    // From the place being read: the first result at or after its page, or the last at or
    // before it, round the ends; from the result gone to last while it is on that page.
    void matchFromThePlaceBeingRead_data()
    {
        QTest::addColumn<int>("chosen");
        QTest::addColumn<int>("chapter");
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("direction");
        QTest::addColumn<int>("result");
        // Results: chapter 0 page 2 (twice), chapter 1 page 0, chapter 3 page 5.
        QTest::newRow("none gone to, before all") << -1 << 0 << 0 << 1 << 0;
        QTest::newRow("on a page with results") << -1 << 1 << 0 << 1 << 2;
        QTest::newRow("between results") << -1 << 2 << 9 << 1 << 3;
        QTest::newRow("after the last, round") << -1 << 3 << 6 << 1 << 0;
        QTest::newRow("back from between") << -1 << 2 << 0 << -1 << 2;
        QTest::newRow("back before the first, round") << -1 << 0 << 1 << -1 << 3;
        QTest::newRow("on from the one gone to") << 0 << 0 << 2 << 1 << 1;
        QTest::newRow("back from the one gone to") << 1 << 0 << 2 << -1 << 0;
        QTest::newRow("gone to elsewhere") << 3 << 0 << 2 << 1 << 0;
    }
    void matchFromThePlaceBeingRead()
    {
        QFETCH(int, chosen);
        QFETCH(int, chapter);
        QFETCH(int, page);
        QFETCH(int, direction);
        QFETCH(int, result);
        QList<BookSearch::Match> matches(4);
        matches[0].page = matches[1].page = 2;
        matches[2].chapter = 1;
        matches[3].chapter = 3;
        matches[3].page = 5;
        QCOMPARE(BookSearch::matchFrom(matches, chosen, chapter, page, direction), result);
        QCOMPARE(BookSearch::matchFrom({}, -1, 0, 0, 1), -1);
    }

    // Letter case ignored, every match, up to 20 characters either side on one line.
    void matchesInAPage()
    {
        const QString page = QStringLiteral("Second Page alpha\nbeta page, and the last PAGE");
        QStringList contexts;
        for (const auto &match : BookSearch::matchesInPage(page, "page"))
            contexts << QString::number(match.onPage) + ":" + match.context;
        QCOMPARE(contexts, QStringList({"0:Second Page alpha beta page, an",
                                        "1:ond Page alpha beta page, and the last PAGE",
                                        "2: page, and the last PAGE"}));
        QVERIFY(BookSearch::matchesInPage(page, QString()).isEmpty());
    }

    // In book order, with a chapter whose index line is damaged, one that is no PDF and one
    // locked skipped and named, the locked one searched once its password is given; Chinese found;
    // a stop after a chapter stops, one between pages tells nothing of the chapter; a book rebuilt
    // since its index was read ends the search with its reason.
    void searchesEveryChapter()
    {
        QTemporaryDir dir;
        const QByteArray pdf = TestPdfs::linked();
        const QByteArray locked = TestPdfs::locked(pdf, "secret");
        const QByteArray scan = TestPdfs::onePage(""); // a page without text
        const QByteArray chapters = pdf + TestFiles::pdfLike(100, 1) + pdf + locked + scan;
        const QString index =
            QStringLiteral(
                "一♂1♀%1\r\n坏♂x♀1\r\n假♂%2♀100\r\n四♂%3♀%1\r\n锁♂%4♀%5\r\n图♂%6♀%7\r\n\r\n")
                .arg(pdf.size())
                .arg(pdf.size() + 1)
                .arg(pdf.size() + 101)
                .arg(2 * pdf.size() + 101)
                .arg(locked.size())
                .arg(2 * pdf.size() + 101 + locked.size())
                .arg(scan.size());
        const QString book = dir.filePath(QStringLiteral("b.VELM"));
        QVERIFY(TestFiles::write(book, TestFiles::bookOf(chapters, Gbk::encode(index))));
        const BookContents contents = BookReader::readContents(book);
        QStringList events;
        int stopAfter = 99;
        const BookSearch::Listener listener{
            [&](const auto &match) { events << match.chapterName + QString::number(match.page); },
            [&](int, const QString &name, const QString &, BookSearch::Skip skip) {
                events << "skipped " + name + (skip == BookSearch::Skip::Locked ? "*" : "") +
                              (skip == BookSearch::Skip::GivenUp ? "!" : "") +
                              (skip == BookSearch::Skip::NoText ? "#" : "");
            },
            [&](int done) { return done < stopAfter; }, nullptr};
        QString error;
        for (const auto &[text, password, expected] :
             QList<std::tuple<QString, QString, QStringList>>{
                 {"中文",
                  {},
                  {"一1", "skipped 坏", "skipped 假", "四1", "skipped 锁*", "skipped 图#"}},
                 {"GAMMA",
                  "wrong",
                  {"一2", "skipped 坏", "skipped 假", "四2", "skipped 锁*", "skipped 图#"}},
                 {"GAMMA",
                  "secret",
                  {"一2", "skipped 坏", "skipped 假", "四2", "锁2", "skipped 图#"}}}) {
            events.clear();
            QCOMPARE(BookSearch::run(book, contents, text, listener, &error, {{4, password}}),
                     BookSearch::Outcome::Finished);
            QCOMPARE(events, expected);
        }
        events.clear();
        stopAfter = 1;
        QCOMPARE(BookSearch::run(book, contents, "gamma", listener, &error),
                 BookSearch::Outcome::Stopped);
        QCOMPARE(events, QStringList{"一2"});
        BookSearch::Listener stoppedAtOnce = listener;
        stoppedAtOnce.stopNow = [] { return true; };
        QCOMPARE(BookSearch::run(book, contents, "gamma", stoppedAtOnce, &error),
                 BookSearch::Outcome::Stopped);
        QCOMPARE(events, QStringList{"一2"});
        QFile rebuilt(book);
        QVERIFY(
            rebuilt.open(QIODevice::ReadWrite) &&
            rebuilt.setFileTime(contents.modified.addSecs(1), QFileDevice::FileModificationTime));
        QCOMPARE(BookSearch::run(book, contents, "gamma", listener, &error),
                 BookSearch::Outcome::BookUnreadable);
        QVERIFY(!error.isEmpty());

        // A chapter whose page the engine cannot finish costs its deadline: it is named, what
        // was found in it before is told, and the search goes on.
        const QByteArray hostile = TestPdfs::hostile();
        const QString stuck = dir.filePath(QStringLiteral("s.VELM"));
        const QString stuckIndex = QStringLiteral("卡♂1♀%1\r\n一♂%2♀%3\r\n\r\n")
                                       .arg(hostile.size())
                                       .arg(hostile.size() + 1)
                                       .arg(pdf.size());
        QVERIFY(TestFiles::write(stuck, TestFiles::bookOf(hostile + pdf, Gbk::encode(stuckIndex))));
        Pdf::setWorkerLimits({qint64(1) << 30, std::chrono::milliseconds(1000)});
        events.clear();
        stopAfter = 99;
        QCOMPARE(BookSearch::run(stuck, BookReader::readContents(stuck), "e", listener, &error),
                 BookSearch::Outcome::Finished);
        Pdf::setWorkerLimits({});
        QCOMPARE(events.mid(0, 2), QStringList({"skipped 卡!", "卡0"}));
        QVERIFY(events.size() > 2 && events.last().startsWith("一"));
    }

    // Chapters that share their bytes are one PDF: it is searched once and what it gave is told
    // for each, with its own name, in book order; the same bytes under another password are
    // searched again.
    void chaptersSharingBytesAreSearchedOnce()
    {
        QTemporaryDir dir;
        const QByteArray pdf = TestPdfs::linked();
        const QByteArray locked = TestPdfs::locked(pdf, "secret");
        const QString index = QStringLiteral("甲♂1♀%1\r\n乙♂%2♀%1\r\n丙♂1♀%1\r\n丁♂%3♀%4\r\n"
                                             "戊♂1♀%1\r\n己♂%3♀%4\r\n\r\n")
                                  .arg(pdf.size())
                                  .arg(pdf.size() + 1)
                                  .arg(2 * pdf.size() + 1)
                                  .arg(locked.size());
        const QString book = dir.filePath(QStringLiteral("b.VELM"));
        QVERIFY(TestFiles::write(book, TestFiles::bookOf(pdf + pdf + locked, Gbk::encode(index))));
        QStringList events;
        std::atomic<int> pagesSearched = 0;
        const BookSearch::Listener listener{
            [&](const auto &match) {
                events << QString::number(match.chapter) + match.chapterName +
                              QString::number(match.page);
            },
            [&](int chapter, const QString &name, const QString &, BookSearch::Skip) {
                events << "skipped " + QString::number(chapter) + name;
            },
            [](int) { return true; },
            [&] {
                ++pagesSearched;
                return false;
            }};
        QString error;
        QCOMPARE(BookSearch::run(book, BookReader::readContents(book), "gamma", listener, &error,
                                 {{3, "secret"}}),
                 BookSearch::Outcome::Finished);
        QCOMPARE(events, QStringList({"0甲2", "1乙2", "2丙2", "3丁2", "4戊2", "skipped 5己"}));
        // 甲, 乙 and 丁 were read, each of the pages of `pdf`.
        QCOMPARE(pagesSearched.load(), 3 * 3);
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
