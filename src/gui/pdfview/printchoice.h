// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QPageLayout>
#include <QSizeF>
#include <QString>

class QPrinter;

// What the printer dialog is offered and what its answer prints.
namespace PrintChoice
{

// The pages (from 0) the dialog chose of a document of `pageCount` pages: every page, the range
// (cut to the document), or the current page `currentPage` (from 1).
QList<int> pages(const QPrinter &printer, int pageCount, int currentPage);

// Landscape for a page of `points` that shows wider than tall, turned by `quarterTurns`.
QPageLayout::Orientation orientationFor(const QSizeF &points, int quarterTurns);

// The paper for a page of `points` shown turned by `quarterTurns`: its own size when that is a
// paper printers hold (A3 to A5, B4, B5, Letter, Legal), either way round, otherwise `fallback`
// (the printer's own paper); landscape when the page shows wider than tall.
QPageLayout layoutFor(const QSizeF &points, int quarterTurns, const QPageLayout &fallback);

// `pages` (from 0) as quillmoor-book takes them: numbers from 1, runs as ranges ("1-3,5").
QString listText(const QList<int> &pages);

} // namespace PrintChoice
