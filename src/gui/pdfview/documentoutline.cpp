// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/documentoutline.h"

#include <utility>

DocumentOutline::DocumentOutline(Pdf::Document::Opener opener) : m_opener(std::move(opener)) {}

QList<OutlineSource::Entry> DocumentOutline::entries(const QList<int> &path)
{
    if (!opened())
        return {};
    return entriesOf(*m_document, path, -1);
}

void DocumentOutline::stop()
{
    const std::lock_guard lock(m_mutex);
    m_stopped = true;
    if (m_document)
        m_document->stopAll();
}

// Opened outside the lock, which stop() takes on the thread that shows the pages: a worker may
// take its whole deadline to load. One stopped meanwhile is stopped once it is made.
bool DocumentOutline::opened()
{
    if (!m_document && m_opener) {
        std::shared_ptr<Pdf::Document> made = std::exchange(m_opener, {})();
        const std::lock_guard lock(m_mutex);
        m_document = std::move(made);
        if (m_document && m_stopped)
            m_document->stopAll();
    }
    return m_document != nullptr;
}
