// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/documentkind.h"

#include <QDir>

DocumentKind Module1::DocumentKindOf(const QString &path)
{
    if (path.size() < 4)
        return DocumentKind::None;
    const QString ending = path.right(4);
    if (ending.compare(QLatin1String("VELM"), Qt::CaseInsensitive) == 0)
        return DocumentKind::Book;
    if (ending.compare(QLatin1String(".pdf"), Qt::CaseInsensitive) == 0)
        return DocumentKind::Pdf;
    return DocumentKind::None;
}

QString Module1::DocumentFileName(const QString &path)
{
    // Qt gives paths with "/" on every platform; a native separator counts as well.
    const int cut = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    return path.mid(cut + 1);
}
