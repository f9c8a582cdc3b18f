// SPDX-License-Identifier: GPL-2.0-or-later
// Reads arbitrary bytes as a bookmark file, for a PDF and for a chapter of a book.
#include "core/bookmarks/bookmarkfile.h"

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
    return 0;
}
