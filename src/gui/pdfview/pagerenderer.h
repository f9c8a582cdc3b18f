// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QImage>
#include <QList>
#include <QObject>
#include <QRect>

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

namespace Poppler
{
class Document;
}

// Draws pages of one poppler document on a thread of its own. The document is handed over whole
// and from then on used by that thread alone: poppler documents must not be shared between
// threads. Each request replaces those still waiting, so the pages asked for last, the visible
// ones, are drawn first and pages scrolled past are never drawn.
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
    };

    explicit PageRenderer(QObject *parent = nullptr);
    ~PageRenderer() override;

    // Replaces the document; jobs of the one before are dropped. `generation` comes back with
    // every page drawn from it.
    void setDocument(std::unique_ptr<Poppler::Document> document, quint64 generation);
    void request(const QList<Job> &jobs);

signals:
    // A page that poppler cannot draw comes back as a null image.
    void rendered(quint64 generation, const PageRenderer::Job &job, const QImage &image);

private:
    void run();
    QImage draw(const Job &job) const;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    std::optional<Job> m_busy; // being drawn
    std::unique_ptr<Poppler::Document> m_incoming;
    bool m_documentWaiting = false;
    quint64 m_incomingGeneration = 0;
    bool m_stopping = false;
    // Used by the drawing thread only.
    std::unique_ptr<Poppler::Document> m_document;
    quint64 m_generation = 0;
    std::thread m_thread;
};

Q_DECLARE_METATYPE(PageRenderer::Job)
