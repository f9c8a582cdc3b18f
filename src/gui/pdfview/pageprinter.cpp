// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pageprinter.h"

#include "pdf/document.h"

#include <QPainter>
#include <QPrinter>

namespace
{

// Where a page of `size` pixels goes in `area`: as large as fits, centred.
QRectF fitted(const QSizeF &size, const QRectF &area)
{
    const double scale = qMin(area.width() / size.width(), area.height() / size.height());
    const QSizeF shown = size * scale;
    return QRectF(area.center() - QPointF(shown.width(), shown.height()) / 2, shown);
}

void printPage(QPainter &painter, const Pdf::Document &document, int page, double dpi,
               int quarterTurns, const QRectF &area)
{
    QSizeF points = document.pageSize(page);
    if (points.isEmpty())
        return; // a page that cannot be read prints blank
    if (quarterTurns % 2)
        points.transpose();
    const int width = qMax(1, qRound(points.width() * dpi / 72));
    const int height = qMax(1, qRound(points.height() * dpi / 72));
    const QRectF target = fitted(QSizeF(width, height), area);
    const double scale = target.width() / width;
    const long long rowsInBand = PagePrinter::BandBytes / (4LL * width);
    const int band = int(qBound(1LL, rowsInBand, static_cast<long long>(height)));
    for (int top = 0; top < height; top += band) {
        const int rows = qMin(band, height - top);
        const QImage image =
            document.draw(page, dpi / 72, quarterTurns, QRect(0, top, width, rows));
        if (image.isNull())
            continue; // a page that cannot be drawn prints blank
        painter.drawImage(
            QRectF(target.x(), target.y() + top * scale, target.width(), rows * scale), image);
    }
}

} // namespace

bool PagePrinter::print(const Pdf::Document &document, QPrinter &printer, int quarterTurns)
{
    const int count = document.pageCount();
    int first = 1;
    int last = count;
    if (printer.fromPage() > 0) {
        first = qBound(1, printer.fromPage(), count);
        last = qBound(first, printer.toPage(), count);
    }
    QPainter painter;
    if (count < 1 || !painter.begin(&printer))
        return false;
    const double dpi = qMin(printer.resolution(), MaxDpi);
    const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF inPainter(0, 0, area.width(), area.height());
    for (int number = first; number <= last; ++number) {
        if (number > first)
            printer.newPage();
        printPage(painter, document, number - 1, dpi, ((quarterTurns % 4) + 4) % 4, inPainter);
    }
    return painter.end();
}
