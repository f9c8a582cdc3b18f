// SPDX-License-Identifier: GPL-2.0-or-later
// The cage of the process that parses PDFs, entered each time by a child of the test: what a
// parser taken over would try is refused, what drawing a page needs still works. The test runs
// as root, so every refusal here holds for root.
#include "pdf/engine.h"
#include "pdf/sandbox.h"
#include "skipping.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <functional>

#include <fcntl.h>
#include <iconv.h>
#include <linux/landlock.h>
#include <pthread.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

using Attempt = std::function<int()>;
Q_DECLARE_METATYPE(Attempt)

namespace
{

// The errno of a call that gave -1, else 0.
int errorOf(long result)
{
    return result < 0 ? errno : 0;
}

// What /proc/PID/ns/KIND names, PID a number or "self".
QByteArray namespaceOf(const QString &pid, const char *kind)
{
    char target[64] = {};
    const QByteArray link = QStringLiteral("/proc/%1/ns/%2").arg(pid, kind).toLocal8Bit();
    return readlink(link.constData(), target, sizeof target - 1) > 0 ? QByteArray(target)
                                                                     : QByteArray();
}

int openFile(const QString &path, int flags)
{
    const int fd = open(QFile::encodeName(path).constData(), flags, 0600);
    const int error = errorOf(fd);
    if (fd >= 0)
        close(fd);
    return error;
}

// `status` is /proc/self/status, opened before the cage; mode 2 is a seccomp filter.
bool filtered(int status)
{
    char text[4096];
    const ssize_t length = pread(status, text, sizeof text, 0);
    return length > 0 && QByteArray(text, int(length)).contains("\nSeccomp:\t2\n");
}

// What `attempt` gives in a child that has entered the cage through a pipe opened before; -1
// when the child could not enter it or no filter holds, -2 when the child told nothing.
int inCage(const Attempt &attempt)
{
    int ends[2];
    if (pipe(ends) != 0)
        return -2;
    const pid_t child = fork();
    if (child == 0) {
        const int status = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
        QString problem;
        const bool entered = Pdf::Sandbox::enter(&problem);
        if (!problem.isEmpty())
            fprintf(stderr, "%s\n", qPrintable(problem));
        const int result = entered && filtered(status) ? attempt() : -1;
        _exit(write(ends[1], &result, sizeof result) == sizeof result ? 0 : 1);
    }
    close(ends[1]);
    int result = -2;
    if (child < 0 || read(ends[0], &result, sizeof result) != sizeof result)
        result = -2;
    close(ends[0]);
    waitpid(child, nullptr, 0);
    return result;
}

// Threads started in the cage, each waiting, until one cannot be or `most` are.
int threadsStarted(int most)
{
    int started = 0;
    for (; started < most; ++started) {
        pthread_t thread;
        if (pthread_create(
                &thread, nullptr,
                [](void *) -> void * {
                    sleep(600);
                    return nullptr;
                },
                nullptr) != 0)
            break;
    }
    return started;
}

} // namespace

class TestSandbox : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_outside; // a file made before the cage, in no readable folder
    QString m_font;

private slots:
    void initTestCase()
    {
        m_outside = m_dir.filePath("outside");
        QVERIFY(TestFiles::write(m_outside, "bytes"));
        QDirIterator fonts("/usr/share/fonts", {"*.ttf", "*.otf", "*.ttc"}, QDir::Files,
                           QDirIterator::Subdirectories);
        m_font = fonts.hasNext() ? fonts.next() : QString();
        QVERIFY(!m_font.isEmpty());
        QVERIFY(Pdf::Sandbox::readableFolders().contains("/usr/share/fonts"));
        QVERIFY(!Pdf::Sandbox::readableFolders().contains(m_dir.path()));
    }

    void refusesWhatATakenOverParserWouldTry_data()
    {
        QTest::addColumn<Attempt>("attempt");
        QTest::addColumn<bool>("allowed");
        QTest::addColumn<bool>("needsLandlock");
        const QString outside = m_outside;
        const QString font = m_font;
        QTest::newRow("open for writing")
            << Attempt([=] { return openFile(outside, O_WRONLY); }) << false << false;
        QTest::newRow("open a font for writing")
            << Attempt([=] { return openFile(font, O_RDWR); }) << false << false;
        QTest::newRow("create") << Attempt([=] {
            return openFile(outside + ".new", O_WRONLY | O_CREAT | O_EXCL);
        }) << false << false;
        QTest::newRow("remove") << Attempt([=] {
            return errorOf(unlink(QFile::encodeName(outside).constData()));
        }) << false << false;
        QTest::newRow("read outside the folders")
            << Attempt([=] { return openFile(outside, O_RDONLY); }) << false << true;
        QTest::newRow("socket") << Attempt([] { return errorOf(socket(AF_UNIX, SOCK_STREAM, 0)); })
                                << false << false;
        QTest::newRow("execute") << Attempt([] {
            char *const argv[] = {const_cast<char *>("true"), nullptr};
            return errorOf(execve("/bin/true", argv, environ));
        }) << false << false;
        QTest::newRow("fork") << Attempt([] {
            const pid_t child = fork();
            if (child == 0)
                _exit(0);
            return child > 0 ? 0 : errno;
        }) << false << false;
        QTest::newRow("read a font")
            << Attempt([=] { return openFile(font, O_RDONLY); }) << true << false;
        QTest::newRow("start a thread") << Attempt([] {
            pthread_t thread;
            const int error = pthread_create(
                &thread, nullptr, [](void *) -> void * { return nullptr; }, nullptr);
            return error == 0 ? pthread_join(thread, nullptr) : error;
        }) << true << false;
        // Each would have the kernel signal another process once the pipe is ready, which
        // Landlock before ABI 6 does not stop.
        const auto onAPipe = [](int command, long argument) {
            int ends[2];
            if (pipe(ends) != 0)
                return -3;
            const int error = errorOf(fcntl(ends[0], command, argument));
            close(ends[0]);
            close(ends[1]);
            return error;
        };
        QTest::newRow("have a signal sent to another process")
            << Attempt([=] { return onAPipe(F_SETOWN, long(getppid())); }) << false << false;
        QTest::newRow("choose the signal")
            << Attempt([=] { return onAPipe(F_SETSIG, SIGKILL); }) << false << false;
        QTest::newRow("ask for signals")
            << Attempt([=] { return onAPipe(F_SETFL, O_ASYNC); }) << false << false;
        QTest::newRow("watch a folder")
            << Attempt([=] { return onAPipe(F_NOTIFY, DN_MODIFY); }) << false << false;
        QTest::newRow("stop waiting on a pipe")
            << Attempt([=] { return onAPipe(F_SETFL, O_NONBLOCK); }) << true << false;
        // Memory the window's watch of the resident size never sees.
        QTest::newRow("fill a memfd past 1 GiB") << Attempt([] {
            const int fd = memfd_create("filler", MFD_CLOEXEC);
            const int error = errorOf(pwrite(fd, "x", 1, off_t(1) << 30));
            close(fd);
            return error;
        }) << false << false;
        QTest::newRow("processor time and core dumps bounded") << Attempt([] {
            rlimit cpu{}, core{};
            return getrlimit(RLIMIT_CPU, &cpu) == 0 && getrlimit(RLIMIT_CORE, &core) == 0 &&
                           cpu.rlim_max <= 3600 && core.rlim_max == 0
                       ? 0
                       : 1;
        }) << true << false;
        // No code is made once caged; the converters fontconfig decodes font names with were
        // loaded before.
        QTest::newRow("map memory executable") << Attempt([] {
            void *page =
                mmap(nullptr, 4096, PROT_READ | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (page == MAP_FAILED)
                return errno;
            munmap(page, 4096);
            return 0;
        }) << false << false;
        QTest::newRow("make memory executable") << Attempt([] {
            void *page =
                mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (page == MAP_FAILED)
                return -3;
            const int error = errorOf(mprotect(page, 4096, PROT_READ | PROT_EXEC));
            munmap(page, 4096);
            return error;
        }) << false << false;
        QTest::newRow("decode a font name in GB2312") << Attempt([] {
            const iconv_t converter = iconv_open("UTF-8", "GB2312");
            if (converter == iconv_t(-1))
                return errno;
            char name[] = "\xd6\xd0"; // 中
            char decoded[8] = {};
            char *from = name;
            char *to = decoded;
            size_t left = 2;
            size_t room = sizeof decoded - 1;
            const bool done = iconv(converter, &from, &left, &to, &room) != size_t(-1);
            iconv_close(converter);
            return done && QByteArray(decoded) == "中" ? 0 : 1;
        }) << true << false;
        QTest::newRow("hand a page back in a sealed memfd") << Attempt([] {
            const int fd = memfd_create("page", MFD_CLOEXEC | MFD_ALLOW_SEALING);
            const int seals = F_SEAL_SEAL | F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE;
            const bool done = fd >= 0 && ftruncate(fd, 4096) == 0 && write(fd, "ink", 3) == 3 &&
                              fcntl(fd, F_ADD_SEALS, seals) == 0;
            return done ? 0 : errno;
        }) << true << false;
    }

    void refusesWhatATakenOverParserWouldTry()
    {
        QFETCH(Attempt, attempt);
        QFETCH(bool, allowed);
        QFETCH(bool, needsLandlock);
        if (needsLandlock &&
            syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION) < 1)
            SKIP_WHERE_LACKING("this kernel has no Landlock: reads are not limited by folder");
        const int error = inCage(attempt);
        if (allowed)
            QCOMPARE(error, 0);
        else
            QVERIFY2(error == EPERM || error == EACCES || error == EFBIG || error == ENOENT,
                     qPrintable(QString::number(error)));
    }

    // The cage bounds its threads by its own count, not the user's: a child that gave up root
    // (root's tasks are never held to the limit) with 300 other processes of its user running
    // still starts 200 threads in the cage, and never more than the bound of 256 (the data limit
    // alone would stop them near 500, as their stacks fill it).
    void threadsAreBoundedByTheirOwnCount()
    {
        int ends[2];
        QVERIFY(pipe(ends) == 0);
        QVERIFY(prctl(PR_SET_CHILD_SUBREAPER, 1) == 0);
        const pid_t child = fork();
        if (child == 0) {
            int result = -1;
            if (setpgid(0, 0) == 0 && setresgid(65534, 65534, 65534) == 0 &&
                setresuid(65534, 65534, 65534) == 0) {
                for (int i = 0; i < 300; ++i) {
                    if (fork() == 0) {
                        for (;;)
                            pause();
                    }
                }
                QString problem;
                if (Pdf::Sandbox::enter(&problem))
                    result =
                        problem.contains("threads are not bounded") ? -2 : threadsStarted(1000);
            }
            _exit(write(ends[1], &result, sizeof result) == sizeof result ? 0 : 1);
        }
        close(ends[1]);
        int started = -3;
        const bool told = read(ends[0], &started, sizeof started) == sizeof started;
        close(ends[0]);
        kill(-child, SIGKILL);
        while (waitpid(-1, nullptr, 0) > 0) {
        }
        QVERIFY(told);
        if (started == -2)
            SKIP_WHERE_LACKING("this system refuses user namespaces: threads are not bounded");
        QVERIFY2(started >= 200 && started < 256, qPrintable(QString::number(started)));
    }

    // Where user namespaces are made, the cage's root holds the folders it reads and nothing
    // else, read-only: a file of the user's is not there even to stat; and its network is
    // another.
    void seesNothingButTheFoldersItReads()
    {
        int told[2], done[2];
        QVERIFY(pipe(told) == 0 && pipe(done) == 0);
        const QByteArray outside = QFile::encodeName(m_outside);
        const pid_t child = fork();
        if (child == 0) {
            close(done[1]);
            QString problem;
            int result = -1;
            if (Pdf::Sandbox::enter(&problem)) {
                struct stat info {
                };
                result = problem.contains("the file system is the user's")
                             ? -2
                             : errorOf(stat(outside.constData(), &info));
            }
            char end = 0;
            const bool answered = write(told[1], &result, sizeof result) == sizeof result;
            _exit(answered && read(done[0], &end, 1) >= 0 ? 0 : 1);
        }
        close(told[1]);
        close(done[0]);
        int result = -3;
        const bool heard = read(told[0], &result, sizeof result) == sizeof result;
        const QString root = QStringLiteral("/proc/%1/root").arg(child);
        QStringList shared;
        for (const char *kind : {"user", "mnt", "net"}) {
            if (namespaceOf(QString::number(child), kind) == namespaceOf("self", kind))
                shared << kind;
        }
        const bool userFileThere = QFileInfo::exists(root + m_outside);
        const bool fontsThere = QFileInfo(root + "/usr/share/fonts").isDir();
        struct statvfs rootMount {
        };
        const bool readOnly = statvfs(QFile::encodeName(root + "/").constData(), &rootMount) == 0 &&
                              (rootMount.f_flag & ST_RDONLY);
        close(done[1]);
        close(told[0]);
        waitpid(child, nullptr, 0);
        QVERIFY(heard);
        if (result == -2)
            SKIP_WHERE_LACKING(
                "this system refuses user namespaces: the file system is the user's");
        QCOMPARE(result, ENOENT);
        QCOMPARE(shared, QStringList());
        QVERIFY(!userFileThere);
        QVERIFY(fontsThere);
        QVERIFY(readOnly);
    }

    // Fonts the file names but does not embed are found through fontconfig and poppler's data
    // inside the cage: Helvetica, and a Chinese font in a predefined CMap. The test process
    // itself never draws, so the child reads fontconfig's configuration for the first time.
    void drawsTextInFontsNotEmbedded()
    {
        const QByteArray pdf = TestPdfs::linked();
        const int missing = inCage([&pdf] {
            const std::unique_ptr<Pdf::Document> document = Pdf::Engine::openMemory(pdf);
            const QImage page = document ? document->draw(1, 1.0, 0, QRect()) : QImage();
            // Page 2: the Helvetica line near the top, the Chinese line below it.
            return (TestPdfs::hasInk(page.copy(0, 74, 612, 26)) ? 0 : 1) |
                   (TestPdfs::hasInk(page.copy(0, 128, 612, 32)) ? 0 : 2);
        });
        QCOMPARE(missing, 0);
    }
};

QTEST_GUILESS_MAIN(TestSandbox)
#include "tst_sandbox.moc"
