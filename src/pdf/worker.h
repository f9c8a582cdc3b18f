// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace Pdf
{

// A thread of its own that runs jobs one after another from a queue. A document read by the
// jobs belongs to the worker: a job makes or takes it, the later jobs use it, and no other
// thread touches it meanwhile.
//
// A job posted always runs, in its turn. Requests are jobs with a key that replace one another:
// only the latest ones wait. Jobs belong to generations: a new generation drops the requests
// waiting, and a job under way can ask whether its generation is still the current one, to
// stop between its steps. The queue is guarded by a std::mutex and a condition variable only;
// what a job gives goes back through a std::future (submit) or an Outbox. The destructor drops
// what waits, lets the job under way end and joins the thread.
class Worker
{
public:
    using Job = std::function<void()>;
    // A job and what it is, so that the job under way is not queued a second time.
    struct KeyedJob {
        QString key;
        Job job;
    };

    Worker();
    ~Worker();
    Worker(const Worker &) = delete;
    Worker &operator=(const Worker &) = delete;

    // Drops the requests waiting and returns the new generation. A request like the one under
    // way is queued again from now on.
    quint64 startGeneration();
    quint64 generation() const { return m_generation.load(); }
    // True while no generation came after `generation`: for a long job to ask between steps.
    bool isCurrent(quint64 generation) const { return m_generation.load() == generation; }

    // At the end of the queue.
    void post(Job job);
    // Drops the requests waiting and queues `jobs` after the other jobs, in their order. One
    // whose key is that of the job under way is left out: that one comes anyway.
    void replaceWaiting(std::vector<KeyedJob> jobs);

    // Runs `work` on the thread, after the jobs waiting, and gives its result.
    template <class Work> auto submit(Work work) -> std::future<decltype(work())>
    {
        using Result = decltype(work());
        auto task = std::make_shared<std::packaged_task<Result()>>(std::move(work));
        std::future<Result> result = task->get_future();
        post([task] { (*task)(); });
        return result;
    }

private:
    void run();
    std::deque<KeyedJob> takeRequests();

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<KeyedJob> m_jobs;
    QString m_busyKey; // of the job under way
    bool m_stopping = false;
    std::atomic<quint64> m_generation{0};
    std::thread m_thread;
};

} // namespace Pdf
