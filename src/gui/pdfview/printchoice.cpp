// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/printchoice.h"

#include <QPrinter>

QList<int> PrintChoice::pages(const QPrinter &printer, int pageCount, int currentPage)
{
    QList<int> chosen;
    if (pageCount < 1)
        return chosen;
    int first = 1;
    int last = pageCount;
    if (printer.printRange() == QPrinter::CurrentPage) {
        first = last = qBound(1, currentPage, pageCount);
    } else if (printer.fromPage() > 0) {
        first = qBound(1, printer.fromPage(), pageCount);
        last = qBound(first, printer.toPage(), pageCount);
    }
    for (int page = first; page <= last; ++page)
        chosen << page - 1;
    return chosen;
}

QPageLayout PrintChoice::layoutFor(const QSizeF &points, int quarterTurns,
                                   const QPageLayout &fallback)
{
    QPageLayout layout = fallback;
    if (points.isEmpty())
        return layout;
    // Only the papers printers hold: a 4:3 slide of 10 by 7.5 inches is Executive to Qt, and a
    // fuzzy match takes it for Letter.
    static const QPageSize::PageSizeId papers[] = {
        QPageSize::A3, QPageSize::A4,     QPageSize::A5,   QPageSize::B4,
        QPageSize::B5, QPageSize::Letter, QPageSize::Legal};
    const QSize rounded = points.toSize();
    for (const QPageSize::PageSizeId paper : papers) {
        const QSize size = QPageSize::sizePoints(paper);
        if (size == rounded || size == rounded.transposed())
            layout.setPageSize(QPageSize(paper));
    }
    layout.setOrientation(orientationFor(points, quarterTurns));
    return layout;
}

QPageLayout::Orientation PrintChoice::orientationFor(const QSizeF &points, int quarterTurns)
{
    const bool wide = (points.width() > points.height()) != (quarterTurns % 2 != 0);
    return wide ? QPageLayout::Landscape : QPageLayout::Portrait;
}

QString PrintChoice::listText(const QList<int> &pages)
{
    QStringList runs;
    for (qsizetype i = 0; i < pages.size();) {
        qsizetype end = i;
        while (end + 1 < pages.size() && pages.at(end + 1) == pages.at(end) + 1)
            ++end;
        runs << (end == i ? QString::number(pages.at(i) + 1)
                          : QStringLiteral("%1-%2").arg(pages.at(i) + 1).arg(pages.at(end) + 1));
        i = end + 1;
    }
    return runs.join(QLatin1Char(','));
}
