// SPDX-License-Identifier: GPL-2.0-or-later
#include "search/pagetexts.h"

#include <thread>

bool PageTexts::Known::mayHold(int page, const QString &folded) const
{
    const std::lock_guard lock(m_mutex);
    return page < 0 || page >= m_texts.size() || m_texts.at(page).contains(folded);
}

bool PageTexts::Known::holdsNoText(int pageCount) const
{
    const std::lock_guard lock(m_mutex);
    return pageCount > 0 && m_texts.size() >= pageCount && m_bytes == 0;
}

int PageTexts::Known::count() const
{
    const std::lock_guard lock(m_mutex);
    return int(m_texts.size());
}

bool PageTexts::Known::add(const QString &text)
{
    const std::lock_guard lock(m_mutex);
    const qint64 bytes = text.size() * qint64(sizeof(QChar));
    if (m_bytes + bytes > Budget)
        return false;
    m_bytes += bytes;
    m_texts.append(text);
    return true;
}

QString PageTexts::folded(const QString &text)
{
    const QString composed = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    QString kept;
    kept.reserve(composed.size());
    for (const QChar c : composed) {
        if (!c.isSpace())
            kept += c;
    }
    return kept;
}

PageTexts::~PageTexts()
{
    // The page under way is the last read.
    m_reader.startGeneration();
}

void PageTexts::read(const Pdf::Document::Opener &opener, int pageCount,
                     std::chrono::milliseconds pause)
{
    m_known = std::make_shared<Known>();
    const quint64 generation = m_reader.startGeneration();
    if (!opener || pageCount <= 0)
        return;
    m_reader.post([this, known = m_known, opener, pageCount, generation, pause] {
        readAll(known, opener, pageCount, generation, pause);
    });
}

// On the reader's thread. The pause lets the document's first pages be drawn first; the reading
// stops between pages once another document came.
void PageTexts::readAll(const std::shared_ptr<Known> &known, const Pdf::Document::Opener &opener,
                        int pageCount, quint64 generation, std::chrono::milliseconds pause)
{
    constexpr auto Step = std::chrono::milliseconds(20);
    for (auto waited = std::chrono::milliseconds(0); waited < pause; waited += Step) {
        if (!m_reader.isCurrent(generation))
            return;
        std::this_thread::sleep_for(Step);
    }
    const std::unique_ptr<Pdf::Document> document = opener();
    for (int page = 0; document && page < pageCount; ++page) {
        if (!m_reader.isCurrent(generation) || !known->add(folded(document->text(page))))
            return;
    }
}
