// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/bookmarks/bookmarkline.h"

QString Module1::PlainBookmarkLine(const QString &name, int page)
{
    return name + QChar(0xFF3B) + QString::number(page) + QChar(0xFF3D);
}

QString Module1::ChapterBookmarkLine(int chapter, const QString &chapterText,
                                     const QString &plainEntry)
{
    return QLatin1Char('{') + QString::number(chapter) + QLatin1Char('}') + chapterText +
           QLatin1Char('&') + plainEntry;
}
