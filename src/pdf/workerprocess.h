// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/protocol.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>

#include <sys/types.h>

namespace Pdf
{

// What a worker may take. The window watches, rather than sets, the memory: an address-space
// limit would stop the sanitizer builds, whose shadow memory is terabytes of address space.
struct WorkerLimits {
    qint64 memory = qint64(1) << 30; // resident bytes
    std::chrono::milliseconds deadline{10000};
};
WorkerLimits workerLimits();
// For the tests, which break the limits on purpose and cannot wait ten seconds each time.
void setWorkerLimits(const WorkerLimits &limits);

// One running quillmoor-pdf-worker and the socket to it. The program is the one named by
// QUILLMOOR_PDF_WORKER when that is set, else the one beside the running program (the build
// tree), else the one installed with it (/usr/libexec/quillmoor/ for /usr/bin/). Used by one thread
// at a time, except kill(), which any thread may call.
class WorkerProcess
{
public:
    // nullptr when the program cannot be started.
    static std::unique_ptr<WorkerProcess> start();
    // Kills the worker at once and collects it.
    ~WorkerProcess();
    WorkerProcess(const WorkerProcess &) = delete;
    WorkerProcess &operator=(const WorkerProcess &) = delete;

    // Sends `request` and reads its answer within the deadline. Anything but Answered leaves the
    // worker killed: the next job needs another.
    JobEnd call(const Protocol::Message &request, Protocol::Message &answer);
    void kill();
    bool alive() const { return m_alive; }
    pid_t pid() const { return m_pid; }

private:
    WorkerProcess(pid_t pid, int socket) : m_pid(pid), m_socket(socket) {}
    JobEnd endOf(Protocol::Transfer transfer);

    pid_t m_pid;
    Protocol::Fd m_socket;
    std::atomic<bool> m_alive{true};
    std::mutex m_killing; // kill() against the collection in the destructor
    bool m_collected = false;
};

} // namespace Pdf
