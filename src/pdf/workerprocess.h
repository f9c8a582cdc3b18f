// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/protocol.h"
#include "pdf/workerlimits.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

#include <sys/types.h>

namespace Pdf
{

// One running quillmoor-pdf-worker and the socket to it. The program is the one named by
// QUILLMOOR_PDF_WORKER when that is set, else the one beside the running program (the build
// tree), else the one installed with it (/usr/libexec/quillmoor/ for /usr/bin/). Used by one thread
// at a time, except kill(), which any thread may call.
class WorkerProcess
{
public:
    // nullptr when the program cannot be started. A worker kept ready is taken first.
    static std::unique_ptr<WorkerProcess> start();
    // The worker program's path, as above.
    static QString programPath();
    // Why no worker can be started at all, naming its path: missing, no program that can be run,
    // or, with `tryOne`, one that ends before it runs its own code (a library missing). The worker
    // tried is kept ready for the first document; a program is tried once.
    static QString startProblem(bool tryOne);
    // From now on `count` workers are kept started ahead, waiting for their first request:
    // starting one (its libraries loaded, its cage built) costs more than a page it draws. A
    // worker taken is replaced after a short pause; those beyond `count` end at once, and the
    // program's end ends those waiting. For the windows, which open documents one after another.
    static void keepReady(int count);
    // Kills the worker at once and collects it.
    ~WorkerProcess();
    WorkerProcess(const WorkerProcess &) = delete;
    WorkerProcess &operator=(const WorkerProcess &) = delete;

    // Sends `request` and reads its answer within the deadline. Anything but Answered leaves the
    // worker killed: the next job needs another.
    JobEnd call(const Protocol::Message &request, Protocol::Message &answer);
    // The same in two halves, for a request sent ahead of the time its answer is wanted: the
    // deadline runs from receive().
    JobEnd send(const Protocol::Message &request);
    JobEnd receive(Protocol::Kind kind, Protocol::Message &answer);
    // Returns once the worker runs its own code, its libraries loaded (true), or it ended without
    // (false); at the latest after the deadline (false).
    bool waitUntilRunning();
    void kill();
    bool alive() const { return m_alive; }
    pid_t pid() const { return m_pid; }

private:
    WorkerProcess(pid_t pid, Protocol::Fd socket, Protocol::Fd running, Protocol::Fd diagnostics,
                  QString program)
        : m_pid(pid), m_socket(std::move(socket)), m_running(std::move(running)),
          m_diagnostics(std::move(diagnostics)), m_program(std::move(program))
    {
    }
    static std::unique_ptr<WorkerProcess> spawned(const QString &program);
    // The workers started ahead.
    struct Ready;
    static Ready &ready();
    static void refillLater(Ready &kept, const QString &program);
    static void fill(Ready &kept, const QString &program);
    static void keep(std::unique_ptr<WorkerProcess> worker);
    bool exited() const;
    JobEnd endOf(Protocol::Transfer transfer);
    void passOnDiagnostics();

    pid_t m_pid;
    Protocol::Fd m_socket;
    Protocol::Fd m_running;     // reads end of file once the worker runs
    Protocol::Fd m_diagnostics; // the worker's standard error
    size_t m_passedOn = 0;      // bytes of it passed on to ours
    QString m_program;
    bool m_runs = false; // told so on the pipe
    std::atomic<bool> m_alive{true};
    std::mutex m_killing; // kill() against the collection in the destructor
    bool m_collected = false;
};

} // namespace Pdf
