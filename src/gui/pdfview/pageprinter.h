// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

class QPrinter;

namespace Pdf
{
class Document;
}

// Prints the pages of `document` in the printer's page range (0 to 0: every page), each scaled
// to fit the printable area and centred, turned by `quarterTurns` as the view shows it. A page
// is drawn at the printer's resolution, at most MaxDpi, in bands of at most BandBytes, so memory
// does not grow with the paper size. False when the printer could not be started.
namespace PagePrinter
{

constexpr int MaxDpi = 300;
constexpr long long BandBytes = 32 * 1024 * 1024;

bool print(const Pdf::Document &document, QPrinter &printer, int quarterTurns);

} // namespace PagePrinter
