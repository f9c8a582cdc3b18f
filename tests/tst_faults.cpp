// Faults a user meets while books and bookmark files are written: a full disk, a writer killed
// in the middle, folders and files the user may not write. Each must end with the old file or
// the complete new one, and nothing else left behind. Root ignores file permissions, so these
// tests take permissions away by other means: a small tmpfs, a file-size limit that kills the
// writer, and a child process that gives up root before it writes.
#include "core/book/bookgenerator.h"
#include "core/book/scratchfolder.h"
#include "core/bookmarks/bookmarkfile.h"
#include "testfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

const uid_t Nobody = 65534;

QString bookTool()
{
    return qEnvironmentVariable("QUILLMOOR_BOOK_TOOL");
}

// The names in a folder, sorted, so a test sees any stray temporary file.
QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

// Runs a child that is killed by SIGXFSZ as soon as a file it writes would pass `limit` bytes.
int runWithFileSizeLimit(const QString &program, const QStringList &arguments, qint64 limit,
                         QProcess::ExitStatus *status)
{
    QProcess child;
    child.setProgram(program);
    child.setArguments(arguments);
    child.setChildProcessModifier([limit] {
        ::signal(SIGXFSZ, SIG_DFL);
        rlimit fileSize{};
        getrlimit(RLIMIT_FSIZE, &fileSize);
        fileSize.rlim_cur = rlim_t(limit);
        setrlimit(RLIMIT_FSIZE, &fileSize);
    });
    child.start();
    child.waitForFinished(60000);
    *status = child.exitStatus();
    return child.exitCode();
}

// Runs a child as the unprivileged user "nobody", so file permissions hold for it.
int runAsNobody(const QString &program, const QStringList &arguments)
{
    QProcess child;
    child.setProgram(program);
    child.setArguments(arguments);
    child.setChildProcessModifier([] {
        if (::setgid(Nobody) != 0 || ::setuid(Nobody) != 0)
            ::_exit(99);
    });
    child.start();
    child.waitForFinished(60000);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

bool makeOpenToEveryone(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                               | QFileDevice::ExeOwner | QFileDevice::ReadOther
                                               | QFileDevice::ExeOther | QFileDevice::ReadGroup
                                               | QFileDevice::ExeGroup);
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
    QVERIFY2(QFileInfo(bookTool()).isExecutable(), "QUILLMOOR_BOOK_TOOL names no program (run through ctest)");
}

void TestFaults::fullDiskKeepsTheEarlierBook()
{
    QTemporaryDir dir;
    const QString disk = dir.filePath("disk");
    QVERIFY(QDir().mkpath(disk));
    if (::mount("tmpfs", disk.toLocal8Bit().constData(), "tmpfs", 0, "size=256k") != 0)
        QSKIP("mounting a small tmpfs needs CAP_SYS_ADMIN");
    const auto unmount = qScopeGuard([&] { ::umount(disk.toLocal8Bit().constData()); });

    const QByteArray earlier = TestFiles::pdfLike(100 * 1024, 1);
    QVERIFY(TestFiles::write(disk + "/Big.VELM", earlier));
    const QString source = dir.filePath("source.pdf");
    QVERIFY(TestFiles::write(source, TestFiles::pdfLike(200 * 1024, 2)));

    ScratchFolder scratch;
    GenerationRequest request{"Big", disk, {{"source", source}}, QString(), QString(), scratch.path()};
    const GenerationResult result = GenerateBook(request);

    QCOMPARE(result.outcome, GenerationOutcome::Failed);
    QVERIFY2(!result.cause.isEmpty(), qPrintable(result.cause));
    QCOMPARE(TestFiles::read(disk + "/Big.VELM"), earlier);
    QCOMPARE(entriesOf(disk), QStringList{"Big.VELM"});
}

void TestFaults::bookWriterKilledAtEachWriteLeavesOldOrNew()
{
    QTemporaryDir dir;
    const QString out = dir.filePath("out");
    QVERIFY(QDir().mkpath(out));
    QStringList sources;
    for (int i = 0; i < 3; ++i) {
        sources << dir.filePath(QString("chapter%1.pdf").arg(i));
        QVERIFY(TestFiles::write(sources.last(), TestFiles::pdfLike(1536 * 1024 + i, i)));
    }
    const QStringList arguments = QStringList{"make", "--name", "Book", "--out", out} + sources;

    // The new book, written once without limit, to know its bytes.
    QProcess::ExitStatus status;
    QCOMPARE(runWithFileSizeLimit(bookTool(), arguments, RLIM_INFINITY, &status), 0);
    const QByteArray newBook = TestFiles::read(out + "/Book.VELM");
    const QByteArray oldBook = TestFiles::pdfLike(5000, 9);

    const qint64 chunk = 1024 * 1024;
    QList<qint64> limits{0, 1, 100};
    for (qint64 at = chunk; at < newBook.size(); at += chunk / 2)
        limits << at - 1 << at;
    limits << newBook.size() - 5 << newBook.size() - 1;
    for (const qint64 limit : limits) {
        QVERIFY(TestFiles::write(out + "/Book.VELM", oldBook));
        runWithFileSizeLimit(bookTool(), arguments, limit, &status);
        QVERIFY2(status == QProcess::CrashExit, qPrintable(QString("limit %1").arg(limit)));
        QCOMPARE(TestFiles::read(out + "/Book.VELM"), oldBook);
        QCOMPARE(entriesOf(out), QStringList{"Book.VELM"});
    }
    QCOMPARE(runWithFileSizeLimit(bookTool(), arguments, newBook.size(), &status), 0);
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

    for (const qint64 limit : {0, 1, 4096, 16384, 30000}) {
        QProcess::ExitStatus status;
        runWithFileSizeLimit(QCoreApplication::applicationFilePath(), {"--rewrite", document, textFile},
                             limit, &status);
        QVERIFY2(status == QProcess::CrashExit, qPrintable(QString("limit %1").arg(limit)));
        QCOMPARE(TestFiles::read(dir.filePath("a.ini")), oldFile);
        QCOMPARE(entriesOf(dir.path()), (QStringList{"a.ini", "text.txt"}));
    }
    QProcess::ExitStatus status;
    QCOMPARE(runWithFileSizeLimit(QCoreApplication::applicationFilePath(),
                                  {"--rewrite", document, textFile}, RLIM_INFINITY, &status),
             0);
    QCOMPARE(Module1::ReadBookmarkEntries(document).size(), 2000);
}

void TestFaults::unwritableFolderAndFileForAPlainUser()
{
    QTemporaryDir dir;
    QVERIFY(makeOpenToEveryone(dir.path()));
    const QString document = dir.filePath("a.pdf");
    QVERIFY(Module1::AppendBookmarkLine(document, QStringLiteral("第一章［3］")));
    const QString bookmarks = dir.filePath("a.ini");
    QVERIFY(QFile::setPermissions(bookmarks, QFileDevice::ReadOwner | QFileDevice::ReadOther));
    const QByteArray before = TestFiles::read(bookmarks);

    // A read-only bookmark file takes no new line, and the old ones stay.
    QCOMPARE(runAsNobody(QCoreApplication::applicationFilePath(), {"--append", document, "附录［12］"}), 1);
    QCOMPARE(TestFiles::read(bookmarks), before);

    // A save folder the user may not write gets no book, and the earlier one stays.
    const QByteArray earlier = TestFiles::pdfLike(3000, 4);
    QVERIFY(TestFiles::write(dir.filePath("Book.VELM"), earlier));
    const QString source = dir.filePath("s.pdf");
    QVERIFY(TestFiles::write(source, TestFiles::pdfLike(2000, 5)));
    QVERIFY(makeOpenToEveryone(source));
    QVERIFY(makeOpenToEveryone(dir.filePath("Book.VELM")));
    QCOMPARE(runAsNobody(bookTool(), {"make", "-n", "Book", "-o", dir.path(), source}), 1);
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
