// SPDX-License-Identifier: GPL-2.0-or-later
#include "search/documentsearch.h"

#include "search/booksearch.h"

DocumentSearch::DocumentSearch(int workers, QObject *parent, std::chrono::milliseconds textPause)
    : QObject(parent), m_outbox(this, [this](std::vector<Found> &items) { take(items); }),
      m_textPause(textPause)
{
    for (int i = 0; i < workers; ++i)
        m_searchers.push_back(std::make_unique<Searcher>());
}

DocumentSearch::~DocumentSearch() = default;

// Each worker makes its own document when it first searches; the one before goes on that
// worker's thread.
void DocumentSearch::setDocument(const Pdf::Document::Opener &opener, int pageCount)
{
    stop();
    m_pageCount = opener ? pageCount : 0;
    m_texts.read(opener, m_pageCount, m_textPause);
    for (const std::unique_ptr<Searcher> &searcher : m_searchers) {
        Searcher *s = searcher.get();
        s->worker.post([s, opener] {
            s->document.reset();
            s->opener = opener;
        });
    }
}

// The pages are dealt out in turn, so every worker starts near the first page.
void DocumentSearch::start(const QString &text, int firstPage)
{
    stop();
    if (m_searchers.empty() || text.isEmpty() || m_pageCount == 0)
        return;
    std::vector<QList<int>> shares(m_searchers.size());
    for (int i = 0; i < m_pageCount; ++i)
        shares[size_t(i) % shares.size()] << (firstPage + i) % m_pageCount;
    const Sought sought{text, PageTexts::folded(text), m_texts.known()};
    for (size_t i = 0; i < m_searchers.size(); ++i) {
        Searcher &searcher = *m_searchers[i];
        const quint64 generation = searcher.worker.startGeneration();
        searcher.worker.post(
            [this, &searcher, generation, search = m_search, sought, pages = shares[i]] {
                searchPages(searcher, generation, search, sought, pages);
            });
    }
    m_running = int(m_searchers.size());
}

void DocumentSearch::stop()
{
    ++m_search;
    m_running = 0;
    for (const std::unique_ptr<Searcher> &searcher : m_searchers)
        searcher->worker.startGeneration();
}

// On the searcher's thread; it stops at the next page once its search is no longer wanted. Its
// document is made when a page first needs the engine.
void DocumentSearch::searchPages(Searcher &searcher, quint64 generation, quint64 search,
                                 const Sought &sought, const QList<int> &pages)
{
    for (const int page : pages) {
        if (!searcher.worker.isCurrent(generation))
            return;
        if (!sought.known->mayHold(page, sought.folded))
            continue;
        if (!searcher.document && searcher.opener) {
            searcher.document = searcher.opener();
            searcher.opener = nullptr;
        }
        const QList<QRectF> matches =
            searcher.document ? searcher.document->find(page, sought.text) : QList<QRectF>();
        if (!matches.isEmpty())
            m_outbox.put({search, page, matches,
                          contextsOf(*searcher.document, page, sought.text, int(matches.size())),
                          false});
    }
    m_outbox.put({search, -1, {}, {}, true});
}

// Read here, beside the find, so that the window never waits on the engine for them. The
// engine's find and the page's text may disagree on a match or two (a word broken over lines):
// the lists are kept the same length, the ones past the text's own matches left empty.
QStringList DocumentSearch::contextsOf(Pdf::Document &document, int page, const QString &text,
                                       int count)
{
    QStringList contexts;
    for (const BookSearch::Match &match : BookSearch::matchesInPage(document.text(page), text))
        contexts << match.context;
    contexts.resize(count);
    return contexts;
}

void DocumentSearch::take(std::vector<Found> &items)
{
    for (const Found &item : items) {
        if (item.search != m_search || m_running == 0)
            continue;
        if (!item.done)
            emit found(item.page, item.matches, item.contexts);
        else if (--m_running == 0)
            emit finished();
    }
}
