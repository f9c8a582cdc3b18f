// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gui/pdfview/outlinesource.h"

#include <QList>

#include <functional>
#include <memory>

class QObject;

// Reads the levels of one outline on a thread of its own, so that a document whose outline is
// slow to read (a worker taking its whole deadline over each level, or an outline of millions of
// entries) never holds the thread that shows it. Levels are read one after another in the order
// asked, and each is handed to `shown` on the thread that made the reader, as it comes.
//
// The reader is let go at once: its thread may still be inside a reading, which it is told to end
// (OutlineSource::stop), and nothing it read after is handed on.
class OutlineReader
{
public:
    using Shown =
        std::function<void(const QList<int> &path, const QList<OutlineSource::Entry> &entries)>;

    OutlineReader(std::shared_ptr<OutlineSource> source, Shown shown);
    ~OutlineReader();
    OutlineReader(const OutlineReader &) = delete;
    OutlineReader &operator=(const OutlineReader &) = delete;

    // Asks for the entries below the entry at `path` (the top level for an empty path).
    void read(const QList<int> &path);

private:
    struct Shared;
    static void readLevels(const std::shared_ptr<Shared> &shared);

    std::shared_ptr<Shared> m_shared;
    std::unique_ptr<QObject> m_receiver; // lives on the thread that made the reader
};
