// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"
#include "pdf/worker.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>
#include <mutex>

// The text of each page of one document, read once, from the first page on, by a worker of its
// own soon after the document is shown, so that a find can pass over the pages that cannot hold
// what it looks for without asking the engine. Texts are kept folded (folded()): a page whose
// folded text lacks the folded search text has no match, however the engine spaces its words
// or breaks its lines. Pages past the budget, and those not read yet, stay unknown.
class PageTexts
{
public:
    // What is known of one document's pages; shared with the threads that search it.
    class Known
    {
    public:
        // False only for a page whose text is known and lacks `folded`.
        bool mayHold(int page, const QString &folded) const;
        // True once each of the `pageCount` pages is known and none holds any text.
        bool holdsNoText(int pageCount) const;
        int count() const;

    private:
        friend class PageTexts;
        // False once the budget is spent: the page stays unknown.
        bool add(const QString &text);

        mutable std::mutex m_mutex;
        QStringList m_texts;
        qint64 m_bytes = 0;
    };

    // Bytes of folded text kept for one document: about 3,000 pages of dense text.
    static constexpr qint64 Budget = qint64(16) << 20;

    // Compatibility forms composed (ligatures split), letter case folded and white space left
    // out.
    static QString folded(const QString &text);

    ~PageTexts();

    // Forgets what was known and, after `pause`, reads the pages of the document `opener`
    // makes; an empty opener reads nothing.
    void read(const Pdf::Document::Opener &opener, int pageCount, std::chrono::milliseconds pause);
    std::shared_ptr<const Known> known() const { return m_known; }

private:
    void readAll(const std::shared_ptr<Known> &known, const Pdf::Document::Opener &opener,
                 int pageCount, quint64 generation, std::chrono::milliseconds pause);

    std::shared_ptr<Known> m_known = std::make_shared<Known>();
    Pdf::Worker m_reader;
};
