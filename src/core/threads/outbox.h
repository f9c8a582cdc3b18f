// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Wakes its owner on the owner's thread when another thread emits `wake`: a queued signal that
// carries nothing, so nothing of ours is made on one thread and freed on another.
class Waker : public QObject
{
    Q_OBJECT

signals:
    void wake();
};

// What worker threads give back to the object that owns them. Items are put from any thread into a
// list guarded by a std::mutex; the first item after the owner last took them wakes the owner
// with one queued signal, and the owner then takes every item on its own thread. Only the waking
// goes through Qt's event queue, never the items.
//
// The owner must end the threads that put before the outbox goes (declare the workers after
// the outbox), so no item comes after.
template <class Item> class Outbox
{
public:
    using Take = std::function<void(std::vector<Item> &items)>;

    // Made on `owner`'s thread.
    Outbox(QObject *owner, Take take) : m_take(std::move(take)), m_waker(std::make_unique<Waker>())
    {
        QObject::connect(
            m_waker.get(), &Waker::wake, owner, [this] { takeAll(); }, Qt::QueuedConnection);
    }

    void put(Item item)
    {
        bool wake = false;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_items.push_back(std::move(item));
            wake = !m_woken;
            m_woken = true;
        }
        if (wake)
            emit m_waker->wake();
    }

private:
    void takeAll()
    {
        std::vector<Item> items;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            items.swap(m_items);
            m_woken = false;
        }
        m_take(items);
    }

    Take m_take;
    std::unique_ptr<Waker> m_waker;
    std::mutex m_mutex;
    std::vector<Item> m_items;
    bool m_woken = false;
};
