// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/workerprocess.h"

#include "pdf/memorywatch.h"
#include "pdf/workerspawn.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>
#include <condition_variable>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace Pdf
{

namespace
{

// What a worker writes on its standard error is passed on to ours, up to this much in its life;
// the rest is dropped. Nor does the pipe stop the worker: what it cannot hold is lost.
constexpr size_t DiagnosticsLimit = 32 * 1024;

// How long after a worker kept ready is taken the next is started: about the time a document's
// first page takes.
constexpr auto RefillPause = std::chrono::milliseconds(100);

} // namespace

QString WorkerProcess::programPath()
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

QString WorkerProcess::startProblem(bool tryOne)
{
    static std::mutex tried;
    static QString proven; // the program last seen running
    const QString path = programPath();
    const QByteArray encoded = QFile::encodeName(path);
    struct stat status {
    };
    if (::stat(encoded.constData(), &status) != 0)
        return QStringLiteral("the PDF worker %1 is missing").arg(path);
    if (!S_ISREG(status.st_mode) || ::access(encoded.constData(), X_OK) != 0)
        return QStringLiteral("the PDF worker %1 is not a program that can be run").arg(path);
    const std::lock_guard lock(tried);
    if (!tryOne || proven == path)
        return QString();
    std::unique_ptr<WorkerProcess> worker = start();
    if (!worker || !worker->waitUntilRunning())
        return QStringLiteral("the PDF worker %1 ends before it runs").arg(path);
    proven = path;
    keep(std::move(worker));
    return QString();
}

namespace
{

// `fd` moved above 4, so that the duplications onto 0 to 4 in the worker always make
// descriptors that stay open on exec.
Protocol::Fd movedUp(int fd)
{
    Protocol::Fd moved(::fcntl(fd, F_DUPFD_CLOEXEC, WorkerRunning + 1));
    ::close(fd);
    return moved;
}

} // namespace

// Workers started ahead, and how many to keep. Made once and never destroyed: the workers
// waiting end with the program, as their socket closes, and so does the thread that starts them.
struct WorkerProcess::Ready {
    std::mutex mutex;
    std::condition_variable wake;
    std::vector<std::unique_ptr<WorkerProcess>> workers;
    size_t count = 0;
    std::string program;    // that of the last taken, not shared with the caller's string
    bool refilling = false; // the thread that starts them runs
    bool taken = false;     // since it last started some
};

WorkerProcess::Ready &WorkerProcess::ready()
{
    static Ready *const made = new Ready;
    return *made;
}

std::unique_ptr<WorkerProcess> WorkerProcess::start()
{
    const QString path = programPath();
    Ready &kept = ready();
    std::unique_ptr<WorkerProcess> taken;
    {
        const std::lock_guard lock(kept.mutex);
        // The oldest first: it has had the longest to get ready.
        while (!taken && !kept.workers.empty()) {
            taken = std::move(kept.workers.front());
            kept.workers.erase(kept.workers.begin());
            // One of another program (the tests change it) or one that died meanwhile is no use.
            if (taken->m_program != path || taken->exited())
                taken.reset();
        }
        if (kept.count > 0)
            refillLater(kept, path);
    }
    return taken ? std::move(taken) : spawned(path);
}

void WorkerProcess::keepReady(int count)
{
    Ready &kept = ready();
    // Those beyond the count end with this.
    std::vector<std::unique_ptr<WorkerProcess>> extra;
    {
        const std::lock_guard lock(kept.mutex);
        kept.count = size_t(qMax(count, 0));
        while (kept.workers.size() > kept.count) {
            extra.push_back(std::move(kept.workers.back()));
            kept.workers.pop_back();
        }
    }
    fill(kept, programPath());
}

// Under the lock of `kept`. A worker starting takes a core for as long as a page takes to draw,
// and the document that took one wants both cores for its first pages: the next starts after
// a pause, on a thread of its own.
void WorkerProcess::refillLater(Ready &kept, const QString &program)
{
    kept.program = program.toStdString();
    kept.taken = true;
    if (!kept.refilling) {
        kept.refilling = true;
        std::thread([&kept] {
            std::unique_lock lock(kept.mutex);
            for (;;) {
                kept.wake.wait(lock, [&kept] { return kept.taken; });
                kept.taken = false;
                const QString program = QString::fromStdString(kept.program);
                lock.unlock();
                std::this_thread::sleep_for(RefillPause);
                fill(kept, program);
                lock.lock();
            }
        }).detach();
    }
    kept.wake.notify_one();
}

// Starts the workers missing, outside the lock: whoever takes one meanwhile need not wait.
void WorkerProcess::fill(Ready &kept, const QString &program)
{
    for (;;) {
        {
            const std::lock_guard lock(kept.mutex);
            if (kept.workers.size() >= kept.count)
                return;
        }
        std::unique_ptr<WorkerProcess> spare = spawned(program);
        if (!spare)
            return;
        const std::lock_guard lock(kept.mutex);
        kept.workers.push_back(std::move(spare));
    }
}

// Back to the front of those waiting: it is the readiest.
void WorkerProcess::keep(std::unique_ptr<WorkerProcess> worker)
{
    Ready &kept = ready();
    const std::lock_guard lock(kept.mutex);
    kept.workers.insert(kept.workers.begin(), std::move(worker));
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
    const Protocol::Fd theirs = movedUp(pair[1]);
    int ends[2];
    if (!theirs.valid() || ::pipe2(ends, O_CLOEXEC) != 0)
        return nullptr;
    Protocol::Fd running(ends[0]);
    const Protocol::Fd runningEnd = movedUp(ends[1]);
    if (!runningEnd.valid() || ::pipe2(ends, O_CLOEXEC | O_NONBLOCK) != 0)
        return nullptr;
    Protocol::Fd diagnostics(ends[0]);
    const Protocol::Fd diagnosticsEnd = movedUp(ends[1]);
    if (!diagnosticsEnd.valid())
        return nullptr;
    const pid_t pid = spawnWorker(program, theirs.get(), runningEnd.get(), diagnosticsEnd.get());
    if (pid <= 0)
        return nullptr;
    MemoryWatch::watch(pid);
    return std::unique_ptr<WorkerProcess>(new WorkerProcess(
        pid, std::move(ours), std::move(running), std::move(diagnostics), program));
}

WorkerProcess::~WorkerProcess()
{
    const std::lock_guard lock(m_killing);
    ::kill(m_pid, SIGKILL);
    MemoryWatch::forget(m_pid);
    while (::waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    m_collected = true;
    passOnDiagnostics();
}

// Reads no more than DiagnosticsLimit at a time: a worker writing without end does not keep us.
void WorkerProcess::passOnDiagnostics()
{
    char buffer[4096];
    for (size_t taken = 0; taken < DiagnosticsLimit;) {
        const ssize_t got = ::read(m_diagnostics.get(), buffer, sizeof buffer);
        if (got <= 0)
            return;
        taken += size_t(got);
        const size_t passed = std::min(size_t(got), DiagnosticsLimit - m_passedOn);
        if (passed > 0 && ::write(STDERR_FILENO, buffer, passed) < 0) {
            // Our own standard error is gone: nothing to tell it.
        }
        m_passedOn += passed;
    }
}

bool WorkerProcess::waitUntilRunning()
{
    if (!m_running.valid())
        return m_runs;
    pollfd told{m_running.get(), POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + workerLimits().deadline;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || ::poll(&told, 1, int(left.count())) >= 0 || errno != EINTR)
            break;
    }
    char running = 0;
    m_runs = (told.revents & POLLIN) && ::read(m_running.get(), &running, 1) == 1;
    m_running.reset();
    return m_runs;
}

JobEnd WorkerProcess::call(const Protocol::Message &request, Protocol::Message &answer)
{
    const JobEnd end = send(request);
    return end == JobEnd::Answered ? receive(request.kind, answer) : end;
}

JobEnd WorkerProcess::send(const Protocol::Message &request)
{
    if (!m_alive)
        return JobEnd::Failed;
    const auto deadline = std::chrono::steady_clock::now() + workerLimits().deadline;
    return endOf(Protocol::send(m_socket.get(), request, deadline));
}

JobEnd WorkerProcess::receive(Protocol::Kind kind, Protocol::Message &answer)
{
    if (!m_alive)
        return JobEnd::Failed;
    const auto deadline = std::chrono::steady_clock::now() + workerLimits().deadline;
    Protocol::Transfer transfer = Protocol::receive(m_socket.get(), answer, deadline);
    passOnDiagnostics();
    if (transfer == Protocol::Transfer::Done && answer.kind != kind)
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
