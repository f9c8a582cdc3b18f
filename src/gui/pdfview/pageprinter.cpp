// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pageprinter.h"

#include "gui/pdfview/printchoice.h"
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

// Each page on the paper chosen, turned the way the page shows; a turn of the paper takes effect
// on the page begun next.
bool PagePrinter::print(const Pdf::Document &document, QPrinter &printer, const QList<int> &pages,
                        int quarterTurns)
{
    const int turns = ((quarterTurns % 4) + 4) % 4;
    const auto turnPaperFor = [&](int page) {
        printer.setPageOrientation(PrintChoice::orientationFor(document.pageSize(page), turns));
    };
    QPainter painter;
    if (pages.isEmpty())
        return false;
    turnPaperFor(pages.first());
    if (!painter.begin(&printer))
        return false;
    const double dpi = qMin(printer.resolution(), MaxDpi);
    for (qsizetype i = 0; i < pages.size(); ++i) {
        if (i > 0) {
            turnPaperFor(pages.at(i));
            printer.newPage();
        }
        const QRectF area = printer.pageLayout().paintRectPixels(printer.resolution());
        printPage(painter, document, pages.at(i), dpi, turns,
                  QRectF(0, 0, area.width(), area.height()));
    }
    return painter.end();
}
