// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/worker.h"

namespace Pdf
{

Worker::Worker() : m_thread([this] { run(); }) {}

Worker::~Worker()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
        m_jobs.clear();
        ++m_generation;
    }
    m_wake.notify_one();
    m_thread.join();
}

quint64 Worker::startGeneration()
{
    std::deque<KeyedJob> dropped;
    quint64 generation = 0;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        dropped = takeRequests();
        generation = ++m_generation;
        // What the job under way gives belongs to the generation before: the same request is
        // wanted again.
        m_busyKey.clear();
    }
    // What the dropped requests hold goes here, outside the lock.
    return generation;
}

// The requests waiting, out of the queue; the caller holds the lock.
std::deque<Worker::KeyedJob> Worker::takeRequests()
{
    std::deque<KeyedJob> requests;
    std::deque<KeyedJob> kept;
    for (KeyedJob &job : m_jobs)
        (job.key.isEmpty() ? kept : requests).push_back(std::move(job));
    m_jobs.swap(kept);
    return requests;
}

void Worker::post(Job job)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs.push_back({QString(), std::move(job)});
    }
    m_wake.notify_one();
}

void Worker::replaceWaiting(std::vector<KeyedJob> jobs)
{
    std::deque<KeyedJob> dropped;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        dropped = takeRequests();
        for (KeyedJob &job : jobs) {
            if (job.key.isEmpty() || job.key != m_busyKey)
                m_jobs.push_back(std::move(job));
        }
    }
    m_wake.notify_one();
}

void Worker::run()
{
    for (;;) {
        KeyedJob job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty(); });
            if (m_stopping)
                return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busyKey = job.key;
        }
        job.job();
        // The job's captures go before the next one starts, on this thread.
        job = KeyedJob();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_busyKey.clear();
    }
}

} // namespace Pdf
