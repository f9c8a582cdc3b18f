// SPDX-License-Identifier: GPL-2.0-or-later
// The state file and the reading places kept in it.
#include "core/state/readingplaces.h"
#include "core/state/recentdocuments.h"
#include "testfiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sys/stat.h>

namespace
{

const QByteArray Header = "quillmoor-state 1\n";

// What a copy of the program knows of `keys`: "page/top/zoom/turns" each, "-" for none.
QString placesIn(const ReadingPlaces &places, const QStringList &keys)
{
    QStringList known;
    for (const QString &key : keys) {
        const std::optional<SavedPlace> p = places.placeOf(key);
        known << (p ? QString::asprintf("%d/%g/%g/%d", p->page, p->top, p->look.zoom,
                                        p->look.quarterTurns)
                    : QStringLiteral("-"));
    }
    return known.join(' ');
}

bool saveAndWait(StateStore &places)
{
    QSignalSpy saved(&places, &StateStore::saved);
    places.save();
    return saved.wait(5000) && saved.first().first().toBool();
}

} // namespace

class TestState : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString folder() const { return m_dir->filePath(QStringLiteral("state")); }

private slots:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // Paths with tabs, line breaks, "%" and Chinese come back as they went, and a kind this
    // version does not know as it stands. A file that is not ours reads as empty; a known line
    // whose fields do not read is dropped, its neighbours kept; one of the first version, without
    // the spread, reads as one page a row.
    void readAndWrittenAgain_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("written");
        StateContents contents;
        contents.places.insert(StateFile::pdfKey("/书/a\tb\n%.pdf"), {7, 3, 0.25, {1.5, 1}});
        contents.places.insert(StateFile::chapterKey("/b.VELM", "一 ♂", 100, 2),
                               {8, 9, -1, {-1, 3, PageLayout::Spread::TwoPagesCover}});
        contents.recent.insert("/书/a\tb.pdf", 12);
        contents.colours = {5, PageColours::Night};
        contents.otherLines << "later\tkind";
        QTest::newRow("sound")
            << StateFile::format(contents)
            << Header + "chapter\t%2Fb.VELM\t%E4%B8%80%20%E2%99%82\t100\t2\t8\t9\t-1\t-1\t3\t2\n"
                        "pdf\t%2F%E4%B9%A6%2Fa%09b%0A%25.pdf\t7\t3\t0.25\t1.5\t1\t0\n"
                        "recent\t%2F%E4%B9%A6%2Fa%09b.pdf\t12\n"
                        "colours\tnight\t5\n"
                        "later\tkind\n";
        const QByteArray good = Header + "pdf\t%2Fa.pdf\t5\t2\t-1\t0\t0\t0\n";
        QTest::newRow("first version") << good.chopped(3) + "\n" << good;
        QTest::newRow("no header") << good.mid(Header.size()) << Header;
        QTest::newRow("a later version")
            << "quillmoor-state 2\n" + good.mid(Header.size()) << Header;
        QTest::newRow("binary") << QByteArray("\0\xff\n\t\t", 5) << Header;
        QTest::newRow("a field too few") << good + "pdf\t%2Fb.pdf\t5\t2\t-1\t0\n" << good;
        QTest::newRow("page 0") << good + "pdf\t%2Fb.pdf\t5\t0\t-1\t0\t0\n" << good;
        QTest::newRow("five turns") << good + "pdf\t%2Fb.pdf\t5\t1\t-1\t0\t5\n" << good;
        QTest::newRow("no such spread") << good + "pdf\t%2Fb.pdf\t5\t1\t-1\t0\t0\t3\n" << good;
        QTest::newRow("no such colours") << good + "colours\tblue\t5\n" << good;
        QTest::newRow("no number") << good + "chapter\t%2Fb\tx\ty\t0\t5\t1\t-1\t0\t0\n" << good;
        const QByteArray recent = good + "recent\t%2Fr.pdf\t9\n";
        QTest::newRow("recent, relative") << recent + "recent\tr.pdf\t9\n" << recent;
        QTest::newRow("recent, no time") << recent + "recent\t%2Fs.pdf\tx\n" << recent;
        QTest::newRow("recent, extra") << recent + "recent\t%2Fs.pdf\t9\t1\n" << recent;
        QTest::newRow("recent, before 1970") << recent + "recent\t%2Fs.pdf\t-9\n" << recent;
    }
    void readAndWrittenAgain()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, written);
        QCOMPARE(StateFile::format(StateFile::parse(text)), written);
    }

    // At most 1,000 documents, the least recently read going first, those read at one moment
    // kept to the bound exactly.
    void keepsTheNewest()
    {
        StateContents contents;
        for (int document = 0; document < 1010; ++document)
            contents.places.insert(StateFile::pdfKey(QString("/%1.pdf").arg(document)),
                                   {qMax(document, 5), 1, -1, {}});
        StateFile::keepNewest(contents, StateFile::MaximumPlaces);
        QCOMPARE(contents.places.size(), 1000);
        QVERIFY(contents.places.contains(StateFile::pdfKey("/1009.pdf")));
        QVERIFY(!contents.places.contains(StateFile::pdfKey("/9.pdf")));
    }

    // Two copies saving at once lose neither's places; each takes in what the other saved, and
    // a later reading of one document wins over an earlier one, as do colours chosen later.
    void copiesShareTheFile()
    {
        ReadingPlaces first(folder());
        ReadingPlaces second(folder());
        const QStringList keys{"pdf\t1", "pdf\t2", "pdf\t3"};
        first.note(keys.at(0), 1, 0.5, {0, 0});
        first.note(keys.at(2), 3, -1, {0, 0});
        second.note(keys.at(1), 2, -1, {2, 1});
        QTest::qSleep(5);
        second.note(keys.at(2), 4, -1, {-1, 2});
        first.setColours(PageColours::Night);
        QTest::qSleep(5);
        second.setColours(PageColours::Warm);
        first.save();
        QVERIFY(saveAndWait(second));
        first.waitForSaves();
        const QString expected = "1/0.5/0/0 2/-1/2/1 4/-1/-1/2";
        QCOMPARE(placesIn(ReadingPlaces(folder()), keys), expected);
        QCOMPARE(ReadingPlaces(folder()).colours(), PageColours::Warm);
        first.note(keys.at(0), 1, 0.5, {0, 0});
        QVERIFY(saveAndWait(first));
        QCOMPARE(placesIn(first, keys), expected);
    }

    // The recent documents, newest first, ten at most; an opening in another copy, or a file
    // opened again, goes to the top, and a document forgotten goes unless opened again later.
    void recentDocumentsAreShared()
    {
        RecentDocuments first(folder());
        RecentDocuments second(folder());
        for (int document = 0; document < 12; ++document)
            first.noteOpened(QString("/%1.pdf").arg(document));
        first.noteOpened("/sub/../3.pdf");
        QTest::qSleep(20);
        second.noteOpened("/new.pdf");
        second.noteOpened("/11.pdf");
        second.forget("/11.pdf");
        QVERIFY(saveAndWait(first) && saveAndWait(second));
        const QStringList expected{"/new.pdf", "/3.pdf", "/10.pdf", "/9.pdf", "/8.pdf",
                                   "/7.pdf",   "/6.pdf", "/5.pdf",  "/4.pdf", "/2.pdf"};
        QCOMPARE(RecentDocuments(folder()).paths(), expected);
        first.noteOpened("/9.pdf");
        QVERIFY(saveAndWait(first));
        QCOMPARE(first.paths().mid(0, 3), QStringList({"/9.pdf", "/new.pdf", "/3.pdf"}));
        QCOMPARE(TestFiles::read(first.filePath()).count("recent\t"), 10);
    }

    // A file that cannot be written, a damaged one or a pipe stops nothing: the places stay known
    // to this copy, the file keeps what it held, and the next sound save writes it whole.
    void unwritableAndDamagedFiles()
    {
        QVERIFY(TestFiles::write(m_dir->filePath("blocked"), "a file, not a folder"));
        ReadingPlaces blocked(m_dir->filePath("blocked"));
        blocked.note("pdf\t1", 2, -1, {});
        QVERIFY(!saveAndWait(blocked));
        QCOMPARE(placesIn(blocked, {"pdf\t1"}), "2/-1/0/0");

        ReadingPlaces places(folder());
        places.note("pdf\t1", 2, -1, {});
        QVERIFY(saveAndWait(places));
        const QByteArray saved = TestFiles::read(places.filePath());
        places.note("pdf\t2", 3, -1, {});
        {
            const TestFiles::FileSizeLimit limit(saved.size() + 10);
            QVERIFY(!saveAndWait(places));
        }
        QCOMPARE(TestFiles::read(places.filePath()), saved);

        QVERIFY(QDir().mkpath(m_dir->filePath("pipe")));
        QCOMPARE(mkfifo(qPrintable(m_dir->filePath("pipe/state")), 0600), 0);
        QCOMPARE(placesIn(ReadingPlaces(m_dir->filePath("pipe")), {"pdf\t1"}), "-");
        // A link is neither read nor written through, nor replaced.
        QVERIFY(QDir().mkpath(m_dir->filePath("link")));
        const QString target = m_dir->filePath("target");
        QVERIFY(QFile::copy(places.filePath(), target));
        ReadingPlaces linked(m_dir->filePath("link"));
        QVERIFY(QFile::link(target, linked.filePath()));
        QCOMPARE(placesIn(linked, {"pdf\t1"}), "-");
        linked.note("pdf\t9", 9, -1, {});
        QVERIFY(!saveAndWait(linked));
        QCOMPARE(TestFiles::read(target), saved);
        QVERIFY(TestFiles::write(places.filePath(), QByteArray("\0garbage", 8)));
        QCOMPARE(placesIn(ReadingPlaces(folder()), {"pdf\t1"}), "-");
        places.note("pdf\t3", 4, -1, {});
        QVERIFY(saveAndWait(places));
        QCOMPARE(placesIn(ReadingPlaces(folder()), {"pdf\t1", "pdf\t2", "pdf\t3"}),
                 "- 3/-1/0/0 4/-1/0/0");
    }
};

QTEST_GUILESS_MAIN(TestState)
#include "tst_state.moc"
