// The faults a user meets while books and bookmark files are written: a full disk, a writer killed
// in the middle, folders and files the user may not write. Each must end with the old file or the
// complete new one, and nothing else left behind. Root ignores file permissions, so these tests
// take them away by other means: a small tmpfs, a file-size limit that kills the writer, a child
// process that gives up root.
#include "core/book/bookgenerator.h"
#include "core/book/scratchfolder.h"
#include "core/bookmarks/bookmarkfile.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
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
    void fullDiskKeepsTheEarlierBook();
    void bookWriterKilledAtEachWriteLeavesOldOrNew();
    void bookmarkRewriterKilledAtEachWriteLeavesOldOrNew();
    void unwritableFolderAndFileForAPlainUser();
};

void TestFaults::initTestCase()
{
    QVERIFY2(QFileInfo(bookTool()).isExecutable(),
             "QUILLMOOR_BOOK_TOOL names no program (run through ctest)");
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
