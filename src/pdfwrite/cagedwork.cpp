// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/cagedwork.h"

#include "core/threads/residentmemory.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <new>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace
{

// How often the child's memory and the stop are looked at.
constexpr int LookEveryMs = 50;
// An answer is a few names and numbers; a child sending more is not believed.
constexpr qsizetype AnswerBound = qsizetype(64) << 20;

// The first byte of what the child sends: the work's answer, or why it could not be caged.
constexpr char AnswerTag = 'A';
constexpr char NotCagedTag = 'N';

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        done += written;
    }
    return true;
}

[[noreturn]] void beTheChild(int answerFd, const CagedWork::Cage &cage, const CagedWork::Work &work,
                             std::atomic<int> &mark)
{
    QString problem;
    if (!cage(&problem)) {
        writeAll(answerFd, NotCagedTag + problem.toUtf8());
        ::_exit(2);
    }
    try {
        const QByteArray answer = work(mark);
        // What the parent's objects would do at exit (remove an unfinished output) is theirs
        // to do.
        ::_exit(writeAll(answerFd, AnswerTag + answer) ? 0 : 1);
    } catch (...) {
        // Never back into the parent's code.
        ::_exit(1);
    }
}

struct Watched {
    QByteArray received;
    bool tooBig = false;
};

// Reads what the child sends until it closes its end, killing it past the memory bound or when
// it sends more than an answer holds.
Watched watch(pid_t child, int answerFd, const std::atomic<bool> *stop)
{
    Watched watched;
    bool stopSent = false;
    for (;;) {
        pollfd ready{answerFd, POLLIN, 0};
        const int polled = ::poll(&ready, 1, LookEveryMs);
        if (polled < 0 && errno != EINTR)
            break;
        if (polled > 0) {
            char buffer[64 * 1024];
            const ssize_t got = ::read(answerFd, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN))
                break;
            if (got > 0)
                watched.received.append(buffer, got);
            if (watched.received.size() > AnswerBound) {
                ::kill(child, SIGKILL);
                watched.received.clear();
                break;
            }
        }
        if (ResidentBytes(child) > CagedWork::MemoryBound) {
            ::kill(child, SIGKILL);
            watched.tooBig = true;
            break;
        }
        if (stop && stop->load() && !stopSent) {
            ::kill(child, SIGTERM);
            stopSent = true;
        }
    }
    return watched;
}

CagedWork::Outcome notStarted(const char *what)
{
    CagedWork::Outcome outcome;
    outcome.problem =
        QStringLiteral("%1: %2").arg(QLatin1String(what), QString::fromLocal8Bit(strerror(errno)));
    return outcome;
}

} // namespace

CagedWork::Outcome CagedWork::run(const Cage &cage, const Work &work, const std::atomic<bool> *stop)
{
    void *shared = ::mmap(nullptr, sizeof(std::atomic<int>), PROT_READ | PROT_WRITE,
                          MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    if (shared == MAP_FAILED)
        return notStarted("no memory to share with the child");
    auto *mark = new (shared) std::atomic<int>(-1);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        ::munmap(shared, sizeof(std::atomic<int>));
        return notStarted("no pipe to the child");
    }
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(fds[0]);
        beTheChild(fds[1], cage, work, *mark);
    }
    ::close(fds[1]);
    if (child < 0) {
        ::close(fds[0]);
        ::munmap(shared, sizeof(std::atomic<int>));
        return notStarted("the child cannot be started");
    }
    const Watched watched = watch(child, fds[0], stop);
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    Outcome outcome;
    outcome.mark = mark->load();
    ::munmap(shared, sizeof(std::atomic<int>));
    const bool exited = WIFEXITED(status);
    if (watched.tooBig) {
        outcome.kind = Outcome::TooBig;
    } else if (exited && WEXITSTATUS(status) == 0 && watched.received.startsWith(AnswerTag)) {
        outcome.kind = Outcome::Answered;
        outcome.answer = watched.received.mid(1);
    } else if (exited && watched.received.startsWith(NotCagedTag)) {
        outcome.kind = Outcome::NotCaged;
        outcome.problem = QString::fromUtf8(watched.received.mid(1));
    } else {
        outcome.kind = Outcome::BrokeDown;
        outcome.signal = WIFSIGNALED(status) ? WTERMSIG(status) : 0;
    }
    return outcome;
}

QString CagedWork::reasonOf(const Outcome &outcome)
{
    switch (outcome.kind) {
    case Outcome::Answered:
        return QString();
    case Outcome::TooBig:
        return QStringLiteral("needs more than %1 GiB of memory to be read").arg(MemoryBound >> 30);
    case Outcome::BrokeDown:
        if (outcome.signal != 0)
            return QStringLiteral("broke its reader down (signal %1, %2)")
                .arg(QString::number(outcome.signal),
                     QString::fromLocal8Bit(strsignal(outcome.signal)));
        return QStringLiteral("broke its reader down");
    case Outcome::NotCaged:
        break;
    }
    return QStringLiteral("cannot be read safely: %1").arg(outcome.problem);
}
