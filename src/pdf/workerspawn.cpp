// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/workerspawn.h"

#include "pdf/cagecommon.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace
{

struct Start {
    QByteArray path;
    int socket;
    int running;
    int diagnostics;
    QByteArray userMap; // the ids stay what they are
    QByteArray groupMap;
};

pid_t plainSpawn(const Start &start)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, start.diagnostics, STDERR_FILENO);
    posix_spawn_file_actions_adddup2(&actions, start.socket, Pdf::WorkerSocket);
    posix_spawn_file_actions_adddup2(&actions, start.running, Pdf::WorkerRunning);
    char *const arguments[] = {const_cast<char *>(start.path.constData()), nullptr};
    pid_t pid = -1;
    const int failed =
        ::posix_spawn(&pid, start.path.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// What follows runs in the child of a threaded process before it runs the program. Another
// thread may have held a lock at the clone, the allocator's or a sanitizer's, which no thread
// of the child will ever release: so nothing is allocated, and each call goes to the kernel
// itself, past every library's wrapper (the sanitizers' included).

long call(long number, long a = 0, long b = 0, long c = 0)
{
    return ::syscall(number, a, b, c);
}

bool writeAll(const char *path, const char *text, long length)
{
    const long fd = call(SYS_openat, AT_FDCWD, long(path), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = call(SYS_write, fd, long(text), length) == length;
    call(SYS_close, fd);
    return written;
}

// dup3, as some architectures have no dup2 call; the two descriptors always differ here.
bool placeDescriptor(long fd, long at)
{
    return call(SYS_dup3, fd, at, 0) == at;
}

bool openNull(long at, long flags)
{
    const long fd = call(SYS_openat, AT_FDCWD, long("/dev/null"), flags);
    return fd == at || (fd >= 0 && placeDescriptor(fd, at) && call(SYS_close, fd) == 0);
}

// Tells the parent on `failure` (closed on exec, so that a program that runs tells nothing).
[[noreturn]] void runWorker(const Start &start, int failure)
{
    char *const arguments[] = {const_cast<char *>(start.path.constData()), nullptr};
    if (writeAll("/proc/self/uid_map", start.userMap.constData(), start.userMap.size()) &&
        writeAll("/proc/self/setgroups", "deny", 4) &&
        writeAll("/proc/self/gid_map", start.groupMap.constData(), start.groupMap.size()) &&
        openNull(STDIN_FILENO, O_RDONLY) && openNull(STDOUT_FILENO, O_WRONLY) &&
        placeDescriptor(start.diagnostics, STDERR_FILENO) &&
        placeDescriptor(start.socket, Pdf::WorkerSocket) &&
        placeDescriptor(start.running, Pdf::WorkerRunning))
        call(SYS_execve, long(start.path.constData()), long(arguments), long(environ));
    const char failed = 'f';
    call(SYS_write, failure, long(&failed), 1);
    for (;;)
        call(SYS_exit_group, 127);
}

// -1 when the namespaces are refused or the child could not run the program; the parent then
// starts it plainly.
pid_t spawnInNamespaces(const Start &start)
{
    int failure[2];
    if (::pipe2(failure, O_CLOEXEC) != 0)
        return -1;
    // Like fork, but into the new namespaces: no handlers run, and the child only calls what
    // is safe to.
    const long pid = ::syscall(SYS_clone, CLONE_NEWUSER | CLONE_NEWPID | SIGCHLD, nullptr, nullptr,
                               nullptr, nullptr);
    if (pid == 0) {
        call(SYS_close, failure[0]);
        runWorker(start, failure[1]);
    }
    ::close(failure[1]);
    char failed = 0;
    ssize_t told = -1;
    while (pid > 0 && (told = ::read(failure[0], &failed, 1)) < 0 && errno == EINTR) {
    }
    ::close(failure[0]);
    if (pid > 0 && told != 0) {
        while (::waitpid(pid_t(pid), nullptr, 0) < 0 && errno == EINTR) {
        }
        return -1;
    }
    return pid_t(pid);
}

} // namespace

namespace Pdf
{

pid_t spawnWorker(const QString &program, int socket, int running, int diagnostics)
{
    const Start start{QFile::encodeName(program),
                      socket,
                      running,
                      diagnostics,
                      Sandbox::sameIdInside(::geteuid()),
                      Sandbox::sameIdInside(::getegid())};
    const pid_t pid = spawnInNamespaces(start);
    return pid > 0 ? pid : plainSpawn(start);
}

} // namespace Pdf
