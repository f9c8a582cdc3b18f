// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>

#include <atomic>
#include <memory>
#include <vector>

namespace Poppler
{
class Document;
class Page;
} // namespace Poppler

// Searches the whole document on worker threads, each with a poppler document of its own
// (poppler documents must not be shared between threads). Pages are searched from the one
// given onwards, round to the one before it; letter case is ignored. Matches come back page by
// page while the window goes on answering; a new search or new documents end the one running.
class DocumentSearch : public QObject
{
    Q_OBJECT

public:
    explicit DocumentSearch(QObject *parent = nullptr);
    ~DocumentSearch() override;

    // One document per worker, all of the same file; none stops searching.
    void setDocuments(std::vector<std::unique_ptr<Poppler::Document>> documents);
    void start(const QString &text, int firstPage);
    void stop();

    // The places of `text` on `page`, letter case ignored, in the page's normalised coordinates.
    static QList<QRectF> matchesOn(Poppler::Page &page, const QString &text);

signals:
    // The matches on `page`, in the page's normalised coordinates; only pages with matches.
    void found(int page, const QList<QRectF> &matches);
    void finished();

private:
    class Worker;
    void workerDone(quint64 generation);

    std::vector<std::unique_ptr<Worker>> m_workers;
    std::shared_ptr<std::atomic<quint64>> m_generation;
    int m_pageCount = 0;
    int m_running = 0;
};
