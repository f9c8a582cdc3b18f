// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/outlinesource.h"

QList<OutlineSource::Entry> OutlineSource::entriesOf(const Pdf::Document &document,
                                                     const QList<int> &path, int chapter)
{
    QList<Entry> entries;
    const int pageCount = document.pageCount();
    for (const Pdf::OutlineEntry &read : document.outline(path)) {
        const bool shown = read.page >= 0 && read.page < pageCount;
        entries.append({read.name, chapter, shown ? read.page + 1 : 0, read.top, read.hasChildren,
                        read.open, read.leftOut});
    }
    return entries;
}
