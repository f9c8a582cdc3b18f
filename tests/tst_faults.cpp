// SPDX-License-Identifier: GPL-2.0-or-later
// Each fault must leave the old file or the complete new one and nothing else. Root ignores file
// permissions, hence a small tmpfs, a file-size limit that kills the writer, a child giving up
// root.
#include "core/book/bookgenerator.h"
#include "core/book/scratchfolder.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/bookmarks/bookmarklock.h"
#include "skipping.h"
#include "testfiles.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using TestFiles::entriesOf;
using TestFiles::pdfLike;
using TestFiles::read;

namespace
{

const QString bookTool = qEnvironmentVariable("QUILLMOOR_BOOK_TOOL");

// The exit code, or -1 when killed: with a limit by SIGXFSZ once a file it writes would pass
// `limit` bytes. As "nobody" it is held to file permissions. "--" commands run this program.
int runChild(const QStringList &arguments, qint64 limit, bool asNobody = false)
{
    QProcess child;
    child.setProgram(arguments.first().startsWith("--") ? QCoreApplication::applicationFilePath()
                                                        : bookTool);
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
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

// The book tool run under strace, killed at the `nth` call of `call`: -1 when it was killed,
// else its exit code. LeakSanitizer cannot work under a tracer: the sanitizer build leaves it out.
int killedAtCall(const QStringList &arguments, const QString &call, int nth)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    child.setProcessEnvironment(environment);
    child.start("strace",
                QStringList{"-f", "-o", "/dev/null", "-e",
                            QString("inject=%1:signal=KILL:when=%2").arg(call).arg(nth), bookTool} +
                    arguments);
    child.waitForFinished(60000);
    return child.exitStatus() == QProcess::NormalExit ? child.exitCode() : -1;
}

void restore(const QString &folder, const QMap<QString, QByteArray> &files)
{
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        QFile::remove(folder + '/' + name);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        TestFiles::write(folder + '/' + it.key(), it.value());
}

// rwx for the owner, r-x for group and others.
bool openToEveryone(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::Permissions(0x7055));
}

} // namespace

class TestFaults : public QObject
{
    Q_OBJECT

private slots:
    void fullDiskKeepsTheEarlierBook()
    {
        QTemporaryDir dir;
        const QString disk = dir.filePath("disk");
        QVERIFY(QDir().mkpath(disk));
        if (::mount("tmpfs", disk.toLocal8Bit().constData(), "tmpfs", 0, "size=256k") != 0)
            SKIP_WHERE_LACKING("mounting a small tmpfs needs root (CAP_SYS_ADMIN)");
        const auto unmount = qScopeGuard([&] { ::umount(disk.toLocal8Bit().constData()); });
        const QByteArray earlier = pdfLike(100 * 1024, 1);
        const QString source = dir.filePath("source.pdf");
        QVERIFY(TestFiles::write(disk + "/Big.VELM", earlier) &&
                TestFiles::write(source, pdfLike(200 * 1024, 2)));
        ScratchFolder scratch;
        const GenerationResult result =
            GenerateBook({"Big", disk, {{"source", source}}, QString(), QString(), scratch.path()});
        QVERIFY(result.outcome == GenerationOutcome::Failed && !result.cause.isEmpty());
        QCOMPARE(read(disk + "/Big.VELM"), earlier);
        QCOMPARE(entriesOf(disk), QStringList{"Big.VELM"});
    }

    void bookWriterKilledAtEachWriteLeavesOldOrNew()
    {
        QTemporaryDir dir;
        const QString out = dir.filePath("out");
        const qint64 first = 1536 * 1024;
        QStringList arguments{"make", "--name", "Book", "--out", out};
        for (int i = 0; i < 3; ++i) {
            arguments << dir.filePath(QString("chapter%1.pdf").arg(i));
            QVERIFY(TestFiles::write(arguments.last(), pdfLike(first + i, i)));
        }
        QVERIFY(QDir().mkpath(out));
        QCOMPARE(runChild(arguments, RLIM_INFINITY), 0);
        const QByteArray newBook = read(out + "/Book.VELM");
        // Nothing written, the first chapter's end (one short / exactly), the index, the last byte.
        for (const qint64 limit :
             {qint64(0), first - 1, first, newBook.size() - 5, newBook.size() - 1}) {
            QVERIFY(TestFiles::write(out + "/Book.VELM", pdfLike(5000, 9)));
            QVERIFY2(runChild(arguments, limit) == -1, qPrintable(QString::number(limit)));
            QCOMPARE(read(out + "/Book.VELM"), pdfLike(5000, 9));
            QCOMPARE(entriesOf(out), QStringList{"Book.VELM"});
        }
        QCOMPARE(runChild(arguments, newBook.size()), 0);
        QCOMPARE(read(out + "/Book.VELM"), newBook);
    }

    void bookmarkRewriterKilledAtEachWriteLeavesOldOrNew()
    {
        QTemporaryDir dir;
        const QString document = dir.filePath("a.pdf");
        QVERIFY(Module1::AppendBookmarkLine(document, QStringLiteral("旧书签［1］")));
        const QByteArray oldFile = read(dir.filePath("a.ini"));
        QString newText;
        for (int i = 0; i < 2000; ++i)
            newText += QStringLiteral("新书签 %1［%1］\r\n").arg(i);
        const QStringList arguments{"--rewrite", document, dir.filePath("text.txt")};
        QVERIFY(TestFiles::write(arguments.last(), newText.toUtf8()));
        for (const qint64 limit : {0, 16384, 30000}) {
            QVERIFY2(runChild(arguments, limit) == -1, qPrintable(QString::number(limit)));
            QCOMPARE(read(dir.filePath("a.ini")), oldFile);
            QCOMPARE(entriesOf(dir.path()), (QStringList{"a.ini", "text.txt"}));
        }
        QCOMPARE(runChild(arguments, RLIM_INFINITY), 0);
        QCOMPARE(Module1::ReadBookmarkEntries(document).size(), 2000);
    }

    // Killed at every call that changes a file, a change of a book in place leaves, once the
    // book is opened again, the book and its bookmark file both as they were or both new; and a
    // bookmark added while the change waits for the lock is kept, following its chapter.
    void bookChangeKilledAtEachWriteLeavesBothOldOrBothNew()
    {
        if (QProcess::execute("strace", {"-o", "/dev/null", "true"}) != 0)
            SKIP_WHERE_LACKING("strace cannot trace here");
        QTemporaryDir dir;
        const QString book = dir.filePath("b.VELM");
        const QList<QPair<QString, QByteArray>> chapters{
            {"A", pdfLike(300000, 1)}, {"B", pdfLike(200000, 2)}, {"C", pdfLike(1000, 3)}};
        const QMap<QString, QByteArray> old{{"b.VELM", TestFiles::bookOf(chapters)},
                                            {"b.ini", "{0}A&a\xa3\xdb"
                                                      "1\xa3\xdd\r\n{2}C&c\xa3\xdb"
                                                      "2\xa3\xdd\r\n"}};
        const QByteArray newBook = TestFiles::bookOf({chapters[1], chapters[2], chapters[0]});
        const QByteArray newBookmarks = "{2}A&a\xa3\xdb"
                                        "1\xa3\xdd\r\n{1}C&c\xa3\xdb"
                                        "2\xa3\xdd\r\n";
        qputenv("XDG_STATE_HOME", dir.filePath("state").toUtf8());
        const QStringList move{"move", book, "1", "--to", "3"};
        int kills = 0;
        for (const char *call : {"write", "copy_file_range", "fdatasync", "fsync", "linkat",
                                 "rename", "renameat", "renameat2", "unlink", "unlinkat"}) {
            for (int nth = 1;; ++nth) {
                restore(dir.path(), old);
                const int ended = killedAtCall(move, call, nth);
                if (ended >= 0) {
                    QCOMPARE(ended, 0);
                    break;
                }
                ++kills;
                QCOMPARE(runChild({"list", book}, RLIM_INFINITY), 0);
                const bool asOld = read(book) == old["b.VELM"];
                QVERIFY2(asOld || read(book) == newBook, call);
                QCOMPARE(read(dir.filePath("b.ini")), asOld ? old["b.ini"] : newBookmarks);
            }
        }
        QVERIFY2(kills > 10, qPrintable(QString::number(kills)));

        restore(dir.path(), old);
        QProcess child;
        {
            const BookmarkLock lock(book, BookmarkLock::Wait);
            child.start(bookTool, move);
            QVERIFY(Module1::AppendBookmarkLine(book, "{0}A&new\xef\xbc\xbb"
                                                      "9\xef\xbc\xbd"));
            QTest::qWait(200);
        }
        QVERIFY(child.waitForFinished(60000) && child.exitCode() == 0);
        QCOMPARE(read(dir.filePath("b.ini")), newBookmarks + "{2}A&new\xa3\xdb"
                                                             "9\xa3\xdd\r\n");
    }

    // A read-only bookmark file takes no new line; a folder the user may not write gets no book.
    void unwritableFolderAndFileForAPlainUser()
    {
        if (::geteuid() != 0)
            SKIP_WHERE_LACKING("giving up root to test file permissions needs root");
        QTemporaryDir dir;
        const QString document = dir.filePath("a.pdf");
        const QString bookmarks = dir.filePath("a.ini");
        QVERIFY(openToEveryone(dir.path()) &&
                Module1::AppendBookmarkLine(document, QStringLiteral("第一章［3］")) &&
                QFile::setPermissions(bookmarks, QFileDevice::ReadOwner | QFileDevice::ReadOther));
        const QByteArray before = read(bookmarks);
        QCOMPARE(runChild({"--append", document, "附录［12］"}, RLIM_INFINITY, true), 1);
        QCOMPARE(read(bookmarks), before);
        const QByteArray earlier = pdfLike(3000, 4);
        const QString book = dir.filePath("Book.VELM");
        const QString source = dir.filePath("s.pdf");
        QVERIFY(TestFiles::write(book, earlier) && TestFiles::write(source, pdfLike(2000, 5)));
        QVERIFY(openToEveryone(source) && openToEveryone(book));
        QCOMPARE(runChild({"make", "-n", "Book", "-o", dir.path(), source}, RLIM_INFINITY, true),
                 1);
        QCOMPARE(read(book), earlier);
        QCOMPARE(entriesOf(dir.path()), (QStringList{"Book.VELM", "a.ini", "s.pdf"}));
        // A change left unfinished stays as it is where the opener may not write.
        const QString pending = dir.filePath(".Book.ini.pending-1-0");
        QVERIFY(TestFiles::write(book, TestFiles::bookOf({{"A", pdfLike(10, 1)}})) &&
                TestFiles::write(pending, "x") && openToEveryone(book));
        QCOMPARE(runChild({"list", book}, RLIM_INFINITY, true), 0);
        QVERIFY(QFileInfo::exists(pending));
        QCOMPARE(runChild({"list", book}, RLIM_INFINITY), 0);
        QVERIFY(!QFileInfo::exists(pending));
    }
};

// The test program is also its own child: "--rewrite DOCUMENT TEXTFILE" rewrites the bookmark
// file of DOCUMENT with the text of TEXTFILE, "--append DOCUMENT LINE" appends a line.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList a = app.arguments();
    if (a.value(1) == "--rewrite")
        return !Module1::RewriteBookmarkFile(a.value(2), QString::fromUtf8(read(a.value(3))));
    if (a.value(1) == "--append")
        return !Module1::AppendBookmarkLine(a.value(2), a.value(3));
    TestFaults test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_faults.moc"
