// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>

class QPrinter;

namespace Pdf
{
class Document;
}

// Prints pages `pages` (from 0) of `document` as pictures, for a printer that takes no PDF: each
// scaled to fit the printable area of the paper chosen, turned the way the page shows, centred,
// and turned by `quarterTurns` as the view shows it. A page
// is drawn at the printer's resolution, at most MaxDpi, in bands of at most BandBytes, so memory
// does not grow with the paper size. False when the printer could not be started.
namespace PagePrinter
{

constexpr int MaxDpi = 300;
constexpr long long BandBytes = 32 * 1024 * 1024;

bool print(const Pdf::Document &document, QPrinter &printer, const QList<int> &pages,
           int quarterTurns);

} // namespace PagePrinter
