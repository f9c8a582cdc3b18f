// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/documentsearch.h"

#include "core/layout/pagelayout.h"

#include <poppler-qt6.h>

#include <condition_variable>
#include <mutex>
#include <thread>

// One thread and its document; it searches the pages it is given until they are done or its
// search is no longer the current one.
class DocumentSearch::Worker
{
public:
    Worker(DocumentSearch *owner, std::unique_ptr<Poppler::Document> document,
           std::shared_ptr<std::atomic<quint64>> current)
        : m_owner(owner), m_document(std::move(document)), m_current(std::move(current)),
          m_thread([this] { run(); })
    {
    }
    ~Worker()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_one();
        m_thread.join();
    }
    void search(const QString &text, const QList<int> &pages, quint64 generation)
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_text = text;
            m_pages = pages;
            m_generation = generation;
            m_waiting = true;
        }
        m_wake.notify_one();
    }

private:
    void run()
    {
        for (;;) {
            QString text;
            QList<int> pages;
            quint64 generation = 0;
            {
                std::unique_lock<std::mutex> lock(m_mutex);
                m_wake.wait(lock, [this] { return m_stopping || m_waiting; });
                if (m_stopping)
                    return;
                text = m_text;
                pages = m_pages;
                generation = m_generation;
                m_waiting = false;
            }
            for (const int page : pages) {
                if (*m_current != generation)
                    break;
                searchPage(text, page, generation);
            }
            QMetaObject::invokeMethod(
                m_owner, [owner = m_owner, generation] { owner->workerDone(generation); },
                Qt::QueuedConnection);
        }
    }
    void searchPage(const QString &text, int page, quint64 generation)
    {
        const std::unique_ptr<Poppler::Page> p = m_document->page(page);
        if (!p)
            return;
        const QList<QRectF> matches = matchesOn(*p, text);
        if (matches.isEmpty())
            return;
        const std::shared_ptr<std::atomic<quint64>> current = m_current;
        DocumentSearch *owner = m_owner;
        QMetaObject::invokeMethod(
            owner,
            [owner, current, generation, page, matches] {
                if (*current == generation)
                    emit owner->found(page, matches);
            },
            Qt::QueuedConnection);
    }

    DocumentSearch *m_owner;
    std::unique_ptr<Poppler::Document> m_document;
    std::shared_ptr<std::atomic<quint64>> m_current;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    QString m_text;
    QList<int> m_pages;
    quint64 m_generation = 0;
    bool m_waiting = false;
    bool m_stopping = false;
    std::thread m_thread;
};

DocumentSearch::DocumentSearch(QObject *parent)
    : QObject(parent), m_generation(std::make_shared<std::atomic<quint64>>(0))
{
}

DocumentSearch::~DocumentSearch()
{
    stop();
}

void DocumentSearch::setDocuments(std::vector<std::unique_ptr<Poppler::Document>> documents)
{
    stop();
    m_workers.clear();
    m_pageCount = documents.empty() ? 0 : documents.front()->numPages();
    for (std::unique_ptr<Poppler::Document> &document : documents)
        m_workers.push_back(std::make_unique<Worker>(this, std::move(document), m_generation));
}

// The pages are dealt out in turn, so every worker starts near the first page.
void DocumentSearch::start(const QString &text, int firstPage)
{
    const quint64 generation = ++*m_generation;
    m_running = 0;
    if (m_workers.empty() || text.isEmpty() || m_pageCount == 0)
        return;
    std::vector<QList<int>> shares(m_workers.size());
    for (int i = 0; i < m_pageCount; ++i)
        shares[size_t(i) % shares.size()] << (firstPage + i) % m_pageCount;
    for (size_t i = 0; i < m_workers.size(); ++i)
        m_workers[i]->search(text, shares[i], generation);
    m_running = int(m_workers.size());
}

QList<QRectF> DocumentSearch::matchesOn(Poppler::Page &page, const QString &text)
{
    QList<QRectF> matches;
    for (const QRectF &area : page.search(text, Poppler::Page::IgnoreCase))
        matches << PageLayout::toNormalised(area, page.pageSizeF());
    return matches;
}

void DocumentSearch::stop()
{
    ++*m_generation;
    m_running = 0;
}

void DocumentSearch::workerDone(quint64 generation)
{
    if (generation != *m_generation || m_running == 0)
        return;
    if (--m_running == 0)
        emit finished();
}
