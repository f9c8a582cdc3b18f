// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/bookoutline.h"

#include "core/book/bookreader.h"
#include "pdf/opening.h"

#include <algorithm>

namespace
{
// Enough for the chapter being read and those the reader opens in the tree around it; each one
// open holds its file and its cross-reference table.
const size_t OpenChapters = 4;
} // namespace

BookOutline::BookOutline(const QString &bookPath, const BookContents &contents) : m_path(bookPath)
{
    for (int row = 0; row < contents.lines.size(); ++row)
        m_chapters.append({contents.lines.at(row), contents.chapterReadable(row)});
}

QList<OutlineSource::Entry> BookOutline::entries(const QList<int> &path)
{
    if (path.isEmpty()) {
        QList<Entry> chapters;
        for (int row = 0; row < m_chapters.size(); ++row)
            chapters.append(
                {m_chapters.at(row).line.name, row, 1, -1, m_chapters.at(row).readable, false});
        return chapters;
    }
    const Pdf::Document *chapter = document(path.first());
    return chapter ? entriesOf(*chapter, path.mid(1), path.first()) : QList<Entry>();
}

const Pdf::Document *BookOutline::document(int chapter)
{
    for (auto open = m_open.begin(); open != m_open.end(); ++open) {
        if (open->chapter == chapter) {
            std::rotate(m_open.begin(), open, open + 1);
            return m_open.front().document.get();
        }
    }
    if (chapter < 0 || chapter >= m_chapters.size() || !m_chapters.at(chapter).readable)
        return nullptr;
    const ContentsIndex::Line &line = m_chapters.at(chapter).line;
    std::unique_ptr<Pdf::Document> read = Pdf::openRange(m_path, line.start - 1, line.length);
    if (read && read->isLocked())
        read.reset();
    m_open.push_front({chapter, std::move(read)});
    if (m_open.size() > OpenChapters)
        m_open.pop_back();
    return m_open.front().document.get();
}
