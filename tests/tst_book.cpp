// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/bookgenerator.h"
#include "core/book/bookreader.h"
#include "core/book/chapterplan.h"
#include "core/book/contentsindex.h"
#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"
#include "core/text/gbkcodec.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using TestFiles::bookOf;
using TestFiles::entriesOf;
using TestFiles::pdfLike;

namespace
{

bool appendTo(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::Append) && file.write(bytes) == bytes.size();
}

// The bytes of a chapter as copied; null when the copy failed cleanly: with a reason, no bytes.
QByteArray chapterOf(const QString &path, const BookContents &contents, int number)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    QString error;
    if (BookReader::copyChapter(path, contents, number, out, &error))
        return out.data();
    return error.isEmpty() || out.size() != 0 ? QByteArray("failed without a reason, or with bytes")
                                              : QByteArray();
}

} // namespace

// A failed or cancelled generation must leave an earlier book of the same name as it was.
class TestBook : public QObject
{
    Q_OBJECT

    QString folder(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    QString makeSource(const QString &fileName, const QByteArray &bytes) const
    {
        const QString path = QDir(folder("in")).filePath(fileName);
        return TestFiles::write(path, bytes) ? path : QString();
    }
    GenerationRequest requestFor(const QString &bookName, const QList<SourceEntry> &sources) const
    {
        return {bookName, folder("out"), sources, QString(), QString(), folder("scratch")};
    }
    QByteArray plantEarlierBook(int size = 50) const
    {
        const QByteArray book = bookOf(pdfLike(size, 99), ContentsIndex::encode({{"Old", size}}));
        return TestFiles::write(folder("out") + "/A.VELM", book) ? book : QByteArray();
    }
    // The save folder holds the earlier book, byte for byte, and nothing else; no scratch file.
    void verifyOnlyTheEarlierBook(const QByteArray &earlier) const
    {
        QCOMPARE(entriesOf(folder("out")), QStringList{"A.VELM"});
        QCOMPARE(TestFiles::read(folder("out") + "/A.VELM"), earlier);
        QCOMPARE(entriesOf(folder("scratch")), QStringList());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    using Trailer = std::tuple<qint64, qint32, bool>;
    using DamagedLine = std::tuple<QString, QString, bool, bool>;
    using Failure = std::tuple<QString, QString, QString, int, QString, GenerationStep, QString>;
    const QByteArray m_book = bookOf(pdfLike(40000, 1) + pdfLike(3000, 2),
                                     ContentsIndex::encode({{"One", 40000}, {"Two", 3000}}));

    // Sparse, so that nothing near `bookSize` is written; none when they cannot be made.
    QList<SourceEntry> sparseSourcesFor(qint64 bookSize) const
    {
        const qint64 first = 1000000000;
        const qint64 indexLength = ContentsIndex::encode({{"a", first}, {"b", first}}).size();
        const auto sparse = [this](const char *name, qint64 size) {
            QFile file(folder("in") + "/" + name + ".pdf");
            return file.open(QIODevice::WriteOnly) && file.resize(size);
        };
        if (!sparse("a", first) || !sparse("b", bookSize - 4 - indexLength - first))
            return {};
        return {{"a", folder("in") + "/a.pdf"}, {"b", folder("in") + "/b.pdf"}};
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        for (const char *name : {"in", "out", "scratch"})
            QVERIFY(QDir(m_dir->path()).mkdir(QLatin1String(name)));
    }

    // Changes to the book A B C D, each a word and its numbers: the new names and rows, or the
    // refusal that leaves the plan as it was.
    void plansChangesOfABook_data()
    {
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<int>("refusal");
        QTest::addColumn<QString>("names");
        QTest::addColumn<QList<int>>("newRowOf");
        const auto row = [](const char *name, QStringList change, PlanRefusal refusal,
                            const char *names, QList<int> rows) {
            QTest::newRow(name) << change << int(refusal) << names << rows;
        };
        row("move 1 to 3", {"move", "1", "3"}, PlanRefusal::None, "BCAD", {2, 0, 1, 3});
        row("move 4 to 1", {"move", "4", "1"}, PlanRefusal::None, "DABC", {1, 2, 3, 0});
        row("add at 2", {"add", "2", "x.pdf", "y.PDF"}, PlanRefusal::None, "AxyBCD", {0, 3, 4, 5});
        row("add at the end", {"add", "0", "x.pdf"}, PlanRefusal::None, "ABCDx", {0, 1, 2, 3});
        row("remove 2", {"remove", "2"}, PlanRefusal::None, "ACD", {0, -1, 1, 2});
        row("rename 3", {"rename", "3", "Z"}, PlanRefusal::None, "ABZD", {0, 1, 2, 3});
        row("no chapter 5", {"move", "5", "1"}, PlanRefusal::NoSuchChapter, "ABCD", {0, 1, 2, 3});
        row("no place 5", {"move", "1", "5"}, PlanRefusal::NoSuchPlace, "ABCD", {0, 1, 2, 3});
        row("add past the end", {"add", "6", "x.pdf"}, PlanRefusal::NoSuchPlace, "ABCD",
            {0, 1, 2, 3});
        row("add no PDF", {"add", "1", "x.pdf", "y.txt"}, PlanRefusal::NotAPdf, "ABCD",
            {0, 1, 2, 3});
        row("rename with &", {"rename", "1", "a&b"}, PlanRefusal::AmpersandInName, "ABCD",
            {0, 1, 2, 3});
        row("remove 0", {"remove", "0"}, PlanRefusal::NoSuchChapter, "ABCD", {0, 1, 2, 3});
    }
    void plansChangesOfABook()
    {
        QFETCH(QStringList, change);
        BookContents book;
        for (const char *name : {"A", "B", "C", "D"})
            book.lines.append(ContentsIndex::parseLine(QString(name) + "♂"
                                                                       "1♀"
                                                                       "1"));
        ChapterPlan plan(book);
        const int first = change.at(1).toInt();
        PlanRefusal refusal = PlanRefusal::None;
        if (change.at(0) == "move")
            refusal = plan.move(first, change.at(2).toInt());
        else if (change.at(0) == "add")
            refusal = plan.add(change.mid(2), first);
        else if (change.at(0) == "remove")
            refusal = plan.remove(first);
        else
            refusal = plan.rename(first, change.at(2));
        QTEST(int(refusal), "refusal");
        QTEST(plan.names().join(QString()), "names");
        QTEST(plan.newRowOf(), "newRowOf");
        // The only chapter stays.
        ChapterPlan single(BookContents{});
        QCOMPARE(single.add({"x.pdf"}), PlanRefusal::None);
        QCOMPARE(single.remove(1), PlanRefusal::OnlyChapter);
    }

    // Chapter B (row 1 of A B C) is found again in a book someone else changed: by its name and
    // length, by its name alone, or renamed where it stood.
    void findsAChapterAgain_data()
    {
        QTest::addColumn<QStringList>("now");
        QTest::addColumn<int>("found");
        QTest::newRow("moved") << QStringList{"C:2", "B:3", "A:1", "B:1"} << 3;
        QTest::newRow("made anew") << QStringList{"B:5", "C:2"} << 0;
        QTest::newRow("renamed in place") << QStringList{"A:1", "Z:1", "C:2"} << 1;
        QTest::newRow("removed") << QStringList{"A:1", "C:2"} << -1;
        QTest::newRow("another in its place") << QStringList{"A:1", "C:1", "C:2"} << -1;
    }
    void findsAChapterAgain()
    {
        const auto lines = [](const QStringList &chapters) {
            QList<ContentsIndex::Line> lines;
            for (const QString &chapter : chapters)
                lines.append(ContentsIndex::parseLine(chapter.section(':', 0, 0) +
                                                      "♂"
                                                      "1♀" +
                                                      chapter.section(':', 1)));
            return lines;
        };
        QFETCH(QStringList, now);
        QTEST(FindChapterAgain(lines({"A:1", "B:1", "C:2"}), 1, lines(now)), "found");
    }

    // The worked examples' bytes, each over a larger earlier book, which it replaces whole.
    void writesTheWorkedExampleBooks_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QByteArray>("indexAndTrailer");
        QTest::newRow("two chapters")
            << QStringList{"Intro", "第二章"}
            << QByteArray::fromHex("496E74726FA1E131A1E2313030300D0A"
                                   "B5DAB6FED5C2A1E131303031A1E23235300D0A0D0A25000000");
        QTest::newRow("one chapter")
            << QStringList{"A"} << QByteArray::fromHex("41A1E131A1E2313030300D0A0D0A0E000000");
    }
    void writesTheWorkedExampleBooks()
    {
        QFETCH(QStringList, names);
        QFETCH(QByteArray, indexAndTrailer);
        plantEarlierBook(5000);
        QList<SourceEntry> sources;
        QByteArray chapterArea;
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray chapter = pdfLike(i == 0 ? 1000 : 250, i);
            chapterArea += chapter;
            sources.append({names.at(i), makeSource(names.at(i) + ".pdf", chapter)});
        }
        const GenerationResult result = GenerateBook(requestFor(QStringLiteral("A"), sources));
        QCOMPARE(result.outcome, GenerationOutcome::Written);
        QCOMPARE(result.bookPath, BookFilePath(folder("out"), QStringLiteral("A")));
        QCOMPARE(TestFiles::read(result.bookPath), chapterArea + indexAndTrailer);
        QCOMPARE(entriesOf(folder("out")), QStringList{"A.VELM"});
        QCOMPARE(entriesOf(folder("scratch")), QStringList());
    }

    // A name is written as one line of GBK that reads back as written: the marks, line ends,
    // control characters and what GBK cannot hold become "?".
    void writesEveryNameAsOneReadableLine_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::newRow("Chinese with a blank") << QString("第二章 诗集") << "第二章 诗集";
        QTest::newRow("marks") << QString("♀1♂2") << "?1?2";
        QTest::newRow("line end") << QString("a\r\nb") << "a??b";
        QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3) << "a?b";
        QTest::newRow("next line control") << QString::fromUtf16(u"a\u0085b") << "a?b";
        QTest::newRow("not in GBK") << QString("a😀b") << "a?b";
    }
    void writesEveryNameAsOneReadableLine()
    {
        QFETCH(QString, name);
        QFETCH(QString, written);
        const QByteArray index = ContentsIndex::encode({{name, 5}, {QStringLiteral("Z"), 7}});
        QCOMPARE(index, Gbk::encode(written + "♂1♀5\r\nZ♂6♀7\r\n\r\n"));
        const QList<ContentsIndex::Line> lines = ContentsIndex::parse(index);
        QVERIFY(lines.size() == 2 && lines.at(0).valid && lines.at(1).valid);
        QCOMPARE(lines.at(0).name(), written);
    }

    // Both fields are used exactly as typed: blanks at the ends stay, a final separator doubles.
    void writesTheBookWhereTheFieldsSay()
    {
        GenerationRequest request =
            requestFor(QStringLiteral(" 诗集 "), {{"s", makeSource("s.pdf", pdfLike(10, 8))}});
        request.saveFolder += QLatin1Char('/');
        QCOMPARE(GenerateBook(request).bookPath, folder("out") + QStringLiteral("// 诗集 .VELM"));
        QCOMPARE(entriesOf(folder("out")), QStringList{QStringLiteral(" 诗集 .VELM")});
    }

    // A line, the name read from it, whether it is valid and its chapter can be read from the
    // book's 30-byte chapter area. 乗 is 81 5C, 亄 81 7B, 亅 81 7C: trail bytes that are ASCII
    // characters. 啊酅 is B0 A1 E1 40 and 啊釦 B0 A1 E2 40: the bytes of "♂" (A1 E1) and "♀"
    // (A1 E2) across character boundaries.
    void damagedLinesKeepTheirPlace_data()
    {
        QTest::addColumn<DamagedLine>("row");
        QTest::newRow("no start mark") << DamagedLine{"B1♀5", "B1♀5", false, false};
        QTest::newRow("no length mark") << DamagedLine{"B♂15", "B", false, false};
        QTest::newRow("marks swapped") << DamagedLine{"B♀5♂1", "B♀5", false, false};
        QTest::newRow("letter in the start") << DamagedLine{"B♂1a♀5", "B", false, false};
        QTest::newRow("blank before the start") << DamagedLine{"B♂ 1♀5", "B", false, false};
        QTest::newRow("plus sign") << DamagedLine{"B♂+1♀5", "B", false, false};
        QTest::newRow("minus sign") << DamagedLine{"B♂1♀-5", "B", false, false};
        QTest::newRow("start past 32 bits") << DamagedLine{"B♂2147483648♀5", "B", false, false};
        QTest::newRow("start zero") << DamagedLine{"B♂0♀5", "B", false, false};
        QTest::newRow("length zero") << DamagedLine{"B♂1♀0", "B", false, false};
        QTest::newRow("largest") << DamagedLine{"B♂2147483647♀2147483647", "B", true, false};
        QTest::newRow("one byte past the area") << DamagedLine{"B♂21♀11", "B", true, false};
        QTest::newRow("last byte of the area") << DamagedLine{"B♂30♀1", "B", true, true};
        QTest::newRow("whole area") << DamagedLine{"B♂1♀30", "B", true, true};
        QTest::newRow("ASCII trail bytes") << DamagedLine{"乗亄亅\\♂1♀5", "乗亄亅\\", true, true};
        QTest::newRow("marks across characters")
            << DamagedLine{"啊酅啊釦♂1♀5", "啊酅啊釦", true, true};
    }
    void damagedLinesKeepTheirPlace()
    {
        QFETCH(DamagedLine, row);
        const auto &[line, name, valid, readable] = row;
        const QByteArray chapterArea = pdfLike(30, 3);
        const QString path = folder("out") + QStringLiteral("/damaged.VELM");
        QVERIFY(TestFiles::write(
            path, bookOf(chapterArea, Gbk::encode("A♂1♀10\r\n" + line + "\r\nC♂11♀20\r\n\r\n"))));
        const BookContents contents = BookReader::readContents(path);
        QVERIFY(contents.ok && contents.lines.size() == 3 && contents.lines.at(2).name() == "C");
        const ContentsIndex::Line &damaged = contents.lines.at(1);
        QCOMPARE(damaged.name(), name);
        QCOMPARE(damaged.text, line);
        QCOMPARE(damaged.valid, valid);
        QCOMPARE(contents.chapterReadable(1), readable);
        QCOMPARE(chapterOf(path, contents, 1),
                 readable ? chapterArea.mid(damaged.start - 1, damaged.length) : QByteArray());
    }

    // A file's size, the index length its trailer gives, whether it opens; the large files are
    // sparse, and reading one whole would show as a test that takes minutes. Opened, the index
    // here is zeros: one damaged line, which cannot be read. A missing file or a folder fails with
    // a reason. Every cut and changed byte of sound books is swept by the book's fuzz replay.
    void untrustedTrailersGiveNoChapters_data()
    {
        const qint64 mib = 1024 * 1024;
        QTest::addColumn<Trailer>("row");
        QTest::newRow("empty file") << Trailer{0, 0, false};
        QTest::newRow("index length zero") << Trailer{100, 0, false};
        QTest::newRow("negative index length") << Trailer{100, -1, false};
        QTest::newRow("index one byte too long") << Trailer{100, 97, false};
        QTest::newRow("index fills the file") << Trailer{100, 96, true};
        QTest::newRow("index over the largest") << Trailer{3 * 1024 * mib, 32 * mib + 1, false};
        QTest::newRow("file over 2 GiB") << Trailer{3 * 1024 * mib, 14, true};
    }
    void untrustedTrailersGiveNoChapters()
    {
        QFETCH(Trailer, row);
        const auto &[fileSize, indexLength, opens] = row;
        const QString path = folder("out") + "/trailer.VELM";
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(qMax<qint64>(fileSize - 4, 0)));
        const QByteArray trailer =
            TestFiles::trailer(indexLength).right(int(qMin<qint64>(fileSize, 4)));
        QVERIFY(file.seek(file.size()) && file.write(trailer) == trailer.size());
        file.close();
        const BookContents contents = BookReader::readContents(path);
        QCOMPARE(contents.ok, opens);
        QCOMPARE(contents.error.isEmpty(), opens);
        QCOMPARE(contents.lines.size(), opens ? 1 : 0);
        QVERIFY(!contents.chapterReadable(0));
        QCOMPARE(contents.chapterAreaSize, opens ? fileSize - 4 - indexLength : 0);
        for (const QString &path : {m_dir->filePath("missing.VELM"), folder("out")}) {
            const BookContents contents = BookReader::readContents(path);
            QVERIFY(!contents.ok && !contents.error.isEmpty() && contents.lines.isEmpty());
        }
    }

    // In chunks of at most ChunkSize; a chapter file that cannot take all the bytes, small enough
    // to wait in the file's buffer or written straight through, fails with a reason; so does a book
    // rebuilt to the same size after its index was read, grown, or gone.
    void copiesChaptersExactlyOrFailsClearly()
    {
        const QList<QByteArray> chapters{pdfLike(SafeWrite::ChunkSize * 5 / 2 + 3, 1),
                                         pdfLike(1, 2), pdfLike(1000, 3)};
        const QString path = folder("out") + QStringLiteral("/three.VELM");
        QVERIFY(TestFiles::write(
            path,
            bookOf(chapters.at(0) + chapters.at(1) + chapters.at(2),
                   ContentsIndex::encode({{"a", chapters.at(0).size()}, {"b", 1}, {"c", 1000}}))));
        const BookContents contents = BookReader::readContents(path);
        QString error;
        for (int number = 0; number < 3; ++number) {
            TestFiles::FailDevice device(
                chapters.at(number).size()); // room for the chapter exactly
            QVERIFY(device.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            QVERIFY2(BookReader::copyChapter(path, contents, number, device, &error),
                     qPrintable(error));
            QCOMPARE(device.data, chapters.at(number));
            QVERIFY(device.largestWrite <= SafeWrite::ChunkSize);
        }
        QCOMPARE(chapterOf(path, contents, -1), QByteArray());
        QCOMPARE(chapterOf(path, contents, 3), QByteArray());
        for (const int number : {2, 0}) {
            QFile out(m_dir->filePath(QStringLiteral("limited%1.pdf").arg(number)));
            QVERIFY(out.open(QIODevice::WriteOnly));
            error.clear();
            TestFiles::FileSizeLimit limit(512);
            QVERIFY(!BookReader::copyChapter(path, contents, number, out, &error) &&
                    !error.isEmpty());
        }
        {
            QFile rebuilt(path);
            QVERIFY(rebuilt.open(QIODevice::ReadWrite) && rebuilt.write("%PDF-9") == 6 &&
                    rebuilt.flush());
            QVERIFY(rebuilt.setFileTime(contents.modified.addSecs(1),
                                        QFileDevice::FileModificationTime));
        }
        QCOMPARE(chapterOf(path, contents, 1), QByteArray());
        QVERIFY(appendTo(path, "x"));
        QCOMPARE(chapterOf(path, contents, 1), QByteArray());
        QVERIFY(QFile::remove(path));
        QCOMPARE(chapterOf(path, contents, 1), QByteArray());
    }

    // A missing source, a zero-byte one, no source, 32768 chapters, a book one byte over
    // 2 GiB - 1, a scratch folder below a file, a missing save folder, a blank name or folder.
    // Each case: the name, the save and scratch folders (relative to the test folder; blank ones
    // used as they are), how many times in/good.pdf is a source, the bad source after them, then
    // the step and file of the failure. Corrected input then succeeds: nothing of the failed
    // attempt is in the way.
    void failedGenerationKeepsTheEarlierBook_data()
    {
        using Step = GenerationStep;
        const int most = ContentsIndex::MaxChapters;
        QTest::addColumn<Failure>("row");
        QTest::newRow("missing source")
            << Failure("A", "out", "scratch", 1, "missing", Step::Measuring, "in/bad.pdf");
        QTest::newRow("zero-byte source")
            << Failure("A", "out", "scratch", 1, "empty", Step::Measuring, "in/bad.pdf");
        QTest::newRow("no source") << Failure("A", "out", "scratch", 0, "", Step::Opening, "");
        QTest::newRow("too many chapters")
            << Failure("A", "out", "scratch", most + 1, "", Step::Measuring, "");
        QTest::newRow("book one byte too large")
            << Failure("A", "out", "scratch", 0, "sparse", Step::Measuring, "");
        QTest::newRow("scratch folder below a file")
            << Failure("A", "out", "in/good.pdf/scratch", 1, "", Step::ScratchIndex,
                       "in/good.pdf/scratch/Velmforge.txt");
        QTest::newRow("missing save folder")
            << Failure("A", "out/missing", "scratch", 1, "", Step::Opening, "out/missing/A.VELM");
        QTest::newRow("blank name") << Failure("   ", "out", "scratch", 1, "", Step::Opening, "");
        QTest::newRow("blank folder") << Failure("A", "  ", "scratch", 1, "", Step::Opening, "");
    }
    void failedGenerationKeepsTheEarlierBook()
    {
        QFETCH(Failure, row);
        const auto &[bookName, saveFolder, scratch, goodCopies, bad, step, failingFile] = row;
        const QByteArray earlier = plantEarlierBook();
        const auto resolved = [this](const QString &path) {
            return path.trimmed().isEmpty() ? path : m_dir->filePath(path);
        };
        const SourceEntry good{QStringLiteral("good"), makeSource("good.pdf", pdfLike(300, 1))};
        GenerationRequest request{
            bookName,  resolved(saveFolder), QList<SourceEntry>(goodCopies, good), QString(),
            QString(), resolved(scratch)};
        if (bad == QLatin1String("empty"))
            makeSource("bad.pdf", QByteArray());
        if (bad == QLatin1String("sparse"))
            request.sources = sparseSourcesFor(ContentsIndex::MaxBookSize + 1);
        else if (!bad.isEmpty())
            request.sources.append({QStringLiteral("bad"), folder("in") + "/bad.pdf"});

        const GenerationResult result = GenerateBook(request);
        const bool blank = bookName.trimmed().isEmpty() || saveFolder.trimmed().isEmpty();
        QCOMPARE(result.outcome,
                 blank ? GenerationOutcome::FieldsMissing : GenerationOutcome::Failed);
        QVERIFY(blank || (result.step == step && !result.cause.isEmpty() &&
                          result.file == resolved(failingFile)));
        verifyOnlyTheEarlierBook(earlier);
        QCOMPARE(TestFiles::read(good.path), pdfLike(300, 1));
        const GenerationResult retry = GenerateBook(requestFor(QStringLiteral("A"), {good}));
        QCOMPARE(retry.outcome, GenerationOutcome::Written);
    }

    // The device keeps exactly the bytes taken, whether the first chapter, the chapters, one byte
    // short of the book or the book fit on it; what a failure does to a book file is in
    // tst_faults.
    void writeFailingAfterNBytesKeepsTheEarlierBook_data()
    {
        QTest::addColumn<qint64>("limit");
        QTest::addColumn<GenerationStep>("step");
        QTest::newRow("first chapter fits") << qint64(40000) << GenerationStep::Copying;
        QTest::newRow("chapters fit") << qint64(43000) << GenerationStep::Finishing;
        QTest::newRow("one byte short") << qint64(m_book.size() - 1) << GenerationStep::Finishing;
        QTest::newRow("book fits") << qint64(m_book.size()) << GenerationStep::Finishing;
    }
    void writeFailingAfterNBytesKeepsTheEarlierBook()
    {
        QFETCH(qint64, limit);
        QFETCH(GenerationStep, step);
        const GenerationRequest request =
            requestFor(QStringLiteral("A"), {{"One", makeSource("One.pdf", pdfLike(40000, 1))},
                                             {"Two", makeSource("Two.pdf", pdfLike(3000, 2))}});
        const bool fits = limit == m_book.size();
        TestFiles::FailDevice device(limit);
        const GenerationResult toDevice = GenerateBook(request, device);
        QCOMPARE(toDevice.outcome, fits ? GenerationOutcome::Written : GenerationOutcome::Failed);
        QCOMPARE(device.data, m_book.left(limit));
        QVERIFY(fits || (toDevice.step == step && toDevice.cause == "no space left on the device"));
    }

    // Cancelled in a chapter or after the last; a source grown or shrunk before it is opened or
    // while it is copied, when the first chunk is done: a few bytes are left to read, then the
    // end. Nothing is reported after a cancellation.
    void changeDuringTheCopyKeepsTheEarlierBook_data()
    {
        QTest::addColumn<QString>("change");
        QTest::newRow("cancelled in a chapter") << "cancel while";
        QTest::newRow("cancelled after the last") << "cancel at the end";
        QTest::newRow("grown before opened") << "grow before";
        QTest::newRow("shrunk before opened") << "shrink before";
        QTest::newRow("grown while copied") << "grow while";
        QTest::newRow("shrunk while copied") << "shrink while";
    }
    void changeDuringTheCopyKeepsTheEarlierBook()
    {
        QFETCH(QString, change);
        const QByteArray earlier = plantEarlierBook();
        const qint64 secondLength = SafeWrite::ChunkSize * 5 / 2 + 7;
        const QString second = makeSource("second.pdf", pdfLike(secondLength, 2));
        const GenerationRequest request = requestFor(
            "A", {{"first", makeSource("first.pdf", pdfLike(100, 1))}, {"second", second}});
        const bool cancels = change.startsWith("cancel");
        const bool whileCopying = change.endsWith("while");
        int changes = 0;
        int callsAfterCancelling = 0;
        const GenerationResult result = GenerateBook(request, [&](const auto &progress) {
            const bool now =
                change.endsWith("end")
                    ? progress.chaptersDone == 2
                    : progress.chaptersDone == 1 &&
                          (whileCopying ? progress.bytesDone > 100 : progress.bytesDone == 100);
            if (changes > 0 || !now) {
                callsAfterCancelling += changes > 0 && cancels ? 1 : 0;
                return true;
            }
            ++changes;
            if (cancels)
                return false;
            if (change.startsWith("grow"))
                return appendTo(second, "more");
            return QFile(second).resize(whileCopying ? SafeWrite::ChunkSize + 10
                                                     : secondLength - 1);
        });
        QCOMPARE(changes, 1);
        QCOMPARE(callsAfterCancelling, 0);
        QCOMPARE(result.outcome,
                 cancels ? GenerationOutcome::Cancelled : GenerationOutcome::Failed);
        QVERIFY(cancels || (result.step == GenerationStep::Copying && result.file == second &&
                            !result.cause.isEmpty()));
        verifyOnlyTheEarlierBook(earlier);
    }

    // A 2147483647-byte book passes the size check and reaches copying, where a file-size limit
    // stops it long before 2 GiB are written.
    void largestBookAndChapterCountAreAccepted()
    {
        const qint64 largest = ContentsIndex::MaxBookSize;
        QVERIFY(ContentsIndex::fitsInBook(1, ContentsIndex::MaxIndexLength));
        QVERIFY(!ContentsIndex::fitsInBook(1, ContentsIndex::MaxIndexLength + 1));
        QVERIFY(!ContentsIndex::fitsInBook(-1, 14) && !ContentsIndex::fitsInBook(largest, largest));

        const QByteArray earlier = plantEarlierBook();
        const GenerationRequest request =
            requestFor(QStringLiteral("A"), sparseSourcesFor(largest));
        QVERIFY(!request.sources.isEmpty());
        GenerationResult result;
        {
            TestFiles::FileSizeLimit limit(4 * SafeWrite::ChunkSize);
            result = GenerateBook(request);
        }
        QVERIFY(result.outcome == GenerationOutcome::Failed &&
                result.step == GenerationStep::Copying);
        verifyOnlyTheEarlierBook(earlier);

        const SourceEntry one{QStringLiteral("c"), makeSource("c.pdf", "%")};
        const GenerationResult most = GenerateBook(
            requestFor(QStringLiteral("B"), QList<SourceEntry>(ContentsIndex::MaxChapters, one)));
        const BookContents contents = BookReader::readContents(most.bookPath);
        QVERIFY2(contents.ok, qPrintable(contents.error));
        QCOMPARE(contents.lines.size(), ContentsIndex::MaxChapters);
        QCOMPARE(contents.lines.last().start, ContentsIndex::MaxChapters);
        QCOMPARE(chapterOf(most.bookPath, contents, ContentsIndex::MaxChapters - 1),
                 QByteArray("%"));
    }

    // A link planted at the scratch index path is never written through, by generation or reading;
    // the private scratch folder is the owner's alone, and goes with its object.
    void scratchIndexFileIsNeitherLeftNorFollowed()
    {
        const QString victim = m_dir->filePath(QStringLiteral("victim.txt"));
        const QString planted = folder("scratch") + "/Velmforge.txt";
        QVERIFY(TestFiles::write(victim, "keep me") && QFile::link(victim, planted));
        const GenerationResult result = GenerateBook(
            requestFor(QStringLiteral("A"), {{"good", makeSource("good.pdf", pdfLike(300, 1))}}));
        QCOMPARE(result.outcome, GenerationOutcome::Written);
        QVERIFY(QFile::link(victim, planted));
        const ScratchFolder scratch(folder("scratch"));
        QCOMPARE(BookReader::readContents(result.bookPath, &scratch).lines.size(), 1);
        QCOMPARE(TestFiles::read(victim), QByteArray("keep me"));
        QCOMPARE(entriesOf(folder("scratch")), QStringList());

        QString privatePath;
        {
            const ScratchFolder owned;
            privatePath = owned.path();
            QVERIFY(owned.isValid() && !(QFileInfo(privatePath).permissions() & 0x0077));
            QVERIFY(BookReader::readContents(result.bookPath, &owned).ok);
            QCOMPARE(entriesOf(privatePath), QStringList());
        }
        QVERIFY(!QFileInfo::exists(privatePath));
    }

    // A name is shown whole up to 200 characters, else cut there with "…", never inside a
    // character outside the Basic Multilingual Plane.
    void shownNamesAreCut_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("shown");
        const QString a200(200, QLatin1Char('a'));
        QTest::newRow("short") << "第一章"
                               << "第一章";
        QTest::newRow("at the bound") << a200 << a200;
        QTest::newRow("past it") << a200 + "b" << a200 + "…";
        QTest::newRow("32 MiB") << QString(16 * 1024 * 1024, QLatin1Char('a')) << a200 + "…";
        QTest::newRow("a pair at the cut")
            << QString(199, QLatin1Char('a')) + "😀b" << QString(199, QLatin1Char('a')) + "…";
    }
    void shownNamesAreCut()
    {
        QFETCH(QString, name);
        QTEST(ContentsIndex::shownName(name), "shown");
    }
};

QTEST_GUILESS_MAIN(TestBook)
#include "tst_book.moc"
