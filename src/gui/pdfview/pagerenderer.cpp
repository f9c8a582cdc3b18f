// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagerenderer.h"

#include "gui/pdfview/pagecolouring.h"

namespace
{

QString keyOf(const PageRenderer::Job &job)
{
    return QStringLiteral("%1 %2 %3 %4,%5,%6,%7 %8")
        .arg(job.page)
        .arg(job.scale, 0, 'g', 17)
        .arg(job.quarterTurns)
        .arg(job.part.x())
        .arg(job.part.y())
        .arg(job.part.width())
        .arg(job.part.height())
        .arg(int(job.colours));
}

} // namespace

PageRenderer::PageRenderer(QObject *parent)
    : QObject(parent), m_outbox(this, [this](std::vector<Drawn> &drawn) { take(drawn); })
{
    qRegisterMetaType<PageRenderer::Job>();
}

PageRenderer::~PageRenderer() = default;

// The document before goes on the worker's thread, where it was used; the new one is made when
// the first page is asked for.
void PageRenderer::setDocument(const Pdf::Document::Opener &opener)
{
    m_worker.startGeneration();
    m_worker.post([this, opener] {
        m_document.reset();
        m_opener = opener;
    });
}

void PageRenderer::request(const QList<Job> &jobs)
{
    const quint64 generation = m_worker.generation();
    std::vector<Pdf::Worker::KeyedJob> drawing;
    for (const Job &job : jobs)
        drawing.push_back({keyOf(job), [this, generation, job] { draw(generation, job); }});
    m_worker.replaceWaiting(std::move(drawing));
}

void PageRenderer::draw(quint64 generation, const Job &job)
{
    if (!m_document && m_opener) {
        m_document = m_opener();
        m_opener = nullptr;
        if (m_document)
            m_document->setSmoothing(Pdf::Smoothing::ShapesAndText);
    }
    QImage image =
        m_document ? m_document->draw(job.page, job.scale, job.quarterTurns, job.part) : QImage();
    PageColouring::apply(image, job.colours);
    m_outbox.put({generation, job, image});
}

void PageRenderer::take(std::vector<Drawn> &drawn)
{
    for (const Drawn &item : drawn) {
        if (m_worker.isCurrent(item.generation))
            emit rendered(item.job, item.image);
    }
}
