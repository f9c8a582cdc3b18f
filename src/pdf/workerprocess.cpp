// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/workerprocess.h"

#include "pdf/memorywatch.h"

#include <QDir>
#include <QFileInfo>

#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace Pdf
{

namespace
{

constexpr int WorkerSocket = 3;

QString workerProgram()
{
    const QByteArray named = qgetenv("QUILLMOOR_PDF_WORKER");
    if (!named.isEmpty())
        return QString::fromLocal8Bit(named);
    const QString name = QStringLiteral("quillmoor-pdf-worker");
    const QDir here = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).dir();
    if (QFileInfo(here.filePath(name)).isExecutable())
        return here.filePath(name);
    return QDir::cleanPath(here.filePath(QStringLiteral(QUILLMOOR_WORKER_FOLDER "/") + name));
}

// The worker's end of the pair becomes its descriptor 3; every other descriptor of ours is
// closed on exec, so it inherits nothing else.
pid_t spawn(const QString &program, int workerEnd)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, workerEnd, WorkerSocket);
    const QByteArray path = program.toLocal8Bit();
    char *const arguments[] = {const_cast<char *>(path.constData()), nullptr};
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, path.constData(), &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

} // namespace

// Workers started ahead, and how many to keep. Made once and never destroyed: the workers
// waiting end with the program, as their socket closes.
struct WorkerProcess::Ready {
    std::mutex mutex;
    std::vector<std::unique_ptr<WorkerProcess>> workers;
    size_t count = 0;
};

WorkerProcess::Ready &WorkerProcess::ready()
{
    static Ready *const made = new Ready;
    return *made;
}

std::unique_ptr<WorkerProcess> WorkerProcess::start()
{
    const QString program = workerProgram();
    Ready &kept = ready();
    std::unique_ptr<WorkerProcess> taken;
    const std::lock_guard lock(kept.mutex);
    while (!taken && !kept.workers.empty()) {
        taken = std::move(kept.workers.back());
        kept.workers.pop_back();
        // One of another program (the tests change it) or one that died meanwhile is no use.
        if (taken->m_program != program || taken->exited())
            taken.reset();
    }
    keepFilled(kept, program);
    return taken ? std::move(taken) : spawned(program);
}

void WorkerProcess::keepReady(int count)
{
    Ready &kept = ready();
    const std::lock_guard lock(kept.mutex);
    kept.count = size_t(qMax(count, 0));
    keepFilled(kept, workerProgram());
}

// Under the lock of `kept`.
void WorkerProcess::keepFilled(Ready &kept, const QString &program)
{
    while (kept.workers.size() < kept.count) {
        std::unique_ptr<WorkerProcess> spare = spawned(program);
        if (!spare)
            break;
        kept.workers.push_back(std::move(spare));
    }
}

bool WorkerProcess::exited() const
{
    siginfo_t info{};
    return ::waitid(P_PID, id_t(m_pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           info.si_pid == m_pid;
}

std::unique_ptr<WorkerProcess> WorkerProcess::spawned(const QString &program)
{
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0)
        return nullptr;
    Protocol::Fd ours(pair[0]);
    // Above 3, so that the duplication onto 3 always makes a descriptor that stays open on exec.
    Protocol::Fd theirs(::fcntl(pair[1], F_DUPFD_CLOEXEC, WorkerSocket + 1));
    ::close(pair[1]);
    if (!theirs.valid())
        return nullptr;
    const pid_t pid = spawn(program, theirs.get());
    if (pid <= 0)
        return nullptr;
    MemoryWatch::watch(pid);
    return std::unique_ptr<WorkerProcess>(new WorkerProcess(pid, ours.release(), program));
}

WorkerProcess::~WorkerProcess()
{
    const std::lock_guard lock(m_killing);
    ::kill(m_pid, SIGKILL);
    MemoryWatch::forget(m_pid);
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_collected = true;
}

JobEnd WorkerProcess::call(const Protocol::Message &request, Protocol::Message &answer)
{
    if (!m_alive)
        return JobEnd::Failed;
    const auto deadline = std::chrono::steady_clock::now() + workerLimits().deadline;
    Protocol::Transfer transfer = Protocol::send(m_socket.get(), request, deadline);
    if (transfer == Protocol::Transfer::Done)
        transfer = Protocol::receive(m_socket.get(), answer, deadline);
    if (transfer == Protocol::Transfer::Done && answer.kind != request.kind)
        transfer = Protocol::Transfer::Malformed;
    return endOf(transfer);
}

JobEnd WorkerProcess::endOf(Protocol::Transfer transfer)
{
    if (transfer == Protocol::Transfer::Done)
        return JobEnd::Answered;
    kill();
    if (transfer == Protocol::Transfer::TimedOut)
        return JobEnd::TooSlow;
    // The watch marks a worker before it kills it, so the closed socket comes after the mark.
    return MemoryWatch::killedForMemory(m_pid) ? JobEnd::TooMuchMemory : JobEnd::Failed;
}

void WorkerProcess::kill()
{
    const std::lock_guard lock(m_killing);
    m_alive = false;
    if (!m_collected)
        ::kill(m_pid, SIGKILL);
}

} // namespace Pdf
