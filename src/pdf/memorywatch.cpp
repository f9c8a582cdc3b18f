// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/memorywatch.h"

#include "core/threads/residentmemory.h"
#include "pdf/workerlimits.h"

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>

#include <signal.h>
#include <unistd.h>

namespace Pdf::MemoryWatch
{

namespace
{

constexpr auto Interval = std::chrono::milliseconds(100);

struct Watched {
    bool killed = false;
};

// Made once and never destroyed: its thread may still look while the program ends.
struct Watch {
    std::mutex mutex;
    std::condition_variable wake;
    std::map<pid_t, Watched> workers;
};

void look(Watch &watch)
{
    std::unique_lock lock(watch.mutex);
    for (;;) {
        watch.wake.wait(lock, [&watch] { return !watch.workers.empty(); });
        const qint64 limit = workerLimits().memory;
        for (auto &[pid, watched] : watch.workers) {
            if (!watched.killed && ResidentBytes(pid) > limit) {
                ::kill(pid, SIGKILL);
                watched.killed = true;
            }
        }
        watch.wake.wait_for(lock, Interval);
    }
}

Watch &theWatch()
{
    static Watch *const watch = [] {
        auto *made = new Watch;
        std::thread([made] { look(*made); }).detach();
        return made;
    }();
    return *watch;
}

} // namespace

void watch(pid_t pid)
{
    Watch &watch = theWatch();
    const std::lock_guard lock(watch.mutex);
    watch.workers[pid] = {false};
    watch.wake.notify_one();
}

bool killedForMemory(pid_t pid)
{
    Watch &watch = theWatch();
    const std::lock_guard lock(watch.mutex);
    const auto found = watch.workers.find(pid);
    return found != watch.workers.end() && found->second.killed;
}

void forget(pid_t pid)
{
    Watch &watch = theWatch();
    const std::lock_guard lock(watch.mutex);
    watch.workers.erase(pid);
}

} // namespace Pdf::MemoryWatch
