// SPDX-License-Identifier: GPL-2.0-or-later
// Reads arbitrary bytes as a bookmark file, for a PDF and for a chapter of a book, and renumbers
// its chapter entries as a book of 16 chapters reversed, then emptied, would: every entry keeps
// its chapter, and every one goes when all chapters do.
#include "core/bookmarks/bookmarkfile.h"
#include "core/bookmarks/chapterrenumbering.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const int chapter = data[0] % 16;
    const QStringList lines = Module1::BookmarkLinesOf(
        QByteArray(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1)));
    for (const auto &chapterIndex : {std::optional<int>(), std::optional<int>(chapter)}) {
        for (const Module1::BookmarkEntry &entry :
             Module1::BookmarkEntriesOf(lines, chapterIndex)) {
            if (!entry.entryText.startsWith(entry.name()))
                std::abort();
            Module1::BookmarkPageText(entry.entryText);
        }
    }
    for (const QString &line : lines)
        Module1::BookmarkFilePath(line);

    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    QList<int> reversed, removed;
    QStringList names;
    int entries = 0;
    for (int row = 0; row < 16; ++row) {
        reversed << 15 - row;
        removed << -1;
        names << QStringLiteral("第%1章&").arg(row);
        entries += Module1::CountChapterEntries(bytes, row);
    }
    const QByteArray moved = Module1::RenumberChapterEntries(bytes, reversed, names).bytes;
    for (int row = 0; row < 16; ++row) {
        if (Module1::CountChapterEntries(moved, 15 - row) !=
            Module1::CountChapterEntries(bytes, row))
            std::abort();
    }
    if (Module1::RenumberChapterEntries(bytes, removed, names).droppedLines != entries)
        std::abort();
    return 0;
}
