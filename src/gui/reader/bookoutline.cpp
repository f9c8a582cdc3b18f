// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/bookoutline.h"

#include "core/book/contentsindex.h"
#include "pdf/opening.h"

#include <algorithm>

namespace
{
// Enough for the chapter being read and those the reader opens in the tree around it; each one
// open holds its file and its cross-reference table.
const size_t OpenChapters = 4;
} // namespace

BookOutline::BookOutline(const QString &bookPath, const BookContents &contents)
    : m_path(bookPath), m_contents(contents)
{
}

QList<OutlineSource::Entry> BookOutline::entries(const QList<int> &path)
{
    if (path.isEmpty()) {
        // Cut short as a PDF's own levels are: an index may hold a million lines.
        const int count = int(m_contents.lines.size());
        const int listed = std::min(count, Pdf::OutlineLevelLimit);
        QList<Entry> chapters;
        chapters.reserve(listed + 1);
        for (int row = 0; row < listed; ++row)
            chapters.append({ContentsIndex::shownName(m_contents.lines.at(row).name()), row, 1, -1,
                             m_contents.chapterReadable(row), false});
        if (listed < count)
            chapters.append({QString(), -1, 0, -1, false, false, count - listed});
        return chapters;
    }
    const Pdf::Document *chapter = document(path.first());
    return chapter ? entriesOf(*chapter, path.mid(1), path.first()) : QList<Entry>();
}

void BookOutline::stop()
{
    const std::lock_guard lock(m_mutex);
    m_stopped = true;
    for (const OpenChapter &open : m_open) {
        if (open.document)
            open.document->stopAll();
    }
}

// A chapter is opened outside the lock, which stop() takes on the thread that shows the pages:
// a worker may take its whole deadline to load. The one let go when too many are open goes
// after the lock, for the same reason.
const Pdf::Document *BookOutline::document(int chapter)
{
    {
        const std::lock_guard lock(m_mutex);
        for (auto open = m_open.begin(); open != m_open.end(); ++open) {
            if (open->chapter == chapter) {
                std::rotate(m_open.begin(), open, open + 1);
                return m_open.front().document.get();
            }
        }
    }
    if (!m_contents.chapterReadable(chapter))
        return nullptr;
    const ContentsIndex::Line &line = m_contents.lines.at(chapter);
    std::unique_ptr<Pdf::Document> read = Pdf::openRange(m_path, line.start - 1, line.length);
    if (read && read->isLocked())
        read.reset();
    OpenChapter leaving;
    const std::lock_guard lock(m_mutex);
    if (read && m_stopped)
        read->stopAll();
    m_open.push_front({chapter, std::move(read)});
    if (m_open.size() > OpenChapters) {
        leaving = std::move(m_open.back());
        m_open.pop_back();
    }
    return m_open.front().document.get();
}
