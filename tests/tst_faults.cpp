// The byte copy under every book and chapter file, and the faults a user meets while books and
// bookmark files are written: a full disk, a writer killed in the middle, folders and files the
// user may not write. Each must end with the old file or the complete new one, and nothing else
// left behind. Root ignores file permissions, so these tests take them away by other means: a
// small tmpfs, a file-size limit that kills the writer, a child process that gives up root.
#include "core/book/bookgenerator.h"
#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"
#include "core/bookmarks/bookmarkfile.h"
#include "testfiles.h"

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QSaveFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using TestFiles::entriesOf;
using TestFiles::pdfLike;

namespace
{

enum Kind { File, SaveFile, Buffer, Full };

const char *const KindNames[] = {"file", "save file", "buffer", "full device"};

QString bookTool()
{
    return qEnvironmentVariable("QUILLMOOR_BOOK_TOOL");
}

// Runs a child; with a limit it is killed by SIGXFSZ once a file it writes would pass `limit`
// bytes, as "nobody" it is held to file permissions.
QProcess::ExitStatus runChild(const QString &program, const QStringList &arguments, qint64 limit,
                              bool asNobody = false, int *exitCode = nullptr)
{
    QProcess child;
    child.setProgram(program);
    child.setArguments(arguments);
    child.setChildProcessModifier([limit, asNobody] {
        ::signal(SIGXFSZ, SIG_DFL);
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        fileSize.rlim_cur = rlim_t(limit);
        setrlimit(RLIMIT_FSIZE, &fileSize);
        if (asNobody && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
    });
    child.start();
    child.waitForFinished(60000);
    if (exitCode)
        *exitCode = child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
    return child.exitStatus();
}

bool makeOpenToEveryone(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                           QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                           QFileDevice::ExeOther | QFileDevice::ReadGroup |
                                           QFileDevice::ExeGroup);
}

} // namespace

Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(SafeWrite::CopyResult)

// The test program is also its own child: with "--rewrite DOCUMENT TEXTFILE" it rewrites the
// bookmark file of DOCUMENT with the text of TEXTFILE, with "--append DOCUMENT LINE" it appends.
static int runChildCommand(const QStringList &arguments)
{
    if (arguments.value(1) == QLatin1String("--rewrite"))
        return Module1::RewriteBookmarkFile(arguments.value(2),
                                            QString::fromUtf8(TestFiles::read(arguments.value(3))))
                   ? 0
                   : 1;
    if (arguments.value(1) == QLatin1String("--append"))
        return Module1::AppendBookmarkLine(arguments.value(2), arguments.value(3)) ? 0 : 1;
    return -1;
}

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void copiesExactlyTheRangeAndLeavesBothDevicesAfterIt_data();
    void copiesExactlyTheRangeAndLeavesBothDevicesAfterIt();
    void failedCopySaysWhichSide_data();
    void failedCopySaysWhichSide();
    void progressCountsChunksAndCanStop();
    void fullDiskKeepsTheEarlierBook();
    void bookWriterKilledAtEachWriteLeavesOldOrNew();
    void bookmarkRewriterKilledAtEachWriteLeavesOldOrNew();
    void unwritableFolderAndFileForAPlainUser();

private:
    std::unique_ptr<QIODevice> openSource(Kind kind, const QByteArray &bytes);
    std::unique_ptr<QIODevice> openTarget(Kind kind, qint64 capacity = 0);
    QByteArray written(Kind kind, QIODevice &target);

    QTemporaryDir m_dir;
    QByteArray m_targetBytes; // what a Buffer target holds
};

void TestFaults::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(QFileInfo(bookTool()).isExecutable(),
             "QUILLMOOR_BOOK_TOOL names no program (run through ctest)");
}

std::unique_ptr<QIODevice> TestFaults::openSource(Kind kind, const QByteArray &bytes)
{
    std::unique_ptr<QIODevice> source;
    const QString path = m_dir.filePath(QStringLiteral("source"));
    if (kind == Buffer) {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        source = std::move(buffer);
    } else if (TestFiles::write(path, bytes)) {
        source = std::make_unique<QFile>(path);
    }
    if (source)
        source->open(QIODevice::ReadOnly);
    return source;
}

std::unique_ptr<QIODevice> TestFaults::openTarget(Kind kind, qint64 capacity)
{
    const QString path = m_dir.filePath(QStringLiteral("target"));
    QFile::remove(path);
    m_targetBytes.clear();
    std::unique_ptr<QIODevice> target;
    if (kind == Buffer)
        target = std::make_unique<QBuffer>(&m_targetBytes);
    else if (kind == Full)
        target = std::make_unique<TestFiles::FailDevice>(capacity);
    else if (kind == SaveFile)
        target = std::make_unique<QSaveFile>(path);
    else
        target = std::make_unique<QFile>(path);
    target->open(QIODevice::WriteOnly);
    return target;
}

QByteArray TestFaults::written(Kind kind, QIODevice &target)
{
    if (kind == Buffer)
        return m_targetBytes;
    if (kind != SaveFile)
        target.close();
    else if (!static_cast<QSaveFile &>(target).commit())
        return QByteArray();
    return TestFiles::read(m_dir.filePath(QStringLiteral("target")));
}

// From file to file the kernel copies, from and to anything else a buffer does; both must leave
// the devices where the next read or write expects them.
void TestFaults::copiesExactlyTheRangeAndLeavesBothDevicesAfterIt_data()
{
    QTest::addColumn<Kind>("sourceKind");
    QTest::addColumn<Kind>("targetKind");
    QTest::addColumn<qint64>("start");
    QTest::addColumn<qint64>("length");

    const qint64 chunk = SafeWrite::ChunkSize;
    for (const auto &[source, target] : QList<std::pair<Kind, Kind>>{
             {File, File}, {File, SaveFile}, {Buffer, File}, {File, Buffer}}) {
        for (const auto &[start, length] : QList<std::pair<qint64, qint64>>{
                 {0, 0}, {0, 1}, {7, chunk - 1}, {0, chunk}, {3, chunk * 5 / 2 + 3}}) {
            QTest::addRow("%s to %s, %lld bytes at %lld", KindNames[source], KindNames[target],
                          length, start)
                << source << target << start << length;
        }
    }
}

void TestFaults::copiesExactlyTheRangeAndLeavesBothDevicesAfterIt()
{
    QFETCH(Kind, sourceKind);
    QFETCH(Kind, targetKind);
    QFETCH(qint64, start);
    QFETCH(qint64, length);

    const QByteArray bytes = pdfLike(start + length + 5, 1);
    const std::unique_ptr<QIODevice> source = openSource(sourceKind, bytes);
    const std::unique_ptr<QIODevice> target = openTarget(targetKind);
    QVERIFY(source && source->isOpen() && target->isOpen());
    // Reading fills the source's read buffer beyond `start`; "head" is still in the target's
    // write buffer when the copy begins.
    QCOMPARE(source->read(start), bytes.left(start));
    QCOMPARE(target->write("head"), qint64(4));

    QCOMPARE(SafeWrite::copyBytes(*source, *target, length), SafeWrite::CopyResult::Copied);

    QCOMPARE(source->pos(), start + length);
    QCOMPARE(source->read(5), bytes.mid(start + length));
    QCOMPARE(target->write("tail"), qint64(4));
    QCOMPARE(written(targetKind, *target), "head" + bytes.mid(start, length) + "tail");
}

void TestFaults::failedCopySaysWhichSide_data()
{
    QTest::addColumn<Kind>("sourceKind");
    QTest::addColumn<Kind>("targetKind");
    QTest::addColumn<qint64>("length");
    QTest::addColumn<qint64>("sourceLength");
    QTest::addColumn<SafeWrite::CopyResult>("result");

    // Targets take 2 chunks and 100 bytes.
    const qint64 fits = SafeWrite::ChunkSize * 2 + 10;
    const qint64 tooLong = SafeWrite::ChunkSize * 4;
    const auto readFailed = SafeWrite::CopyResult::ReadFailed;
    const auto writeFailed = SafeWrite::CopyResult::WriteFailed;
    QTest::newRow("short file to file") << File << File << fits << fits - 1 << readFailed;
    QTest::newRow("short buffer to file") << Buffer << File << fits << fits - 1 << readFailed;
    QTest::newRow("file to a full file") << File << File << tooLong << tooLong << writeFailed;
    QTest::newRow("file to a full save file")
        << File << SaveFile << tooLong << tooLong << writeFailed;
    QTest::newRow("file to a full device") << File << Full << tooLong << tooLong << writeFailed;
}

// A file that passes the limit has its error set, so the message can name the cause.
void TestFaults::failedCopySaysWhichSide()
{
    QFETCH(Kind, sourceKind);
    QFETCH(Kind, targetKind);
    QFETCH(qint64, length);
    QFETCH(qint64, sourceLength);
    QFETCH(SafeWrite::CopyResult, result);

    const qint64 room = SafeWrite::ChunkSize * 2 + 100;
    const std::unique_ptr<QIODevice> source = openSource(sourceKind, pdfLike(sourceLength, 3));
    const std::unique_ptr<QIODevice> target = openTarget(targetKind, room);
    QVERIFY(source && source->isOpen() && target->isOpen());
    SafeWrite::CopyResult copied = SafeWrite::CopyResult::Copied;
    {
        TestFiles::FileSizeLimit limit(room);
        copied = SafeWrite::copyBytes(*source, *target, length);
    }
    QCOMPARE(copied, result);
    if (result == SafeWrite::CopyResult::WriteFailed)
        QVERIFY(SafeWrite::errorText(*target, "fallback") != "fallback");
}

void TestFaults::progressCountsChunksAndCanStop()
{
    const qint64 length = SafeWrite::ChunkSize * 5 / 2;
    for (const Kind sourceKind : {File, Buffer}) {
        for (const bool stop : {true, false}) {
            const std::unique_ptr<QIODevice> source = openSource(sourceKind, pdfLike(length, 4));
            const std::unique_ptr<QIODevice> target = openTarget(File);
            QVERIFY(source && source->isOpen() && target->isOpen());
            QList<qint64> reports{0};
            const SafeWrite::CopyResult copied =
                SafeWrite::copyBytes(*source, *target, length, [&](qint64 done) {
                    reports.append(done);
                    return !stop;
                });
            QCOMPARE(copied, stop ? SafeWrite::CopyResult::Stopped : SafeWrite::CopyResult::Copied);
            for (int i = 1; i < reports.size(); ++i)
                QVERIFY(reports.at(i) > reports.at(i - 1) &&
                        reports.at(i) - reports.at(i - 1) <= SafeWrite::ChunkSize);
            QCOMPARE(reports.size() == 2, stop);
            QCOMPARE(reports.last() == length, !stop);
        }
    }
}

void TestFaults::fullDiskKeepsTheEarlierBook()
{
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    QVERIFY(QDir().mkpath(disk));
    if (::mount("tmpfs", disk.toLocal8Bit().constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
    const auto unmount = qScopeGuard([&] { ::umount(disk.toLocal8Bit().constData()); });

    const QByteArray earlier = pdfLike(100 * 1024, 1);
    QVERIFY(TestFiles::write(disk + "/Big.VELM", earlier));
    const QString source = dir.filePath("source.pdf");
    QVERIFY(TestFiles::write(source, pdfLike(200 * 1024, 2)));

    ScratchFolder scratch;
    const GenerationResult result =
        GenerateBook({"Big", disk, {{"source", source}}, QString(), QString(), scratch.path()});
    QCOMPARE(result.outcome, GenerationOutcome::Failed);
    QVERIFY(!result.cause.isEmpty());
    QCOMPARE(TestFiles::read(disk + "/Big.VELM"), earlier);
    QCOMPARE(entriesOf(disk), QStringList{"Big.VELM"});
}

void TestFaults::bookWriterKilledAtEachWriteLeavesOldOrNew()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    QVERIFY(QDir().mkpath(out));
    QStringList arguments{"make", "--name", "Book", "--out", out};
    for (int i = 0; i < 3; ++i) {
        arguments << dir.filePath(QString("chapter%1.pdf").arg(i));
        QVERIFY(TestFiles::write(arguments.last(), pdfLike(1536 * 1024 + i, i)));
    }
    // The new book, written once without limit, to know its bytes.
    QCOMPARE(runChild(bookTool(), arguments, RLIM_INFINITY), QProcess::NormalExit);
    const QByteArray newBook = TestFiles::read(out + "/Book.VELM");
    const QByteArray oldBook = pdfLike(5000, 9);

    QList<qint64> limits{0, 1, 100, newBook.size() - 5, newBook.size() - 1};
    for (qint64 at = 1024 * 1024; at < newBook.size(); at += 512 * 1024)
        limits << at - 1 << at;
    for (const qint64 limit : limits) {
        QVERIFY(TestFiles::write(out + "/Book.VELM", oldBook));
        QVERIFY2(runChild(bookTool(), arguments, limit) == QProcess::CrashExit,
                 qPrintable(QString("limit %1").arg(limit)));
        QCOMPARE(TestFiles::read(out + "/Book.VELM"), oldBook);
        QCOMPARE(entriesOf(out), QStringList{"Book.VELM"});
    }
    int exitCode = -1;
    QCOMPARE(runChild(bookTool(), arguments, newBook.size(), false, &exitCode),
             QProcess::NormalExit);
    QCOMPARE(exitCode, 0);
    QCOMPARE(TestFiles::read(out + "/Book.VELM"), newBook);
    QCOMPARE(entriesOf(out), QStringList{"Book.VELM"});
}

void TestFaults::bookmarkRewriterKilledAtEachWriteLeavesOldOrNew()
{
    QTemporaryDir dir;
    const QString document = dir.filePath("a.pdf");
    QVERIFY(Module1::AppendBookmarkLine(document, QStringLiteral("旧书签［1］")));
    const QByteArray oldFile = TestFiles::read(dir.filePath("a.ini"));
    QString newText;
    for (int i = 0; i < 2000; ++i)
        newText += QStringLiteral("新书签 %1［%1］\r\n").arg(i);
    const QString textFile = dir.filePath("text.txt");
    QVERIFY(TestFiles::write(textFile, newText.toUtf8()));
    const QStringList arguments{"--rewrite", document, textFile};

    for (const qint64 limit : {0, 1, 4096, 16384, 30000}) {
        QVERIFY2(runChild(QCoreApplication::applicationFilePath(), arguments, limit) ==
                     QProcess::CrashExit,
                 qPrintable(QString("limit %1").arg(limit)));
        QCOMPARE(TestFiles::read(dir.filePath("a.ini")), oldFile);
        QCOMPARE(entriesOf(dir.path()), (QStringList{"a.ini", "text.txt"}));
    }
    int exitCode = -1;
    runChild(QCoreApplication::applicationFilePath(), arguments, RLIM_INFINITY, false, &exitCode);
    QCOMPARE(exitCode, 0);
    QCOMPARE(Module1::ReadBookmarkEntries(document).size(), 2000);
}

void TestFaults::unwritableFolderAndFileForAPlainUser()
{
    if (::geteuid() != 0)
        QSKIP("giving up root to test file permissions needs root");
    QTemporaryDir dir;
    QVERIFY(makeOpenToEveryone(dir.path()));
    const QString document = dir.filePath("a.pdf");
    QVERIFY(Module1::AppendBookmarkLine(document, QStringLiteral("第一章［3］")));
    const QString bookmarks = dir.filePath("a.ini");
    QVERIFY(QFile::setPermissions(bookmarks, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    const QByteArray before = TestFiles::read(bookmarks);

    // A read-only bookmark file takes no new line, and the old ones stay.
    int exitCode = -1;
    runChild(QCoreApplication::applicationFilePath(), {"--append", document, "附录［12］"},
             RLIM_INFINITY, true, &exitCode);
    QCOMPARE(exitCode, 1);
    QCOMPARE(TestFiles::read(bookmarks), before);

    // A save folder the user may not write gets no book, and the earlier one stays.
    const QByteArray earlier = pdfLike(3000, 4);
    QVERIFY(TestFiles::write(dir.filePath("Book.VELM"), earlier));
    const QString source = dir.filePath("s.pdf");
    QVERIFY(TestFiles::write(source, pdfLike(2000, 5)));
    QVERIFY(makeOpenToEveryone(source) && makeOpenToEveryone(dir.filePath("Book.VELM")));
    runChild(bookTool(), {"make", "-n", "Book", "-o", dir.path(), source}, RLIM_INFINITY, true,
             &exitCode);
    QCOMPARE(exitCode, 1);
    QCOMPARE(TestFiles::read(dir.filePath("Book.VELM")), earlier);
    QCOMPARE(entriesOf(dir.path()), (QStringList{"Book.VELM", "a.ini", "s.pdf"}));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int child = runChildCommand(app.arguments());
    if (child >= 0)
        return child;
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_faults.moc"
