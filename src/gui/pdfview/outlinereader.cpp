// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/outlinereader.h"

#include <QObject>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

// What the reader and its thread share. `over` is set, under the lock, before the receiver goes:
// the thread hands a level on only under the lock and while it is not set, so nothing is posted
// to a receiver being destroyed, and what was posted before goes with it.
struct OutlineReader::Shared {
    std::shared_ptr<OutlineSource> source;
    Shown shown;
    QObject *receiver = nullptr;
    std::mutex mutex;
    std::condition_variable wanted;
    std::deque<QList<int>> paths;
    bool over = false;
};

OutlineReader::OutlineReader(std::shared_ptr<OutlineSource> source, Shown shown)
    : m_shared(std::make_shared<Shared>()), m_receiver(std::make_unique<QObject>())
{
    m_shared->source = std::move(source);
    m_shared->shown = std::move(shown);
    m_shared->receiver = m_receiver.get();
    std::thread(&OutlineReader::readLevels, m_shared).detach();
}

OutlineReader::~OutlineReader()
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->over = true;
    }
    m_shared->wanted.notify_one();
    m_shared->source->stop();
}

void OutlineReader::read(const QList<int> &path)
{
    {
        const std::lock_guard lock(m_shared->mutex);
        m_shared->paths.push_back(path);
    }
    m_shared->wanted.notify_one();
}

// The thread holds the source and what it shares with the reader for as long as it runs, which
// may be after the reader is gone.
void OutlineReader::readLevels(const std::shared_ptr<Shared> &shared)
{
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->wanted.wait(lock, [&] { return shared->over || !shared->paths.empty(); });
        if (shared->over)
            return;
        const QList<int> path = shared->paths.front();
        shared->paths.pop_front();
        lock.unlock();
        QList<OutlineSource::Entry> entries = shared->source->entries(path);
        lock.lock();
        if (shared->over)
            return;
        QMetaObject::invokeMethod(
            shared->receiver,
            [shown = shared->shown, path, entries = std::move(entries)] { shown(path, entries); },
            Qt::QueuedConnection);
    }
}
