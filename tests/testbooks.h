#pragma once

#include "core/book/contentsindex.h"
#include "core/text/gbkcodec.h"

#include <QList>
#include <QPair>
#include <QtEndian>

// Books made in memory for the tests of the reader: chapters and index as the engine writes them.
namespace TestBooks
{

inline QByteArray trailer(qint32 length)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(length, bytes.data());
    return bytes;
}

inline QByteArray bookOf(const QList<QPair<QString, QByteArray>> &chapters)
{
    QList<ContentsIndex::Chapter> index;
    QByteArray bytes;
    for (const auto &chapter : chapters) {
        index << ContentsIndex::Chapter{chapter.first, chapter.second.size()};
        bytes += chapter.second;
    }
    const QByteArray indexBytes = ContentsIndex::encode(index);
    return bytes + indexBytes + trailer(indexBytes.size());
}

// A book whose index is `indexText` as given, damaged lines and all.
inline QByteArray bookWithIndex(const QByteArray &chapterBytes, const QString &indexText)
{
    const QByteArray indexBytes = Gbk::encode(indexText);
    return chapterBytes + indexBytes + trailer(indexBytes.size());
}

} // namespace TestBooks
