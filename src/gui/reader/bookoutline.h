// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"
#include "gui/pdfview/outlinesource.h"
#include "pdf/document.h"

#include <QList>
#include <QString>

#include <deque>
#include <memory>
#include <mutex>

// One outline for a whole book: each chapter as a top-level entry named as the contents list
// names it, leading to its first page, with the chapter's own outline below it. A chapter is
// read from its range of the book only when its entries are asked for, and only a few chapters
// stay open at once. A chapter that cannot be read, or is locked, has no entries below it.
// Stopped, it ends the jobs of the chapters open and reads no more.
class BookOutline : public OutlineSource
{
public:
    BookOutline(const QString &bookPath, const BookContents &contents);

    QList<Entry> entries(const QList<int> &path) override;
    int topLevelCount() const override { return int(m_contents.lines.size()); }
    void stop() override;

private:
    struct OpenChapter {
        int chapter = -1;
        std::unique_ptr<Pdf::Document> document; // nullptr: the chapter could not be read
    };

    const Pdf::Document *document(int chapter);

    QString m_path;
    // Shared with the session's contents, not copied: a book may hold a million lines.
    BookContents m_contents;
    std::mutex m_mutex; // m_open, changed on the reading thread, and m_stopped, against stop()
    std::deque<OpenChapter> m_open; // the one read last first
    bool m_stopped = false;
};
