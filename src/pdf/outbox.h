// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QMetaObject>
#include <QObject>

#include <functional>
#include <mutex>
#include <vector>

namespace Pdf
{

// What workers give back to the object that owns them. Items are put from any thread into a
// list guarded by a std::mutex; the first item after the owner last took them wakes the owner
// with one queued call, which then takes every item on the owner's thread. Only the waking goes
// through Qt's event queue, never the items.
//
// The owner must end the threads that put before the outbox goes (declare the workers after
// the outbox), so no item comes after.
template <class Item> class Outbox
{
public:
    using Take = std::function<void(std::vector<Item> &items)>;

    Outbox(QObject *owner, Take take) : m_owner(owner), m_take(std::move(take)) {}

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
            QMetaObject::invokeMethod(
                m_owner, [this] { takeAll(); }, Qt::QueuedConnection);
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

    QObject *m_owner;
    Take m_take;
    std::mutex m_mutex;
    std::vector<Item> m_items;
    bool m_woken = false;
};

} // namespace Pdf
