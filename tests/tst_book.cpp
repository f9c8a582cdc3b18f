#include "core/book/bookgenerator.h"
#include "core/book/bookreader.h"
#include "core/book/bytesource.h"
#include "core/book/contentsindex.h"
#include "core/text/gbkcodec.h"
#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"
#include "testfiles.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <climits>
#include <memory>

namespace
{

using Sizes = QList<int>;

const QString IndexFileName = QStringLiteral("Velmforge.txt");

QByteArray trailerOf(qint32 length)
{
    uchar bytes[4];
    qToLittleEndian(length, bytes);
    return QByteArray(reinterpret_cast<const char *>(bytes), 4);
}

QByteArray bookOf(const QList<QByteArray> &chapters, const QByteArray &index)
{
    QByteArray book;
    for (const QByteArray &chapter : chapters)
        book += chapter;
    return book + index + trailerOf(qint32(index.size()));
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

bool makeSparseFile(const QString &path, qint64 size)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.resize(size);
}

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
    return error.isEmpty() || out.size() != 0 ? QByteArray("a failure without a reason, or with bytes")
                                              : QByteArray();
}

// A book that exists only as a size and its last bytes; everything before them reads as zeros.
// It records the longest read asked of it, so a test can see that nothing big was read.
class TailOnlySource : public ByteSource
{
public:
    TailOnlySource(qint64 size, QByteArray tail) : m_size(size), m_tail(std::move(tail)) {}
    qint64 size() const override { return m_size; }
    bool readAt(qint64 offset, char *data, qint64 length) override
    {
        m_longestRead = qMax(m_longestRead, length);
        if (offset < 0 || length < 0 || offset > m_size || length > m_size - offset)
            return false;
        const qint64 tailStart = m_size - m_tail.size();
        for (qint64 i = 0; i < length; ++i)
            data[i] = offset + i >= tailStart ? m_tail.at(offset + i - tailStart) : '\0';
        return true;
    }
    qint64 longestRead() const { return m_longestRead; }

private:
    qint64 m_size;
    QByteArray m_tail;
    qint64 m_longestRead = 0;
};

// Keeps what is written and the largest single write it was given.
class RecordingDevice : public QIODevice
{
public:
    QByteArray data;
    qint64 largestWrite = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *bytes, qint64 length) override
    {
        largestWrite = qMax(largestWrite, length);
        data.append(bytes, length);
        return length;
    }
};

enum class FailureCause {
    MissingSource,
    FolderSource,
    ZeroByteSource,
    EmptyList,
    TooManyChapters,
    OneByteOverTheLargestBook,
    ScratchFolderBelowAFile,
    SaveFolderMissing,
    SaveFolderBelowAFile,
};

enum class SizeChange {
    GrowBeforeOpening,
    ShrinkBeforeOpening,
    GrowWhileCopying,
    ShrinkWhileCopying
};

} // namespace

Q_DECLARE_METATYPE(FailureCause)
Q_DECLARE_METATYPE(SizeChange)
Q_DECLARE_METATYPE(GenerationStep)

class TestBook : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void writesTheWorkedExampleBooks_data();
    void writesTheWorkedExampleBooks();
    void writesEveryNameAsOneReadableLine_data();
    void writesEveryNameAsOneReadableLine();
    void writesTheBookWhereTheFieldsSay();

    void readsEveryLineEnding_data();
    void readsEveryLineEnding();
    void damagedLinesKeepTheirPlace_data();
    void damagedLinesKeepTheirPlace();
    void untrustedTrailersGiveNoChapters_data();
    void untrustedTrailersGiveNoChapters();
    void damagedBooksOpenOrFailCleanly();
    void copiesChaptersExactlyInBoundedChunks();
    void chapterCopyFailsClearly();

    void failedGenerationKeepsTheEarlierBook_data();
    void failedGenerationKeepsTheEarlierBook();
    void blankFieldsWriteNothing_data();
    void blankFieldsWriteNothing();
    void failedWriteKeepsTheEarlierBook_data();
    void failedWriteKeepsTheEarlierBook();
    void cancellingKeepsTheEarlierBook_data();
    void cancellingKeepsTheEarlierBook();
    void sourceChangingSizeFails_data();
    void sourceChangingSizeFails();
    void largestBookIsAccepted();
    void largestChapterCountIsAccepted();

    void reportsProgressWithinAndAcrossChapters();
    void sameSourceTwiceGivesTwoChapters();
    void regeneratingWithFewerChaptersShrinksTheBook();
    void scratchIndexFileIsNeitherLeftNorFollowed();

private:
    QString folder(const char *name) const { return m_dir->filePath(QLatin1String(name)); }
    QString makeSource(const QString &fileName, const QByteArray &bytes) const;
    GenerationRequest requestFor(const QString &bookName, const QList<SourceEntry> &sources) const;
    QByteArray plantEarlierBook(const QString &bookName) const;
    void verifyOnlyTheEarlierBook(const QString &bookName, const QByteArray &earlier) const;
    QString problemOpening(const QByteArray &bytes) const;
    QList<SourceEntry> sparseSourcesFor(qint64 bookSize) const;

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestBook::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    for (const char *name : {"in", "out", "program", "scratch"})
        QVERIFY(QDir(m_dir->path()).mkdir(QLatin1String(name)));
}

void TestBook::cleanup()
{
    m_dir.reset();
}

QString TestBook::makeSource(const QString &fileName, const QByteArray &bytes) const
{
    const QString path = QDir(folder("in")).filePath(fileName);
    if (!TestFiles::write(path, bytes))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

GenerationRequest TestBook::requestFor(const QString &bookName,
                                       const QList<SourceEntry> &sources) const
{
    GenerationRequest request;
    request.bookName = bookName;
    request.saveFolder = folder("out");
    request.sources = sources;
    request.programFolder = folder("program");
    request.runningProgram = QCoreApplication::applicationFilePath();
    request.scratchFolder = folder("scratch");
    return request;
}

QByteArray TestBook::plantEarlierBook(const QString &bookName) const
{
    const QByteArray chapter = TestFiles::pdfLike(50, 99);
    const QByteArray book = bookOf({chapter}, ContentsIndex::encode({{QStringLiteral("Old"), 50}}));
    if (!TestFiles::write(BookFilePath(folder("out"), bookName), book))
        qWarning("cannot plant the earlier book");
    return book;
}

// Two sparse sources whose book would be `bookSize` bytes, so nothing near that size is written;
// none when they cannot be made.
QList<SourceEntry> TestBook::sparseSourcesFor(qint64 bookSize) const
{
    const qint64 first = 1000000000;
    const qint64 indexLength = ContentsIndex::encode({{"a", first}, {"b", first}}).size();
    const qint64 second = bookSize - 4 - indexLength - first;
    const QString a = folder("in") + QStringLiteral("/a.pdf");
    const QString b = folder("in") + QStringLiteral("/b.pdf");
    if (ContentsIndex::encode({{"a", first}, {"b", second}}).size() != indexLength ||
        !makeSparseFile(a, first) || !makeSparseFile(b, second))
        return {};
    return {{"a", a}, {"b", b}};
}

// The save folder holds the earlier book, byte for byte, and nothing else; the scratch folder is
// empty.
void TestBook::verifyOnlyTheEarlierBook(const QString &bookName, const QByteArray &earlier) const
{
    QCOMPARE(entriesOf(folder("out")), QStringList{bookName + QLatin1String(".VELM")});
    QCOMPARE(TestFiles::read(BookFilePath(folder("out"), bookName)), earlier);
    QCOMPARE(entriesOf(folder("scratch")), QStringList());
}

// Opens `bytes` as a book file and copies every chapter; empty when it all behaved, else what
// went wrong. A chapter may be read only when its range lies inside the chapter area.
QString TestBook::problemOpening(const QByteArray &bytes) const
{
    const QString path = m_dir->filePath(QStringLiteral("damaged.VELM"));
    if (!TestFiles::write(path, bytes))
        return QStringLiteral("cannot write the test file");
    const BookContents contents = BookReader::readContents(path);
    MemoryByteSource memory(bytes);
    const BookContents inMemory = BookReader::readContents(memory);
    if (inMemory.ok != contents.ok || inMemory.lines.size() != contents.lines.size())
        return QStringLiteral("a file and memory read differently");
    if (!contents.ok) {
        if (contents.error.isEmpty() || !contents.lines.isEmpty())
            return QStringLiteral("a failure without a reason, or with chapters");
        return QString();
    }
    if (contents.chapterAreaSize + contents.indexLength + 4 != bytes.size() ||
        contents.indexLength <= 0)
        return QStringLiteral("the index does not end at the trailer");
    for (int i = 0; i < contents.lines.size(); ++i) {
        const ContentsIndex::Line &line = contents.lines.at(i);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QString error;
        const bool copied = BookReader::copyChapter(path, contents, i, out, &error);
        const qint64 offset = qint64(line.start) - 1;
        if (copied != contents.chapterReadable(i))
            return QStringLiteral("chapter %1: copied although unreadable, or the reverse").arg(i);
        if (!copied && (error.isEmpty() || out.size() != 0))
            return QStringLiteral("chapter %1: a failed copy without a reason, or with bytes")
                .arg(i);
        if (copied &&
            (offset < 0 || line.length < 1 || offset + line.length > contents.chapterAreaSize))
            return QStringLiteral("chapter %1: read outside the chapter area").arg(i);
        if (copied && out.data() != bytes.mid(offset, line.length))
            return QStringLiteral("chapter %1: wrong bytes").arg(i);
    }
    return QString();
}

void TestBook::writesTheWorkedExampleBooks_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<Sizes>("sizes");
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<QByteArray>("trailer");

    QTest::newRow("Intro and 第二章, 1291 bytes")
        << QStringList{"Intro", "第二章"} << Sizes{1000, 250}
        << QByteArray::fromHex("496E74726FA1E131A1E2313030300D0A"
                               "B5DAB6FED5C2A1E131303031A1E23235300D0A0D0A")
        << QByteArray::fromHex("25000000");
    QTest::newRow("one chapter A, 1018 bytes")
        << QStringList{"A"} << Sizes{1000} << QByteArray::fromHex("41A1E131A1E2313030300D0A0D0A")
        << QByteArray::fromHex("0E000000");
}

void TestBook::writesTheWorkedExampleBooks()
{
    QFETCH(QStringList, names);
    QFETCH(Sizes, sizes);
    QFETCH(QByteArray, index);
    QFETCH(QByteArray, trailer);

    QCOMPARE(ContentsIndex::encode(QList<ContentsIndex::Chapter>()), QByteArray("\r\n"));
    QList<SourceEntry> sources;
    QByteArray chapterArea;
    for (int i = 0; i < names.size(); ++i) {
        const QByteArray chapter = TestFiles::pdfLike(sizes.at(i), i);
        chapterArea += chapter;
        sources.append({names.at(i), makeSource(names.at(i) + ".pdf", chapter)});
    }
    const GenerationResult result = GenerateBook(requestFor(QStringLiteral("A"), sources));
    QCOMPARE(result.outcome, GenerationOutcome::Written);
    QCOMPARE(result.bookPath, BookFilePath(folder("out"), QStringLiteral("A")));
    QCOMPARE(TestFiles::read(result.bookPath), chapterArea + index + trailer);
    QCOMPARE(entriesOf(folder("out")), QStringList{"A.VELM"});

    ScratchFolder scratch(folder("scratch"));
    const BookContents contents = BookReader::readContents(result.bookPath, &scratch);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QCOMPARE(contents.chapterAreaSize, qint64(chapterArea.size()));
    QCOMPARE(contents.lines.size(), names.size());
    qint64 start = 1;
    for (int i = 0; i < names.size(); ++i) {
        const ContentsIndex::Line &line = contents.lines.at(i);
        QVERIFY(line.valid);
        QCOMPARE(line.name, names.at(i));
        QCOMPARE(line.start, start);
        QCOMPARE(chapterOf(result.bookPath, contents, i), chapterArea.mid(start - 1, sizes.at(i)));
        start += sizes.at(i);
    }
    QCOMPARE(entriesOf(folder("scratch")), QStringList());
}

void TestBook::writesEveryNameAsOneReadableLine_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");

    QTest::newRow("ASCII") << "Intro" << "Intro";
    QTest::newRow("GBK") << "第二章 诗集" << "第二章 诗集";
    QTest::newRow("empty (from a file named .pdf)") << "" << "";
    QTest::newRow("♂ and ♀") << "♀1♂2" << "?1?2";
    QTest::newRow("CR LF") << "a\r\nb" << "a??b";
    QTest::newRow("tab") << "a\tb" << "a?b";
    QTest::newRow("NUL") << QString::fromUtf16(u"a\0b", 3) << "a?b";
    QTest::newRow("DEL") << QString::fromUtf16(u"a\u007fb") << "a?b";
    QTest::newRow("C1 control NEL") << QString::fromUtf16(u"a\u0085b") << "a?b";
    QTest::newRow("emoji") << "a😀b" << "a?b";
    QTest::newRow("Thai") << QString::fromUtf16(u"\u0e01\u0e02") << "??";
}

void TestBook::writesEveryNameAsOneReadableLine()
{
    QFETCH(QString, name);
    QFETCH(QString, written);

    const QByteArray index = ContentsIndex::encode({{name, 5}, {QStringLiteral("Z"), 7}});
    QCOMPARE(index, Gbk::encode(written) + "\xA1\xE1" "1\xA1\xE2" "5\r\nZ\xA1\xE1" "6\xA1\xE2" "7\r\n\r\n");
    const QList<ContentsIndex::Line> lines = ContentsIndex::parse(index);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).valid && lines.at(1).valid);
    QCOMPARE(lines.at(0).name, written);
    QCOMPARE(lines.at(0).length, 5);
}

void TestBook::writesTheBookWhereTheFieldsSay()
{
    QCOMPARE(BookFilePath(QStringLiteral("/books"), QStringLiteral("诗集")),
             QStringLiteral("/books/诗集.VELM"));

    // Both fields are used exactly as typed: blanks at the ends stay, a final separator doubles.
    GenerationRequest request =
        requestFor(QStringLiteral(" 诗集 "),
                   {{QStringLiteral("A"), makeSource("A.pdf", TestFiles::pdfLike(10, 1))}});
    request.saveFolder += QLatin1Char('/');
    const GenerationResult result = GenerateBook(request);
    QCOMPARE(result.outcome, GenerationOutcome::Written);
    QCOMPARE(result.bookPath, folder("out") + QStringLiteral("// 诗集 .VELM"));
    QCOMPARE(entriesOf(folder("out")), QStringList{QStringLiteral(" 诗集 .VELM")});
}

void TestBook::readsEveryLineEnding_data()
{
    QTest::addColumn<QByteArray>("index");
    QTest::addColumn<QStringList>("names");

    const auto index = [](const QString &first, const QString &second, const char *lineEnd,
                          const char *finalEnd) {
        return Gbk::encode(first + QStringLiteral("♂1♀10")) + lineEnd +
               Gbk::encode(second + QStringLiteral("♂11♀20")) + finalEnd;
    };
    const QStringList ab{"A", "B"};
    QTest::newRow("CR LF") << index("A", "B", "\r\n", "\r\n\r\n") << ab;
    QTest::newRow("CR") << index("A", "B", "\r", "\r\r") << ab;
    QTest::newRow("LF") << index("A", "B", "\n", "\n\n") << ab;
    QTest::newRow("mixed") << index("A", "B", "\n", "\r\n\r") << ab;
    QTest::newRow("no final empty line") << index("A", "B", "\r\n", "\r\n") << ab;
    QTest::newRow("no final line end") << index("A", "B", "\r\n", "") << ab;
    QTest::newRow("empty lines everywhere")
        << QByteArray("\r\n\n\r") + index("A", "B", "\r\n\r\n\n", "\r\n\r\n") << ab;
    // 乗 is 81 5C, 亄 is 81 7B, 亅 is 81 7C, 誠 is D5 5C: trail bytes that are ASCII characters.
    QTest::newRow("GBK trail bytes 5C and 7B")
        << index("乗亄", "亅誠\\", "\r\n", "\r\n\r\n") << QStringList{"乗亄", "亅誠\\"};
    // 啊酅 is B0 A1 E1 40 and 啊釦 is B0 A1 E2 40: the bytes of "♂" (A1 E1) and "♀" (A1 E2)
    // appear across a character boundary inside the name.
    QTest::newRow("mark bytes across characters")
        << index("啊酅", "啊釦", "\r\n", "\r\n\r\n") << QStringList{"啊酅", "啊釦"};
}

void TestBook::readsEveryLineEnding()
{
    QFETCH(QByteArray, index);
    QFETCH(QStringList, names);

    const QByteArray chapterArea = TestFiles::pdfLike(30, 7);
    MemoryByteSource book(chapterArea + index + trailerOf(qint32(index.size())));
    const BookContents contents = BookReader::readContents(book);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QCOMPARE(contents.chapterAreaSize, 30);
    QCOMPARE(contents.lines.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QVERIFY(contents.lines.at(i).valid);
        QVERIFY(contents.chapterReadable(i));
        QCOMPARE(contents.lines.at(i).name, names.at(i));
    }
    QCOMPARE(contents.lines.at(0).start, 1);
    QCOMPARE(contents.lines.at(0).length, 10);
    QCOMPARE(contents.lines.at(1).start, 11);
    QCOMPARE(contents.lines.at(1).length, 20);
}

void TestBook::damagedLinesKeepTheirPlace_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<bool>("readable");

    // The chapter area of the test book is 30 bytes.
    QTest::newRow("no ♂") << "B1♀5" << "B1♀5" << false << false;
    QTest::newRow("no ♀") << "B♂15" << "B" << false << false;
    QTest::newRow("no marks") << "B" << "B" << false << false;
    QTest::newRow("♀ before ♂") << "B♀5♂1" << "B♀5" << false << false;
    QTest::newRow("letter in the start") << "B♂1a♀5" << "B" << false << false;
    QTest::newRow("letter in the length") << "B♂1♀5a" << "B" << false << false;
    QTest::newRow("no start") << "B♂♀5" << "B" << false << false;
    QTest::newRow("no length") << "B♂1♀" << "B" << false << false;
    QTest::newRow("blank in a number") << "B♂ 1♀5" << "B" << false << false;
    QTest::newRow("plus sign") << "B♂+1♀5" << "B" << false << false;
    QTest::newRow("minus sign") << "B♂1♀-5" << "B" << false << false;
    QTest::newRow("full-width digit") << "B♂１♀5" << "B" << false << false;
    QTest::newRow("start over 2147483647") << "B♂2147483648♀5" << "B" << false << false;
    QTest::newRow("length over 2147483647") << "B♂1♀2147483648" << "B" << false << false;
    QTest::newRow("eleven digits") << "B♂99999999999♀5" << "B" << false << false;
    QTest::newRow("start 0") << "B♂0♀5" << "B" << false << false;
    QTest::newRow("length 0") << "B♂1♀0" << "B" << false << false;
    QTest::newRow("largest numbers, outside") << "B♂2147483647♀2147483647" << "B" << true << false;
    QTest::newRow("one byte past the chapter area") << "B♂21♀11" << "B" << true << false;
    QTest::newRow("starts at the index") << "B♂31♀1" << "B" << true << false;
    QTest::newRow("the last byte of the chapter area") << "B♂30♀1" << "B" << true << true;
    QTest::newRow("the whole chapter area") << "B♂1♀30" << "B" << true << true;
    QTest::newRow("overlapping another chapter") << "B♂5♀10" << "B" << true << true;
}

void TestBook::damagedLinesKeepTheirPlace()
{
    QFETCH(QString, line);
    QFETCH(QString, name);
    QFETCH(bool, valid);
    QFETCH(bool, readable);

    const QByteArray chapterArea = TestFiles::pdfLike(30, 3);
    const QByteArray index =
        Gbk::encode(QStringLiteral("A♂1♀10\r\n") + line + QStringLiteral("\r\nC♂11♀20\r\n\r\n"));
    const QString path = folder("out") + QStringLiteral("/damaged.VELM");
    QVERIFY(TestFiles::write(path, chapterArea + index + trailerOf(qint32(index.size()))));

    const BookContents contents = BookReader::readContents(path);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QCOMPARE(contents.lines.size(), 3);
    QCOMPARE(contents.lines.at(1).name, name);
    QCOMPARE(contents.lines.at(1).text, line);
    QCOMPARE(contents.lines.at(1).valid, valid);
    QCOMPARE(contents.lines.at(2).name, QStringLiteral("C"));
    QCOMPARE(contents.chapterReadable(1), readable);
    QCOMPARE(chapterOf(path, contents, 0), chapterArea.left(10));
    QCOMPARE(chapterOf(path, contents, 2), chapterArea.mid(10));
    const ContentsIndex::Line &damaged = contents.lines.at(1);
    QCOMPARE(chapterOf(path, contents, 1),
             readable ? chapterArea.mid(damaged.start - 1, damaged.length) : QByteArray());
}

void TestBook::untrustedTrailersGiveNoChapters_data()
{
    QTest::addColumn<qint64>("fileSize");
    QTest::addColumn<qint64>("indexLength");
    QTest::addColumn<bool>("opens");

    const qint64 mib = 1024 * 1024;
    QTest::newRow("empty file") << qint64(0) << qint64(0) << false;
    QTest::newRow("three bytes") << qint64(3) << qint64(0) << false;
    QTest::newRow("only a trailer") << qint64(4) << qint64(0) << false;
    QTest::newRow("length zero") << qint64(100) << qint64(0) << false;
    QTest::newRow("length -1") << qint64(100) << qint64(-1) << false;
    QTest::newRow("most negative length") << qint64(100) << qint64(INT_MIN) << false;
    QTest::newRow("one byte more than the file") << qint64(100) << qint64(97) << false;
    QTest::newRow("the whole file before the trailer") << qint64(100) << qint64(96) << true;
    QTest::newRow("32 MiB and one byte, in a larger file")
        << 3 * 1024 * mib << 32 * mib + 1 << false;
    QTest::newRow("largest length, in a larger file") << 3 * 1024 * mib << qint64(INT_MAX) << false;
    QTest::newRow("short index at the end of a large file") << 3 * 1024 * mib << qint64(14) << true;
}

void TestBook::untrustedTrailersGiveNoChapters()
{
    QFETCH(qint64, fileSize);
    QFETCH(qint64, indexLength);
    QFETCH(bool, opens);

    TailOnlySource book(fileSize,
                        trailerOf(qint32(indexLength)).right(int(qMin<qint64>(fileSize, 4))));
    const BookContents contents = BookReader::readContents(book);
    QCOMPARE(contents.ok, opens);
    if (!opens) {
        QVERIFY(!contents.error.isEmpty());
        QVERIFY(contents.lines.isEmpty());
        QVERIFY(contents.indexBytes.isEmpty());
        QVERIFY(book.longestRead() <= 4);
        return;
    }
    QCOMPARE(contents.chapterAreaSize, fileSize - 4 - indexLength);
    QCOMPARE(book.longestRead(), indexLength);
    // The index here is zeros: one damaged line, which cannot be read.
    QCOMPARE(contents.lines.size(), 1);
    QVERIFY(!contents.chapterReadable(0));
}

void TestBook::damagedBooksOpenOrFailCleanly()
{
    const QList<QByteArray> chapters{TestFiles::pdfLike(20, 1), TestFiles::pdfLike(15, 2)};
    const QByteArray index =
        ContentsIndex::encode({{QStringLiteral("第一"), 20}, {QStringLiteral("B"), 15}});
    const QByteArray book = bookOf(chapters, index);
    QCOMPARE(problemOpening(book), QString());
    QCOMPARE(BookReader::readContents(m_dir->filePath("damaged.VELM")).lines.size(), 2);

    for (int size = 0; size < book.size(); ++size) {
        const QString problem = problemOpening(book.left(size));
        QVERIFY2(problem.isEmpty(),
                 qPrintable(QStringLiteral("first %1 bytes: %2").arg(size).arg(problem)));
    }
    const QList<uchar> replacements{0x00, 0xFF, 0x0D, 0x0A, '0',  '9',
                                    'x',  0xA1, 0xE1, 0xE2, 0x80, 0x7F};
    for (int at = 20 + 15; at < book.size(); ++at) {
        QList<uchar> values = replacements;
        values << uchar(book.at(at) ^ 0x01) << uchar(book.at(at) ^ 0x80);
        for (const uchar value : values) {
            QByteArray changed = book;
            changed[at] = char(value);
            const QString problem = problemOpening(changed);
            QVERIFY2(problem.isEmpty(), qPrintable(QStringLiteral("byte %1 set to %2: %3")
                                                       .arg(at)
                                                       .arg(int(value), 2, 16)
                                                       .arg(problem)));
        }
    }

    for (const QString &path : {m_dir->filePath("missing.VELM"), folder("out")}) {
        const BookContents contents = BookReader::readContents(path);
        QVERIFY(!contents.ok);
        QVERIFY(!contents.error.isEmpty());
        QVERIFY(contents.lines.isEmpty());
    }
}

void TestBook::copiesChaptersExactlyInBoundedChunks()
{
    const QList<QByteArray> chapters{TestFiles::pdfLike(SafeWrite::ChunkSize * 5 / 2 + 3, 1),
                                     TestFiles::pdfLike(1, 2), TestFiles::pdfLike(777, 3)};
    const QByteArray index =
        ContentsIndex::encode({{"a", chapters.at(0).size()}, {"b", 1}, {"c", 777}});
    const QString path = folder("out") + QStringLiteral("/three.VELM");
    QVERIFY(TestFiles::write(path, bookOf(chapters, index)));
    const BookContents contents = BookReader::readContents(path);
    QVERIFY2(contents.ok, qPrintable(contents.error));

    for (int number = 0; number < 3; ++number) {
        RecordingDevice out;
        out.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
        QString error;
        QVERIFY2(BookReader::copyChapter(path, contents, number, out, &error), qPrintable(error));
        QVERIFY(out.data == chapters.at(number));
        QVERIFY(out.largestWrite <= SafeWrite::ChunkSize);

        QFile file(m_dir->filePath(QStringLiteral("chapter%1.pdf").arg(number)));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY2(BookReader::copyChapter(path, contents, number, file, &error), qPrintable(error));
        file.close();
        QCOMPARE(TestFiles::read(file.fileName()), chapters.at(number));
    }
}

void TestBook::chapterCopyFailsClearly()
{
    // One chapter small enough to wait in a file's buffer, one that is written straight through.
    const QList<QByteArray> chapters{TestFiles::pdfLike(1000, 5),
                                     TestFiles::pdfLike(100 * 1024, 6)};
    const QByteArray index = ContentsIndex::encode({{"small", 1000}, {"large", 100 * 1024}});
    const QString path = folder("out") + QStringLiteral("/a.VELM");
    QVERIFY(TestFiles::write(path, bookOf(chapters, index)));
    const BookContents contents = BookReader::readContents(path);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QString error;

    // No such chapter.
    QCOMPARE(chapterOf(path, contents, -1), QByteArray());
    QCOMPARE(chapterOf(path, contents, 2), QByteArray());

    // A chapter file that cannot take all the bytes.
    for (int number = 0; number < 2; ++number) {
        QFile out(m_dir->filePath(QStringLiteral("limited%1.pdf").arg(number)));
        QVERIFY(out.open(QIODevice::WriteOnly));
        error.clear();
        TestFiles::FileSizeLimit limit(512);
        QVERIFY2(!BookReader::copyChapter(path, contents, number, out, &error),
                 qPrintable(out.fileName()));
        QVERIFY(!error.isEmpty());
    }

    // The book was rebuilt to the same size after its index was read: its ranges may differ.
    {
        QFile rebuilt(path);
        QVERIFY(rebuilt.open(QIODevice::ReadWrite));
        QVERIFY(rebuilt.write("%PDF-9") == 6);
        QVERIFY(rebuilt.flush());
        QVERIFY(rebuilt.setFileTime(contents.modified.addSecs(1), QFileDevice::FileModificationTime));
    }
    QCOMPARE(chapterOf(path, contents, 0), QByteArray());

    // The book changed after its index was read, or is gone.
    QVERIFY(appendTo(path, "x"));
    QCOMPARE(chapterOf(path, contents, 0), QByteArray());
    QVERIFY(QFile::remove(path));
    QCOMPARE(chapterOf(path, contents, 0), QByteArray());
}

void TestBook::failedGenerationKeepsTheEarlierBook_data()
{
    QTest::addColumn<FailureCause>("cause");
    QTest::addColumn<GenerationStep>("step");

    QTest::newRow("missing source") << FailureCause::MissingSource << GenerationStep::Measuring;
    QTest::newRow("a folder as source") << FailureCause::FolderSource << GenerationStep::Measuring;
    QTest::newRow("zero-byte source") << FailureCause::ZeroByteSource << GenerationStep::Measuring;
    QTest::newRow("empty source list") << FailureCause::EmptyList << GenerationStep::Opening;
    QTest::newRow("32768 chapters") << FailureCause::TooManyChapters << GenerationStep::Measuring;
    QTest::newRow("one byte over 2 GiB - 1")
        << FailureCause::OneByteOverTheLargestBook << GenerationStep::Measuring;
    QTest::newRow("scratch folder below a file")
        << FailureCause::ScratchFolderBelowAFile << GenerationStep::ScratchIndex;
    QTest::newRow("save folder missing") << FailureCause::SaveFolderMissing << GenerationStep::Opening;
    QTest::newRow("save folder below a file")
        << FailureCause::SaveFolderBelowAFile << GenerationStep::Opening;
}

void TestBook::failedGenerationKeepsTheEarlierBook()
{
    QFETCH(FailureCause, cause);
    QFETCH(GenerationStep, step);

    const QByteArray earlier = plantEarlierBook(QStringLiteral("A"));
    const SourceEntry good{QStringLiteral("good"),
                           makeSource("good.pdf", TestFiles::pdfLike(300, 1))};
    GenerationRequest request = requestFor(QStringLiteral("A"), {good});
    QString failingFile;
    switch (cause) {
    case FailureCause::MissingSource:
        failingFile = folder("in") + QStringLiteral("/missing.pdf");
        request.sources.append({QStringLiteral("missing"), failingFile});
        break;
    case FailureCause::FolderSource:
        failingFile = folder("in") + QStringLiteral("/folder.pdf");
        QVERIFY(QDir().mkdir(failingFile));
        request.sources.append({QStringLiteral("folder"), failingFile});
        break;
    case FailureCause::ZeroByteSource:
        failingFile = makeSource("empty.pdf", QByteArray());
        request.sources.append({QStringLiteral("empty"), failingFile});
        break;
    case FailureCause::EmptyList:
        request.sources.clear();
        break;
    case FailureCause::TooManyChapters:
        request.sources = QList<SourceEntry>(ContentsIndex::MaxChapters + 1, good);
        break;
    case FailureCause::OneByteOverTheLargestBook:
        request.sources = sparseSourcesFor(ContentsIndex::MaxBookSize + 1);
        QVERIFY(!request.sources.isEmpty());
        break;
    case FailureCause::ScratchFolderBelowAFile:
        request.scratchFolder = good.path + QStringLiteral("/scratch");
        break;
    case FailureCause::SaveFolderMissing:
    case FailureCause::SaveFolderBelowAFile:
        request.saveFolder = cause == FailureCause::SaveFolderMissing
                                 ? folder("out") + QStringLiteral("/missing")
                                 : good.path + QStringLiteral("/out");
        failingFile = BookFilePath(request.saveFolder, QStringLiteral("A"));
        break;
    }

    const GenerationResult result = GenerateBook(request);
    QCOMPARE(result.outcome, GenerationOutcome::Failed);
    QCOMPARE(result.step, step);
    QVERIFY(!result.cause.isEmpty());
    if (!failingFile.isEmpty())
        QCOMPARE(result.file, failingFile);
    verifyOnlyTheEarlierBook(QStringLiteral("A"), earlier);
    QCOMPARE(TestFiles::read(good.path), TestFiles::pdfLike(300, 1));

    // Corrected input then succeeds: nothing of the failed attempt is in the way.
    const GenerationResult retry = GenerateBook(requestFor(QStringLiteral("A"), {good}));
    QCOMPARE(retry.outcome, GenerationOutcome::Written);
    QCOMPARE(TestFiles::read(retry.bookPath).left(300), TestFiles::pdfLike(300, 1));
}

void TestBook::blankFieldsWriteNothing_data()
{
    QTest::addColumn<QString>("bookName");
    QTest::addColumn<QString>("saveFolder");

    QTest::newRow("empty name") << "" << "out";
    QTest::newRow("blank name") << "   " << "out";
    QTest::newRow("empty folder") << "A" << "";
    QTest::newRow("blank folder") << "A" << "  ";
}

void TestBook::blankFieldsWriteNothing()
{
    QFETCH(QString, bookName);
    QFETCH(QString, saveFolder);

    const QByteArray earlier = plantEarlierBook(QStringLiteral("A"));
    GenerationRequest request =
        requestFor(bookName, {{"good", makeSource("good.pdf", TestFiles::pdfLike(300, 1))}});
    if (saveFolder == QLatin1String("out"))
        request.saveFolder = folder("out");
    else
        request.saveFolder = saveFolder;
    const GenerationResult result = GenerateBook(request);
    QCOMPARE(result.outcome, GenerationOutcome::FieldsMissing);
    verifyOnlyTheEarlierBook(QStringLiteral("A"), earlier);
    QVERIFY(!QFileInfo::exists(result.bookPath));
}

void TestBook::failedWriteKeepsTheEarlierBook_data()
{
    QTest::addColumn<qint64>("limit");
    QTest::addColumn<bool>("written");

    const qint64 chapters = 40000 + 3000;
    const qint64 index = ContentsIndex::encode({{"One", 40000}, {"Two", 3000}}).size();
    QTest::newRow("in the first chapter") << qint64(500) << false;
    QTest::newRow("in the second chapter") << qint64(40000 + 100) << false;
    QTest::newRow("in the index") << chapters + 5 << false;
    QTest::newRow("in the trailer") << chapters + index + 2 << false;
    QTest::newRow("one byte short") << chapters + index + 3 << false;
    QTest::newRow("exactly the book") << chapters + index + 4 << true;
}

void TestBook::failedWriteKeepsTheEarlierBook()
{
    QFETCH(qint64, limit);
    QFETCH(bool, written);

    const QByteArray earlier = plantEarlierBook(QStringLiteral("A"));
    const QList<QByteArray> chapters{TestFiles::pdfLike(40000, 1), TestFiles::pdfLike(3000, 2)};
    const GenerationRequest request =
        requestFor(QStringLiteral("A"), {{"One", makeSource("One.pdf", chapters.at(0))},
                                         {"Two", makeSource("Two.pdf", chapters.at(1))}});
    GenerationResult result;
    {
        TestFiles::FileSizeLimit fileSizeLimit(limit);
        result = GenerateBook(request);
    }
    if (written) {
        QCOMPARE(result.outcome, GenerationOutcome::Written);
        QCOMPARE(TestFiles::read(result.bookPath),
                 bookOf(chapters, ContentsIndex::encode({{"One", 40000}, {"Two", 3000}})));
        return;
    }
    QCOMPARE(result.outcome, GenerationOutcome::Failed);
    QCOMPARE(result.file, result.bookPath);
    QVERIFY(!result.cause.isEmpty());
    verifyOnlyTheEarlierBook(QStringLiteral("A"), earlier);

    QCOMPARE(GenerateBook(request).outcome, GenerationOutcome::Written);
}

void TestBook::cancellingKeepsTheEarlierBook_data()
{
    QTest::addColumn<bool>("midChapter");

    QTest::newRow("in the middle of a chapter") << true;
    QTest::newRow("after the last chapter") << false;
}

void TestBook::cancellingKeepsTheEarlierBook()
{
    QFETCH(bool, midChapter);

    const QByteArray earlier = plantEarlierBook(QStringLiteral("A"));
    const qint64 large = SafeWrite::ChunkSize * 5 / 2;
    const GenerationRequest request = requestFor(
        QStringLiteral("A"), {{"large", makeSource("large.pdf", TestFiles::pdfLike(large, 1))},
                              {"small", makeSource("small.pdf", TestFiles::pdfLike(100, 2))}});
    int cancels = 0;
    int callsAfterCancelling = 0;
    const GenerationResult result = GenerateBook(request, [&](const GenerationProgress &progress) {
        if (cancels > 0) {
            ++callsAfterCancelling;
            return true;
        }
        const bool stop = midChapter ? progress.chaptersDone == 0 && progress.bytesDone > 0 &&
                                           progress.bytesDone < large
                                     : progress.chaptersDone == progress.chapterCount;
        cancels += stop ? 1 : 0;
        return !stop;
    });
    QCOMPARE(cancels, 1);
    QCOMPARE(callsAfterCancelling, 0);
    QCOMPARE(result.outcome, GenerationOutcome::Cancelled);
    verifyOnlyTheEarlierBook(QStringLiteral("A"), earlier);
}

void TestBook::sourceChangingSizeFails_data()
{
    QTest::addColumn<SizeChange>("change");

    QTest::newRow("grown before it is opened") << SizeChange::GrowBeforeOpening;
    QTest::newRow("shrunk before it is opened") << SizeChange::ShrinkBeforeOpening;
    QTest::newRow("grown while it is copied") << SizeChange::GrowWhileCopying;
    QTest::newRow("shrunk while it is copied") << SizeChange::ShrinkWhileCopying;
}

void TestBook::sourceChangingSizeFails()
{
    QFETCH(SizeChange, change);

    const QByteArray earlier = plantEarlierBook(QStringLiteral("A"));
    const qint64 firstLength = 100;
    const qint64 secondLength = SafeWrite::ChunkSize * 5 / 2 + 7;
    const QString second = makeSource("second.pdf", TestFiles::pdfLike(secondLength, 2));
    const GenerationRequest request =
        requestFor(QStringLiteral("A"),
                   {{"first", makeSource("first.pdf", TestFiles::pdfLike(firstLength, 1))},
                    {"second", second}});
    const bool whileCopying =
        change == SizeChange::GrowWhileCopying || change == SizeChange::ShrinkWhileCopying;
    bool changed = false;
    const GenerationResult result = GenerateBook(request, [&](const GenerationProgress &progress) {
        const bool now =
            progress.chaptersDone == 1 &&
            (whileCopying ? progress.bytesDone > firstLength : progress.bytesDone == firstLength);
        if (changed || !now)
            return true;
        changed = true;
        QFile file(second);
        if (change == SizeChange::GrowBeforeOpening || change == SizeChange::GrowWhileCopying)
            return appendTo(second, "more");
        // While copying, the first chunk is done: a few bytes are left to read, then the end.
        return file.resize(whileCopying ? SafeWrite::ChunkSize + 10 : secondLength - 1);
    });
    QVERIFY(changed);
    QCOMPARE(result.outcome, GenerationOutcome::Failed);
    QCOMPARE(result.step, GenerationStep::Copying);
    QCOMPARE(result.file, second);
    QVERIFY(!result.cause.isEmpty());
    verifyOnlyTheEarlierBook(QStringLiteral("A"), earlier);
}

void TestBook::largestBookIsAccepted()
{
    const qint64 largest = ContentsIndex::MaxBookSize; // 2147483647 = 2 GiB - 1
    QVERIFY(ContentsIndex::fitsInBook(largest - 4 - 14, 14));
    QVERIFY(!ContentsIndex::fitsInBook(largest - 4 - 14 + 1, 14));
    QVERIFY(ContentsIndex::fitsInBook(1, ContentsIndex::MaxIndexLength));
    QVERIFY(!ContentsIndex::fitsInBook(1, ContentsIndex::MaxIndexLength + 1));
    QVERIFY(!ContentsIndex::fitsInBook(-1, 14));
    QVERIFY(!ContentsIndex::fitsInBook(largest, largest));

    // A book of exactly 2147483647 bytes passes the size check: generation gets as far as copying,
    // where a file-size limit stops it long before 2 GiB are written.
    const QByteArray earlier = plantEarlierBook(QStringLiteral("A"));
    const GenerationRequest request = requestFor(QStringLiteral("A"), sparseSourcesFor(largest));
    QVERIFY(!request.sources.isEmpty());
    GenerationResult result;
    qint64 total = 0;
    {
        TestFiles::FileSizeLimit limit(4 * SafeWrite::ChunkSize);
        result = GenerateBook(request, [&](const GenerationProgress &progress) {
            total = progress.bytesTotal;
            return true;
        });
    }
    QCOMPARE(total, QFileInfo(request.sources.at(0).path).size() +
                        QFileInfo(request.sources.at(1).path).size());
    QCOMPARE(result.outcome, GenerationOutcome::Failed);
    QVERIFY2(result.step == GenerationStep::Copying || result.step == GenerationStep::Finishing,
             qPrintable(result.cause));
    verifyOnlyTheEarlierBook(QStringLiteral("A"), earlier);
}

void TestBook::largestChapterCountIsAccepted()
{
    const QByteArray byte("%");
    const SourceEntry one{QStringLiteral("c"), makeSource("c.pdf", byte)};
    const GenerationResult result = GenerateBook(
        requestFor(QStringLiteral("A"), QList<SourceEntry>(ContentsIndex::MaxChapters, one)));
    QCOMPARE(result.outcome, GenerationOutcome::Written);

    const BookContents contents = BookReader::readContents(result.bookPath);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QCOMPARE(contents.lines.size(), ContentsIndex::MaxChapters);
    QCOMPARE(contents.chapterAreaSize, ContentsIndex::MaxChapters);
    QCOMPARE(contents.lines.last().start, ContentsIndex::MaxChapters);
    QCOMPARE(chapterOf(result.bookPath, contents, ContentsIndex::MaxChapters - 1), byte);
}

void TestBook::reportsProgressWithinAndAcrossChapters()
{
    const QList<qint64> lengths{SafeWrite::ChunkSize * 5 / 2, 100, 1};
    QList<SourceEntry> sources;
    for (int i = 0; i < lengths.size(); ++i)
        sources.append({QString::number(i), makeSource(QStringLiteral("%1.pdf").arg(i),
                                                       TestFiles::pdfLike(lengths.at(i), i))});
    QList<GenerationProgress> reports;
    const GenerationResult result = GenerateBook(requestFor(QStringLiteral("A"), sources),
                                                 [&](const GenerationProgress &progress) {
                                                     reports.append(progress);
                                                     return true;
                                                 });
    QCOMPARE(result.outcome, GenerationOutcome::Written);

    const qint64 total = lengths.at(0) + lengths.at(1) + lengths.at(2);
    QVERIFY(!reports.isEmpty());
    int withinFirstChapter = 0;
    QList<bool> chapterEndSeen(lengths.size() + 1, false);
    GenerationProgress previous;
    for (const GenerationProgress &report : reports) {
        QCOMPARE(report.bytesTotal, total);
        QCOMPARE(report.chapterCount, 3);
        QVERIFY(report.bytesDone >= previous.bytesDone && report.bytesDone <= total);
        QVERIFY(report.chaptersDone >= previous.chaptersDone && report.chaptersDone <= 3);
        if (report.chaptersDone == 0 && report.bytesDone > 0 && report.bytesDone < lengths.at(0))
            ++withinFirstChapter;
        qint64 doneBefore = 0;
        for (int i = 0; i < report.chaptersDone; ++i)
            doneBefore += lengths.at(i);
        QVERIFY(report.bytesDone >= doneBefore);
        // Within a chapter the report says how far that chapter is; between chapters, nothing.
        if (report.chapterBytes > 0) {
            QCOMPARE(report.chapterBytes, lengths.at(report.chaptersDone));
            QCOMPARE(report.chapterBytesDone, report.bytesDone - doneBefore);
        } else {
            QCOMPARE(report.chapterBytesDone, 0);
            QCOMPARE(report.bytesDone, doneBefore);
        }
        if (report.bytesDone == doneBefore)
            chapterEndSeen[report.chaptersDone] = true;
        previous = report;
    }
    QVERIFY(withinFirstChapter >= 2);
    QCOMPARE(chapterEndSeen.mid(1), QList<bool>(3, true));
    QCOMPARE(reports.last().bytesDone, total);
    QCOMPARE(reports.last().chaptersDone, 3);
}

void TestBook::sameSourceTwiceGivesTwoChapters()
{
    const QByteArray bytes = TestFiles::pdfLike(321, 8);
    const SourceEntry source{QStringLiteral("same"), makeSource("same.pdf", bytes)};
    const GenerationResult result = GenerateBook(requestFor(QStringLiteral("A"), {source, source}));
    QCOMPARE(result.outcome, GenerationOutcome::Written);
    QCOMPARE(TestFiles::read(result.bookPath),
             bookOf({bytes, bytes}, ContentsIndex::encode({{"same", 321}, {"same", 321}})));
}

void TestBook::regeneratingWithFewerChaptersShrinksTheBook()
{
    const SourceEntry one{QStringLiteral("one"),
                          makeSource("one.pdf", TestFiles::pdfLike(4000, 1))};
    const SourceEntry two{QStringLiteral("two"), makeSource("two.pdf", TestFiles::pdfLike(500, 2))};
    QCOMPARE(GenerateBook(requestFor(QStringLiteral("A"), {one, two, one})).outcome,
             GenerationOutcome::Written);
    const GenerationResult result = GenerateBook(requestFor(QStringLiteral("A"), {two}));
    QCOMPARE(result.outcome, GenerationOutcome::Written);
    QCOMPARE(TestFiles::read(result.bookPath),
             bookOf({TestFiles::pdfLike(500, 2)}, ContentsIndex::encode({{"two", 500}})));
    QCOMPARE(entriesOf(folder("out")), QStringList{"A.VELM"});
}

void TestBook::scratchIndexFileIsNeitherLeftNorFollowed()
{
    const QString victim = m_dir->filePath(QStringLiteral("victim.txt"));
    const QString planted = QDir(folder("scratch")).filePath(IndexFileName);
    QVERIFY(TestFiles::write(victim, "keep me"));

    QVERIFY(QFile::link(victim, planted));
    const GenerationResult result = GenerateBook(requestFor(
        QStringLiteral("A"), {{"good", makeSource("good.pdf", TestFiles::pdfLike(300, 1))}}));
    QCOMPARE(result.outcome, GenerationOutcome::Written);
    QCOMPARE(TestFiles::read(victim), QByteArray("keep me"));
    QCOMPARE(entriesOf(folder("scratch")), QStringList());

    QVERIFY(QFile::link(victim, planted));
    const ScratchFolder scratch(folder("scratch"));
    const BookContents contents = BookReader::readContents(result.bookPath, &scratch);
    QVERIFY2(contents.ok, qPrintable(contents.error));
    QCOMPARE(contents.lines.size(), 1);
    QCOMPARE(TestFiles::read(victim), QByteArray("keep me"));
    QCOMPARE(entriesOf(folder("scratch")), QStringList());

    // A failed generation leaves no scratch index file either.
    QCOMPARE(GenerateBook(requestFor(QStringLiteral("B"), {})).outcome, GenerationOutcome::Failed);
    QCOMPARE(entriesOf(folder("scratch")), QStringList());

    // The private scratch folder is the owner's alone, and goes with its object.
    QString privatePath;
    {
        const ScratchFolder owned;
        QVERIFY(owned.isValid());
        privatePath = owned.path();
        const QFileDevice::Permissions others = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                QFileDevice::WriteOther | QFileDevice::ExeOther;
        QVERIFY(!(QFileInfo(privatePath).permissions() & others));
        QVERIFY(BookReader::readContents(result.bookPath, &owned).ok);
        QCOMPARE(entriesOf(privatePath), QStringList());
    }
    QVERIFY(!QFileInfo::exists(privatePath));
}

QTEST_GUILESS_MAIN(TestBook)
#include "tst_book.moc"
