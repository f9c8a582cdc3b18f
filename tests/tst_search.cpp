// SPDX-License-Identifier: GPL-2.0-or-later
// Finding a text in every chapter of a book, straight from the book's bytes.
#include "core/book/contentsindex.h"
#include "core/text/gbkcodec.h"
#include "search/booksearch.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QTemporaryDir>
#include <QTest>

class TestSearch : public QObject
{
    Q_OBJECT

private slots:
    // Letter case ignored, every match, up to 20 characters either side on one line.
    void matchesInAPage()
    {
        const QString page = QStringLiteral("Second Page alpha\nbeta page, and the last PAGE");
        QStringList contexts;
        for (const BookSearch::Match &match : BookSearch::matchesInPage(page, "page"))
            contexts << QString::number(match.onPage) + ":" + match.context;
        QCOMPARE(contexts, QStringList({"0:Second Page alpha beta page, an",
                                        "1:ond Page alpha beta page, and the last PAGE",
                                        "2: page, and the last PAGE"}));
        QVERIFY(BookSearch::matchesInPage(page, QString()).isEmpty());
    }

    // In book order, with a chapter whose index line is damaged and one that is no PDF skipped
    // and named; Chinese found; a stop after a chapter stops; a book rebuilt since its index
    // was read ends the search with its reason.
    void searchesEveryChapter()
    {
        QTemporaryDir dir;
        const QByteArray pdf = TestPdfs::linked();
        const QByteArray chapters = pdf + TestFiles::pdfLike(100, 1) + pdf;
        const QString n = QString::number(pdf.size());
        const QString index = "一♂1♀" + n + "\r\n坏♂x♀1\r\n假♂" + QString::number(pdf.size() + 1) +
                              "♀100\r\n四♂" + QString::number(pdf.size() + 101) + "♀" + n +
                              "\r\n\r\n";
        const QString book = dir.filePath(QStringLiteral("b.VELM"));
        QVERIFY(TestFiles::write(book, TestFiles::bookOf(chapters, Gbk::encode(index))));
        const BookContents contents = BookReader::readContents(book);
        QStringList events;
        int stopAfter = 99;
        const BookSearch::Listener listener{
            [&](const BookSearch::Match &match) {
                events << QStringLiteral("%1 %2 %3 %4")
                              .arg(match.chapter)
                              .arg(match.page)
                              .arg(match.chapterName)
                              .arg(match.onPage);
            },
            [&](int chapter, const QString &name, const QString &) {
                events << QStringLiteral("skipped %1 %2").arg(chapter).arg(name);
            },
            [&](int done) { return done < stopAfter; }};
        QString error;
        for (const auto &[text, expected] : QList<std::pair<QString, QStringList>>{
                 {"中文", {"0 1 一 0", "skipped 1 坏", "skipped 2 假", "3 1 四 0"}},
                 {"GAMMA", {"0 2 一 0", "skipped 1 坏", "skipped 2 假", "3 2 四 0"}}}) {
            events.clear();
            QCOMPARE(BookSearch::run(book, contents, text, listener, &error),
                     BookSearch::Outcome::Finished);
            QCOMPARE(events, expected);
        }
        events.clear();
        stopAfter = 1;
        QCOMPARE(BookSearch::run(book, contents, "gamma", listener, &error),
                 BookSearch::Outcome::Stopped);
        QCOMPARE(events, QStringList{"0 2 一 0"});
        QFile rebuilt(book);
        QVERIFY(
            rebuilt.open(QIODevice::ReadWrite) &&
            rebuilt.setFileTime(contents.modified.addSecs(1), QFileDevice::FileModificationTime));
        QCOMPARE(BookSearch::run(book, contents, "gamma", listener, &error),
                 BookSearch::Outcome::BookUnreadable);
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSearch)
#include "tst_search.moc"
