// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// What a link inside a PDF may do. PDFs come from anywhere: a link may go to a page of the same
// document or open a web page; one that would start a program, run a script or open a local file
// does nothing.
namespace PdfLinks
{

// True for an absolute http, https or mailto address (in any letter case) with something after
// the scheme; false for every other scheme, a relative address and an address with blanks or
// control characters at its ends.
bool isOpenableWebAddress(const QString &address);

} // namespace PdfLinks
