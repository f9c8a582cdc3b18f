// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagerenderer.h"

#include <poppler-qt6.h>

namespace
{

bool sameJob(const PageRenderer::Job &a, const PageRenderer::Job &b)
{
    return a.page == b.page && a.scale == b.scale && a.quarterTurns == b.quarterTurns &&
           a.part == b.part;
}

} // namespace

PageRenderer::PageRenderer(QObject *parent) : QObject(parent)
{
    qRegisterMetaType<PageRenderer::Job>();
    m_thread = std::thread([this] { run(); });
}

PageRenderer::~PageRenderer()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void PageRenderer::setDocument(std::unique_ptr<Poppler::Document> document, quint64 generation)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_incoming = std::move(document);
        m_incomingGeneration = generation;
        m_documentWaiting = true;
        m_jobs.clear();
        m_busy.reset();
    }
    m_wake.notify_one();
}

void PageRenderer::request(const QList<Job> &jobs)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // The page being drawn comes anyway: it is not drawn twice.
        m_jobs.clear();
        for (const Job &job : jobs) {
            if (!(m_busy && sameJob(*m_busy, job)))
                m_jobs.push_back(job);
        }
    }
    m_wake.notify_one();
}

void PageRenderer::run()
{
    for (;;) {
        Job job;
        std::unique_ptr<Poppler::Document> replaced;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_wake.wait(lock,
                        [this] { return m_stopping || m_documentWaiting || !m_jobs.empty(); });
            if (m_stopping)
                break;
            if (m_documentWaiting) {
                // The old document goes on this thread, outside the lock.
                replaced = std::move(m_document);
                m_document = std::move(m_incoming);
                m_generation = m_incomingGeneration;
                m_documentWaiting = false;
                continue;
            }
            job = m_jobs.front();
            m_jobs.pop_front();
            m_busy = job;
        }
        const QImage image = draw(job);
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_busy.reset();
        }
        const quint64 generation = m_generation;
        QMetaObject::invokeMethod(
            this, [this, generation, job, image] { emit rendered(generation, job, image); },
            Qt::QueuedConnection);
    }
    m_document.reset();
}

QImage PageRenderer::draw(const Job &job) const
{
    if (!m_document)
        return QImage();
    const std::unique_ptr<Poppler::Page> page = m_document->page(job.page);
    if (!page)
        return QImage();
    const double dpi = job.scale * 72.0;
    const auto rotation = Poppler::Page::Rotation(job.quarterTurns % 4);
    if (job.part.isEmpty())
        return page->renderToImage(dpi, dpi, -1, -1, -1, -1, rotation);
    return page->renderToImage(dpi, dpi, job.part.x(), job.part.y(), job.part.width(),
                               job.part.height(), rotation);
}
