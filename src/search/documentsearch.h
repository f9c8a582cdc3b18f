// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/threads/outbox.h"
#include "pdf/document.h"
#include "pdf/worker.h"
#include "search/pagetexts.h"

#include <QList>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <vector>

// Searches the whole of one document on worker threads, each with a document of its own made by
// the document's opener when it first searches. Pages are searched from the one given onwards,
// round to the one before it; letter case is ignored. Matches come back page by page while the
// window goes on answering; a new search or a new document ends the one running, and nothing more
// of it comes. Each page's text is read once, `textPause` after the document came (pagetexts.h):
// the pages known not to hold the text are passed over.
class DocumentSearch : public QObject
{
    Q_OBJECT

public:
    explicit DocumentSearch(int workers, QObject *parent = nullptr,
                            std::chrono::milliseconds textPause = TextPause);
    ~DocumentSearch() override;

    // The document of `pageCount` pages to search from now on; an empty opener for none.
    void setDocument(const Pdf::Document::Opener &opener, int pageCount);
    void start(const QString &text, int firstPage);
    void stop();
    // Pages whose text is known, from the first.
    int pagesKnown() const { return m_texts.known()->count(); }
    // True once every page's text is known to be empty: pictures of pages, as a scan has them.
    bool pagesHoldNoText() const { return m_texts.known()->holdsNoText(m_pageCount); }

    // Long enough for a document's first pages to be drawn before its texts are read.
    static constexpr std::chrono::milliseconds TextPause{500};

signals:
    // The matches on `page`, in the page's normalised coordinates; only pages with matches.
    // `contexts` has the page's text around each match, as BookSearch::matchesInPage gives it,
    // one for each of `matches` (empty where the page's text holds fewer than its find).
    void found(int page, const QList<QRectF> &matches, const QStringList &contexts);
    // Every page was searched.
    void finished();

private:
    // What a worker gives: the matches of a page, or that its pages are done.
    struct Found {
        quint64 search = 0;
        int page = -1;
        QList<QRectF> matches;
        QStringList contexts;
        bool done = false;
    };
    // A worker and the document its jobs read, made by the opener when first searched; the
    // worker goes first, so the document outlives every job.
    struct Searcher {
        std::unique_ptr<Pdf::Document> document;
        Pdf::Document::Opener opener;
        Pdf::Worker worker;
    };

    // What is looked for: the text as given and folded (PageTexts::folded).
    struct Sought {
        QString text;
        QString folded;
        std::shared_ptr<const PageTexts::Known> known;
    };
    void searchPages(Searcher &searcher, quint64 generation, quint64 search, const Sought &sought,
                     const QList<int> &pages);
    void take(std::vector<Found> &items);
    static QStringList contextsOf(Pdf::Document &document, int page, const QString &text,
                                  int count);

    int m_pageCount = 0;
    quint64 m_search = 0; // the search whose matches are wanted
    int m_running = 0;    // workers still searching it
    Outbox<Found> m_outbox;
    std::vector<std::unique_ptr<Searcher>> m_searchers;
    const std::chrono::milliseconds m_textPause;
    PageTexts m_texts;
};
