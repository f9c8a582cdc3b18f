// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/answers.h"

#include <QImage>

namespace Pdf::Protocol
{

namespace
{

void readPages(QDataStream &in, qint64 fileBytes, qint32 &pages)
{
    in >> pages;
    if (pages < 0 || pages > maxPages(fileBytes))
        in.setStatus(QDataStream::ReadCorruptData);
}

// A list of one item a page at most, filled up to one for each; a damaged one is none of it.
template <class Item> QList<Item> readPageList(QDataStream &in, qint32 pages)
{
    QList<Item> items = readList<Item>(in);
    if (items.size() > pages)
        in.setStatus(QDataStream::ReadCorruptData);
    if (in.status() != QDataStream::Ok)
        items.clear();
    items.resize(pages);
    return items;
}

bool drawnFormat(qint32 format)
{
    return format == QImage::Format_ARGB32_Premultiplied || format == QImage::Format_RGB32 ||
           format == QImage::Format_ARGB32;
}

} // namespace

qint32 maxPages(qint64 fileBytes)
{
    return qint32(qBound(qint64(0), fileBytes / MinPageBytes, qint64(MaxPages)));
}

Opened readLoad(QDataStream &in, qint64 fileBytes)
{
    Opened opened;
    in >> opened.opened;
    readPages(in, fileBytes, opened.pages);
    in >> opened.locked;
    return opened;
}

Opened readUnlock(QDataStream &in, qint64 fileBytes)
{
    Opened opened;
    in >> opened.opened;
    readPages(in, fileBytes, opened.pages);
    return opened;
}

QList<QSizeF> readPageSizes(QDataStream &in, qint32 pages)
{
    return readPageList<QSizeF>(in, pages);
}

QStringList readPageLabels(QDataStream &in, qint32 pages)
{
    return readPageList<QString>(in, pages);
}

bool readImageLayout(QDataStream &in, const QRect &part, qint64 maxBytes, ImageLayout &layout)
{
    in >> layout.width >> layout.height >> layout.bytesPerLine >> layout.format;
    const bool fits =
        part.isEmpty() || (layout.width <= part.width() && layout.height <= part.height());
    return readWhole(in) && layout.width > 0 && layout.height > 0 &&
           layout.bytesPerLine >= qint64(layout.width) * 4 && layout.bytesPerLine % 4 == 0 &&
           layout.bytes() <= maxBytes && fits && drawnFormat(layout.format);
}

} // namespace Pdf::Protocol
