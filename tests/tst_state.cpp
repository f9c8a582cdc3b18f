// SPDX-License-Identifier: GPL-2.0-or-later
// The state file and the reading places kept in it.
#include "core/state/readingplaces.h"
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
QStringList placesIn(const ReadingPlaces &places, const QStringList &keys)
{
    QStringList known;
    for (const QString &key : keys) {
        const std::optional<SavedPlace> place = places.placeOf(key);
        known << (place ? QStringLiteral("%1/%2/%3/%4")
                              .arg(place->page)
                              .arg(place->top)
                              .arg(place->look.zoom)
                              .arg(place->look.quarterTurns)
                        : QStringLiteral("-"));
    }
    return known;
}

bool saveAndWait(ReadingPlaces &places)
{
    QSignalSpy saved(&places, &ReadingPlaces::saved);
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

    // Paths with tabs, line breaks, "%" and Chinese come back as they went; a kind this version
    // does not know is kept as it stands.
    void roundTrip()
    {
        StateContents contents;
        contents.places.insert(StateFile::pdfKey("/书/a\tb\n%.pdf"), {7, 3, 0.25, {1.5, 1}});
        contents.places.insert(StateFile::chapterKey("/b.VELM", "一 ♂", 100, 2),
                               {8, 9, -1, {-1, 3}});
        contents.otherLines << "colours\tnight";
        const QByteArray text = StateFile::format(contents);
        QVERIFY(text.startsWith(Header) && text.count('\n') == 4);
        QCOMPARE(StateFile::format(StateFile::parse(text)), text);
    }

    // A file that is not ours reads as empty; a known line whose fields do not read is dropped,
    // its neighbours kept.
    void damagedFiles_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("places");
        const QByteArray good = "pdf\t%2Fa.pdf\t5\t2\t-1\t0\t0\n";
        QTest::newRow("sound") << Header + good << 1;
        QTest::newRow("no header") << good << 0;
        QTest::newRow("a later version") << "quillmoor-state 2\n" + good << 0;
        QTest::newRow("binary") << QByteArray("\0\xff\n\t\t", 5) << 0;
        QTest::newRow("a field too few") << Header + good + "pdf\t%2Fb.pdf\t5\t2\t-1\t0\n" << 1;
        QTest::newRow("page 0") << Header + good + "pdf\t%2Fb.pdf\t5\t0\t-1\t0\t0\n" << 1;
        QTest::newRow("five turns") << Header + good + "pdf\t%2Fb.pdf\t5\t1\t-1\t0\t5\n" << 1;
        QTest::newRow("no number") << Header + good + "chapter\t%2Fb\tx\ty\t0\t5\t1\t-1\t0\t0\n"
                                   << 1;
    }
    void damagedFiles()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, places);
        QCOMPARE(StateFile::parse(text).places.size(), places);
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
    // a later reading of one document wins over an earlier one.
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
        QSignalSpy firstSaved(&first, &ReadingPlaces::saved);
        QSignalSpy secondSaved(&second, &ReadingPlaces::saved);
        first.save();
        second.save();
        QVERIFY(firstSaved.wait(5000) || firstSaved.size() == 1);
        QVERIFY(secondSaved.size() == 1 || secondSaved.wait(5000));
        QVERIFY(firstSaved.first().first().toBool() && secondSaved.first().first().toBool());
        const QStringList expected{"1/0.5/0/0", "2/-1/2/1", "4/-1/-1/2"};
        QCOMPARE(placesIn(ReadingPlaces(folder()), keys), expected);
        first.note(keys.at(0), 1, 0.5, {0, 0});
        QVERIFY(saveAndWait(first));
        QCOMPARE(placesIn(first, keys), expected);
    }

    // A file that cannot be written, a damaged one or a pipe stops nothing: the places stay known
    // to this copy, the file keeps what it held, and the next sound save writes it whole.
    void unwritableAndDamagedFiles()
    {
        QVERIFY(TestFiles::write(m_dir->filePath("blocked"), "a file, not a folder"));
        ReadingPlaces blocked(m_dir->filePath("blocked"));
        blocked.note("pdf\t1", 2, -1, {});
        QVERIFY(!saveAndWait(blocked));
        QCOMPARE(placesIn(blocked, {"pdf\t1"}), QStringList{"2/-1/0/0"});

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
        QCOMPARE(placesIn(ReadingPlaces(m_dir->filePath("pipe")), {"pdf\t1"}), QStringList{"-"});
        QVERIFY(TestFiles::write(places.filePath(), QByteArray("\0garbage", 8)));
        QCOMPARE(placesIn(ReadingPlaces(folder()), {"pdf\t1"}), QStringList{"-"});
        places.note("pdf\t3", 4, -1, {});
        QVERIFY(saveAndWait(places));
        QCOMPARE(placesIn(ReadingPlaces(folder()), {"pdf\t1", "pdf\t2", "pdf\t3"}),
                 QStringList({"-", "3/-1/0/0", "4/-1/0/0"}));
    }
};

QTEST_GUILESS_MAIN(TestState)
#include "tst_state.moc"
