// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/bookmarks/chapterrenumbering.h"

#include "core/text/gbkcodec.h"

#include <optional>

namespace
{

struct ChapterPrefix {
    int chapter = -1;
    qsizetype close = 0; // where its "}" stands
};

// "{" N "}" at the start of the line, N written as the reader writes an index. "{" and "}" are
// ASCII, and the digits between them are too, so no GBK character is cut.
std::optional<ChapterPrefix> chapterPrefix(QByteArrayView line)
{
    if (!line.startsWith('{'))
        return std::nullopt;
    const qsizetype close = line.indexOf('}');
    const QByteArrayView digits = line.sliced(1, qMax<qsizetype>(close - 1, 0));
    if (close < 2 || digits.size() > 9 || (digits.size() > 1 && digits.front() == '0'))
        return std::nullopt;
    int chapter = 0;
    for (const char digit : digits) {
        if (digit < '0' || digit > '9')
            return std::nullopt;
        chapter = chapter * 10 + (digit - '0');
    }
    return ChapterPrefix{chapter, close};
}

// The line ends, kept with the line they end: CR LF, CR or LF.
qsizetype lineEndAt(QByteArrayView bytes, qsizetype from)
{
    qsizetype at = from;
    while (at < bytes.size() && bytes[at] != '\r' && bytes[at] != '\n')
        ++at;
    return at;
}

qsizetype afterLineEnd(QByteArrayView bytes, qsizetype end)
{
    if (end < bytes.size() && bytes[end] == '\r')
        ++end;
    else if (end < bytes.size())
        return end + 1;
    if (end < bytes.size() && bytes[end] == '\n')
        ++end;
    return end;
}

template <typename Visit> void forEachLine(const QByteArray &bytes, Visit visit)
{
    for (qsizetype start = 0; start < bytes.size();) {
        const qsizetype end = lineEndAt(bytes, start);
        const qsizetype next = afterLineEnd(bytes, end);
        visit(QByteArrayView(bytes).sliced(start, end - start),
              QByteArrayView(bytes).sliced(end, next - end));
        start = next;
    }
}

} // namespace

namespace Module1
{

RenumberedBookmarks RenumberChapterEntries(const QByteArray &fileBytes, const QList<int> &newRowOf,
                                           const QStringList &newNames)
{
    RenumberedBookmarks result;
    result.bytes.reserve(fileBytes.size());
    forEachLine(fileBytes, [&](QByteArrayView line, QByteArrayView lineEnd) {
        const std::optional<ChapterPrefix> prefix = chapterPrefix(line);
        if (!prefix || prefix->chapter >= newRowOf.size()) {
            result.bytes += line;
            result.bytes += lineEnd;
            return;
        }
        const int row = newRowOf.at(prefix->chapter);
        if (row < 0) {
            ++result.droppedLines;
            return;
        }
        result.bytes += '{' + QByteArray::number(row) + '}';
        const qsizetype ampersand = line.indexOf('&');
        if (ampersand < 0) {
            result.bytes += line.sliced(prefix->close + 1);
        } else {
            result.bytes += Gbk::encode(QString(newNames.at(row)).replace('&', '?'));
            result.bytes += line.sliced(ampersand);
        }
        result.bytes += lineEnd;
    });
    return result;
}

int CountChapterEntries(const QByteArray &fileBytes, int row)
{
    int count = 0;
    forEachLine(fileBytes, [&](QByteArrayView line, QByteArrayView) {
        const std::optional<ChapterPrefix> prefix = chapterPrefix(line);
        count += prefix && prefix->chapter == row ? 1 : 0;
    });
    return count;
}

} // namespace Module1
