// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/readingplace.h"
#include "core/threads/outbox.h"
#include "pdf/document.h"
#include "pdf/worker.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>

#include <memory>

// Draws pages of one document for the screen, shapes and text smoothed, so that a page looks the
// same in the view, a thumbnail and a presentation. The drawing runs on a worker of its own, which
// makes the document from its opener when the first page is asked for and is the only thread to
// use it. Each request replaces the pages still waiting, so the pages asked for last, the visible
// ones, are drawn first and pages scrolled past are never drawn; a page being drawn is not drawn
// again. Pages drawn from an earlier document never come back.
class PageRenderer : public QObject
{
    Q_OBJECT

public:
    struct Job {
        int page = 0;
        // Pixels per point, the device pixel ratio included.
        double scale = 1.0;
        int quarterTurns = 0;
        // The part of the page to draw, in pixels at `scale`; empty for the whole page.
        QRect part;
        PageColours colours = PageColours::Normal;
    };

    explicit PageRenderer(QObject *parent = nullptr);
    ~PageRenderer() override;

    // The document to draw from now on, made on the worker; an empty opener for none.
    void setDocument(const Pdf::Document::Opener &opener);
    void request(const QList<Job> &jobs);

signals:
    // A page that cannot be drawn comes back as a null image.
    void rendered(const PageRenderer::Job &job, const QImage &image);

private:
    struct Drawn {
        quint64 generation = 0;
        Job job;
        QImage image;
    };

    void draw(quint64 generation, const Job &job);
    void take(std::vector<Drawn> &drawn);

    Outbox<Drawn> m_outbox;
    // The worker's: the document to draw from, and what makes it until it is first needed.
    std::unique_ptr<Pdf::Document> m_document;
    Pdf::Document::Opener m_opener;
    Pdf::Worker m_worker;
};

Q_DECLARE_METATYPE(PageRenderer::Job)
