// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/sandbox.h"

#include "pdf/cagecommon.h"
#include "pdf/namespaces.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <utility>

#include <dlfcn.h>
#include <fcntl.h>
#include <gnu/libc-version.h>
#include <iconv.h>
#include <linux/landlock.h>
#include <sched.h>
#include <seccomp.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

// Rights of kernels newer than the headers we may be built against (Debian 12's know Landlock's
// first two versions). The values are the kernel's interface and never change; which of them a
// ruleset handles follows the running kernel.
#ifndef LANDLOCK_ACCESS_FS_TRUNCATE
#define LANDLOCK_ACCESS_FS_TRUNCATE (1ULL << 14)
#endif
#ifndef LANDLOCK_ACCESS_FS_IOCTL_DEV
#define LANDLOCK_ACCESS_FS_IOCTL_DEV (1ULL << 15)
#endif
#ifndef LANDLOCK_ACCESS_NET_BIND_TCP
#define LANDLOCK_ACCESS_NET_BIND_TCP (1ULL << 0)
#endif
#ifndef LANDLOCK_ACCESS_NET_CONNECT_TCP
#define LANDLOCK_ACCESS_NET_CONNECT_TCP (1ULL << 1)
#endif
#ifndef LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET
#define LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET (1ULL << 0)
#endif
#ifndef LANDLOCK_SCOPE_SIGNAL
#define LANDLOCK_SCOPE_SIGNAL (1ULL << 1)
#endif

namespace
{

using Pdf::Sandbox::failed;

std::atomic<bool> entered{false};

bool tell(QString *problem, const QString &text)
{
    if (problem)
        *problem = text;
    return false;
}

// Adds a reason the cage is less than whole to those `problem` holds.
void note(QString *problem, const QString &reason)
{
    if (problem)
        *problem = problem->isEmpty() ? reason : *problem + QLatin1String("; ") + reason;
}

// An XDG base folder: the variable when it holds an absolute path, else its place below home.
QString xdgFolder(const char *variable, const QString &home, const char *belowHome)
{
    const QString set = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(set))
        return set;
    return home.isEmpty() ? QString() : home + QLatin1String(belowHome);
}

// glibc loads its character set converters from beside itself, in the multiarch folder.
QString gconvFolder()
{
    Dl_info library;
    if (dladdr(reinterpret_cast<void *>(&gnu_get_libc_version), &library) == 0 ||
        !library.dli_fname)
        return QString();
    return QFileInfo(QFile::decodeName(library.dli_fname)).absolutePath() + QLatin1String("/gconv");
}

QStringList candidateFolders()
{
    const QString home = qEnvironmentVariable("HOME");
    const QString config = xdgFolder("XDG_CONFIG_HOME", home, "/.config");
    const QString cache = xdgFolder("XDG_CACHE_HOME", home, "/.cache");
    QStringList folders{"/usr/share/fonts",
                        "/usr/local/share/fonts",
                        xdgFolder("XDG_DATA_HOME", home, "/.local/share") + "/fonts",
                        home.isEmpty() ? QString() : home + "/.fonts",
                        "/etc/fonts",
                        "/usr/share/fontconfig",
                        "/var/cache/fontconfig",
                        cache.isEmpty() ? QString() : cache + "/fontconfig",
                        config.isEmpty() ? QString() : config + "/fontconfig",
                        "/usr/share/poppler",
                        gconvFolder(),
                        "/usr/lib/locale",
                        "/usr/share/locale",
                        "/usr/share/zoneinfo"};
    QString dataDirs = qEnvironmentVariable("XDG_DATA_DIRS");
    if (dataDirs.isEmpty())
        dataDirs = QStringLiteral("/usr/local/share:/usr/share");
    for (const QString &dir : dataDirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            folders << dir + "/fonts";
    }
    return folders;
}

int threadCount()
{
    return QDir(QStringLiteral("/proc/self/task"))
        .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
        .size();
}

// Landlock's ruleset as the kernel reads it. Kernels newer than Debian 12's headers appended the
// last two fields, and read as many bytes as they are given: the size follows the running ABI.
struct Ruleset {
    quint64 handledFs = 0;
    quint64 handledNet = 0;
    quint64 scoped = 0;
};

// Every right the running kernel knows: none of them is granted but reading below the readable
// folders.
Ruleset everyRight(int abi)
{
    Ruleset rules;
    rules.handledFs =
        LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE |
        LANDLOCK_ACCESS_FS_READ_DIR | LANDLOCK_ACCESS_FS_REMOVE_DIR |
        LANDLOCK_ACCESS_FS_REMOVE_FILE | LANDLOCK_ACCESS_FS_MAKE_CHAR |
        LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_MAKE_REG | LANDLOCK_ACCESS_FS_MAKE_SOCK |
        LANDLOCK_ACCESS_FS_MAKE_FIFO | LANDLOCK_ACCESS_FS_MAKE_BLOCK | LANDLOCK_ACCESS_FS_MAKE_SYM;
    if (abi >= 2)
        rules.handledFs |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3)
        rules.handledFs |= LANDLOCK_ACCESS_FS_TRUNCATE;
    if (abi >= 4)
        rules.handledNet = LANDLOCK_ACCESS_NET_BIND_TCP | LANDLOCK_ACCESS_NET_CONNECT_TCP;
    if (abi >= 5)
        rules.handledFs |= LANDLOCK_ACCESS_FS_IOCTL_DEV;
    if (abi >= 6)
        rules.scoped = LANDLOCK_SCOPE_ABSTRACT_UNIX_SOCKET | LANDLOCK_SCOPE_SIGNAL;
    return rules;
}

std::size_t rulesetSize(int abi)
{
    if (abi >= 6)
        return sizeof(Ruleset);
    return abi >= 4 ? offsetof(Ruleset, scoped) : offsetof(Ruleset, handledNet);
}

// False when the rule could not be added; a folder gone since it was listed is left out.
bool allowReadingBelow(int ruleset, const QString &folder)
{
    const int fd = open(QFile::encodeName(folder).constData(), O_PATH | O_CLOEXEC | O_DIRECTORY);
    if (fd < 0)
        return true;
    landlock_path_beneath_attr beneath{};
    beneath.allowed_access = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
    beneath.parent_fd = fd;
    const bool added =
        syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &beneath, 0) == 0;
    const int error = errno;
    close(fd);
    errno = error;
    return added;
}

// Without Landlock in the kernel only `problem` says so.
bool limitReads(QString *problem)
{
    const long abi =
        syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    if (abi < 1) {
        note(problem,
             QStringLiteral("reads are not limited by folder, the kernel has no Landlock"));
        return true;
    }
    const Ruleset rules = everyRight(int(abi));
    const int ruleset = int(syscall(SYS_landlock_create_ruleset, &rules, rulesetSize(int(abi)), 0));
    if (ruleset < 0)
        return failed(problem, "Landlock's ruleset cannot be made", errno);
    bool done = true;
    for (const QString &folder : Pdf::Sandbox::readableFolders())
        done = done && allowReadingBelow(ruleset, folder);
    done = done && syscall(SYS_landlock_restrict_self, ruleset, 0) == 0;
    const int error = errno;
    close(ruleset);
    return done || failed(problem, "Landlock's rules cannot be set", error);
}

// The calls let through whatever their arguments (see the header for why).
const int plainCalls[] = {
    SCMP_SYS(read), SCMP_SYS(readv), SCMP_SYS(pread64), SCMP_SYS(preadv), SCMP_SYS(write),
    SCMP_SYS(writev), SCMP_SYS(pwrite64), SCMP_SYS(lseek), SCMP_SYS(close), SCMP_SYS(close_range),
    SCMP_SYS(dup), SCMP_SYS(dup2), SCMP_SYS(dup3), SCMP_SYS(fadvise64), SCMP_SYS(fstat),
    SCMP_SYS(fstatfs), SCMP_SYS(ftruncate), SCMP_SYS(stat), SCMP_SYS(lstat), SCMP_SYS(newfstatat),
    SCMP_SYS(statx), SCMP_SYS(statfs), SCMP_SYS(access), SCMP_SYS(faccessat), SCMP_SYS(faccessat2),
    SCMP_SYS(readlink), SCMP_SYS(readlinkat), SCMP_SYS(getdents64), SCMP_SYS(getcwd),
    // the socket to the reader
    SCMP_SYS(sendmsg), SCMP_SYS(recvmsg), SCMP_SYS(sendto), SCMP_SYS(recvfrom), SCMP_SYS(shutdown),
    SCMP_SYS(getsockopt), SCMP_SYS(setsockopt), SCMP_SYS(getsockname), SCMP_SYS(getpeername),
    SCMP_SYS(memfd_create),
    // memory and threads
    SCMP_SYS(brk), SCMP_SYS(munmap), SCMP_SYS(mremap), SCMP_SYS(madvise), SCMP_SYS(set_tid_address),
    SCMP_SYS(set_robust_list), SCMP_SYS(rseq), SCMP_SYS(futex), SCMP_SYS(sched_yield),
    SCMP_SYS(sched_getaffinity), SCMP_SYS(gettid), SCMP_SYS(exit),
    // waiting and time
    SCMP_SYS(poll), SCMP_SYS(ppoll), SCMP_SYS(select), SCMP_SYS(pselect6), SCMP_SYS(epoll_create1),
    SCMP_SYS(epoll_ctl), SCMP_SYS(epoll_wait), SCMP_SYS(epoll_pwait), SCMP_SYS(eventfd2),
    SCMP_SYS(pipe2), SCMP_SYS(nanosleep), SCMP_SYS(clock_nanosleep), SCMP_SYS(clock_gettime),
    SCMP_SYS(clock_getres), SCMP_SYS(gettimeofday), SCMP_SYS(time),
    // signals
    SCMP_SYS(rt_sigaction), SCMP_SYS(rt_sigprocmask), SCMP_SYS(rt_sigreturn), SCMP_SYS(sigaltstack),
    SCMP_SYS(restart_syscall),
    // about itself
    SCMP_SYS(getpid), SCMP_SYS(getppid), SCMP_SYS(getuid), SCMP_SYS(geteuid), SCMP_SYS(getgid),
    SCMP_SYS(getegid), SCMP_SYS(getresuid), SCMP_SYS(getresgid), SCMP_SYS(uname), SCMP_SYS(sysinfo),
    SCMP_SYS(getrandom), SCMP_SYS(getrlimit), SCMP_SYS(exit_group)};

// Open flags that would write, refused whatever the file.
constexpr scmp_datum_t writing = O_WRONLY | O_RDWR | O_CREAT | O_TRUNC | O_APPEND;

// 0, or libseccomp's negative errno of the first rule that could not be added.
int addRules(scmp_filter_ctx filter)
{
    int result = 0;
    // A call this architecture lacks (a negative number) needs no rule.
    const auto add = [&](int call, std::initializer_list<scmp_arg_cmp> conditions = {},
                         uint32_t action = SCMP_ACT_ALLOW) {
        if (result == 0 && call >= 0)
            result = seccomp_rule_add_array(filter, action, call, unsigned(conditions.size()),
                                            conditions.begin());
    };
    for (const int call : plainCalls)
        add(call);
    // No code is made or loaded once caged.
    add(SCMP_SYS(mmap), {SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)});
    add(SCMP_SYS(mprotect), {SCMP_A2(SCMP_CMP_MASKED_EQ, PROT_EXEC, 0)});
    add(SCMP_SYS(openat), {SCMP_A2(SCMP_CMP_MASKED_EQ, writing, 0)});
    add(SCMP_SYS(open), {SCMP_A1(SCMP_CMP_MASKED_EQ, writing, 0)});
    // The command is an int: only its 32 bits are compared.
    constexpr scmp_datum_t commandBits = 0xffffffff;
    for (const scmp_datum_t command :
         {F_DUPFD, F_DUPFD_CLOEXEC, F_GETFD, F_SETFD, F_GETFL, F_GETLK, F_SETLK, F_SETLKW,
          F_OFD_GETLK, F_OFD_SETLK, F_OFD_SETLKW, F_ADD_SEALS, F_GET_SEALS, F_GETPIPE_SZ})
        add(SCMP_SYS(fcntl), {SCMP_A1(SCMP_CMP_MASKED_EQ, commandBits, command)});
    add(SCMP_SYS(fcntl), {SCMP_A1(SCMP_CMP_MASKED_EQ, commandBits, F_SETFL),
                          SCMP_A2(SCMP_CMP_MASKED_EQ, O_ASYNC, 0)});
    add(SCMP_SYS(clone), {SCMP_A0(SCMP_CMP_MASKED_EQ, CLONE_THREAD, CLONE_THREAD)});
    add(SCMP_SYS(clone3), {}, SCMP_ACT_ERRNO(ENOSYS));
    const scmp_datum_t self = scmp_datum_t(getpid());
    add(SCMP_SYS(kill), {SCMP_A0(SCMP_CMP_EQ, self)});
    add(SCMP_SYS(tgkill), {SCMP_A0(SCMP_CMP_EQ, self)});
    for (const scmp_datum_t request : {FIONREAD, TCGETS})
        add(SCMP_SYS(ioctl), {SCMP_A1(SCMP_CMP_EQ, request)});
    for (const scmp_datum_t option : {PR_SET_NAME, PR_GET_NAME})
        add(SCMP_SYS(prctl), {SCMP_A0(SCMP_CMP_EQ, option)});
    add(SCMP_SYS(prlimit64), {SCMP_A0(SCMP_CMP_EQ, 0), SCMP_A2(SCMP_CMP_EQ, 0)});
    return result;
}

// fontconfig decodes the names of fonts in the legacy encodings of East Asia and the Macintosh
// with iconv, whose converters glibc loads as libraries when first asked: in the cage no library
// can be loaded, so they are loaded before, and kept loaded by a descriptor never closed.
void loadConverters()
{
    // Spelt as fontconfig asks for them.
    for (const char *encoding :
         {"MACINTOSH", "SJIS", "SJIS-WIN", "GB2312", "BIG-5", "Wansung", "Johab"}) {
        if (iconv_open("UTF-8", encoding) == iconv_t(-1)) {
            // A converter glibc lacks is one fontconfig would lack too.
        }
    }
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define SANITIZED_BUILD
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define SANITIZED_BUILD
#endif
#endif

// Bounds a worker taken over: the window watches its resident memory, which a file written and
// not mapped (a memfd) or memory reserved and not yet touched never show.
bool setLimits(QString *problem)
{
    constexpr rlim_t GiB = rlim_t(1) << 30;
    // A file past the bound fails its write with EFBIG, rather than the process with a signal.
    ::signal(SIGXFSZ, SIG_IGN);
    const std::initializer_list<std::pair<int, rlim_t>> limits = {
        {RLIMIT_FSIZE, GiB}, // a page's pixels, the largest file it writes
        {RLIMIT_CPU, 3600},  // seconds: a worker serves one document, each job in seconds
        {RLIMIT_CORE, 0},    // no copy of a hostile document's memory on the disk
#ifndef SANITIZED_BUILD
        // The sanitizers' shadow memory is terabytes of writable reservations.
        {RLIMIT_DATA, 4 * GiB},
#endif
    };
    for (const auto &[resource, bound] : limits) {
        rlimit limit{};
        if (::getrlimit(resource, &limit) != 0)
            return failed(problem, "a resource limit cannot be read", errno);
        limit.rlim_cur = std::min(limit.rlim_cur, bound);
        limit.rlim_max = std::min(limit.rlim_max, bound);
        if (::setrlimit(resource, &limit) != 0)
            return failed(problem, "a resource limit cannot be set", errno);
    }
    return true;
}

// Threads a worker may run, itself counted: poppler's and Qt's need a few.
constexpr rlim_t ThreadBound = 256;

// The namespaces, then the limit on processes, which counts every task of the user, but in a
// user namespace of its own counts the worker's alone, while the user's other processes still
// count against the user's own limit above it. Root's tasks are never held to it. Where such a
// namespace is refused, threads stay unbounded, and `problem` says so.
bool isolateAndBoundThreads(QString *problem)
{
    QString why;
    const Pdf::Sandbox::Isolation made =
        Pdf::Sandbox::isolate(Pdf::Sandbox::readableFolders(), &why);
    if (made == Pdf::Sandbox::Isolation::Broken) {
        note(problem, why);
        return false;
    }
    if (made != Pdf::Sandbox::Isolation::Whole)
        note(problem, QLatin1String("the file system is the user's: ") + why);
    if (made == Pdf::Sandbox::Isolation::Refused) {
        note(problem, QStringLiteral("threads are not bounded, no user namespace can be made"));
        return true;
    }
    rlimit limit{};
    if (::getrlimit(RLIMIT_NPROC, &limit) != 0)
        return failed(problem, "the limit on threads cannot be read", errno);
    limit.rlim_cur = std::min(limit.rlim_cur, ThreadBound);
    limit.rlim_max = std::min(limit.rlim_max, ThreadBound);
    return ::setrlimit(RLIMIT_NPROC, &limit) == 0 ||
           failed(problem, "the limit on threads cannot be set", errno);
}

bool installFilter(QString *problem)
{
    const scmp_filter_ctx filter = seccomp_init(SCMP_ACT_ERRNO(EPERM));
    if (!filter)
        return tell(problem, QStringLiteral("the system call filter cannot be made"));
    int result = addRules(filter);
    if (result == 0)
        result = seccomp_load(filter);
    seccomp_release(filter);
    return result == 0 || failed(problem, "the system call filter cannot be set", -result);
}

} // namespace

namespace Pdf::Sandbox
{

bool enter(QString *problem)
{
    if (problem)
        problem->clear();
    if (threadCount() > 1)
        return tell(problem, QStringLiteral("other threads run, and would not be restricted"));
    // Needed by both locks without privileges; and nothing run later could gain any.
    if (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0)
        return failed(problem, "no_new_privs cannot be set", errno);
    loadConverters();
    // Landlock, once set, refuses the mounts the namespaces need.
    if (!setLimits(problem) || !isolateAndBoundThreads(problem) || !limitReads(problem) ||
        !installFilter(problem))
        return false;
    entered = true;
    return true;
}

QStringList readableFolders()
{
    QStringList folders;
    for (const QString &candidate : candidateFolders()) {
        const QFileInfo folder(candidate);
        if (!candidate.isEmpty() && folder.isDir())
            folders << folder.canonicalFilePath();
    }
    folders.removeDuplicates();
    return folders;
}

} // namespace Pdf::Sandbox

// LeakSanitizer asks this at exit before it checks for leaks, which it does by stopping every
// thread with ptrace from a process of its own: in the cage that can only fail, and would fail
// the exit with it.
#if defined(__SANITIZE_ADDRESS__)
#define LEAK_CHECK_AT_EXIT
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define LEAK_CHECK_AT_EXIT
#endif
#endif
#ifdef LEAK_CHECK_AT_EXIT
extern "C" __attribute__((visibility("default"))) int __lsan_is_turned_off()
{
    return entered ? 1 : 0;
}
#endif
