// SPDX-License-Identifier: GPL-2.0-or-later
// Reads arbitrary bytes as a book: trailer, index, every chapter range. A book that cannot be
// read says why and has no chapters.
#include "core/book/bookreader.h"
#include "core/book/safewrite.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MemoryByteSource book(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    const BookContents contents = BookReader::readContents(book);
    if (!contents.ok) {
        if (contents.error.isEmpty() || !contents.lines.isEmpty())
            std::abort();
        return 0;
    }
    if (contents.indexBytes.size() != contents.indexLength ||
        contents.chapterAreaSize + contents.indexLength + 4 != contents.fileSize)
        std::abort();
    QByteArray chunk;
    for (int i = 0; i < contents.lines.size(); ++i) {
        if (!contents.chapterReadable(i))
            continue;
        const ContentsIndex::Line &line = contents.lines.at(i);
        if (line.start < 1 || qint64(line.start) - 1 + line.length > contents.chapterAreaSize)
            std::abort();
        chunk.resize(qMin<qint64>(line.length, SafeWrite::ChunkSize));
        if (!book.readAt(line.start - 1, chunk.data(), chunk.size()))
            std::abort();
    }
    return 0;
}
