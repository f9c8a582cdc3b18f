// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageObjectHelper.hh>

#include <atomic>
#include <vector>

namespace PageCopy
{

// Appends `pages` of `from` to `to`, in order, and returns the copies. qpdf copies a reference
// to a page it has not copied yet as null, so the pages go first, without their annotations, and
// the annotations follow once every page is in: a link to a later page of the same document
// still leads there. Throws PdfDocument::Stopped between pages when `stop` is set.
std::vector<QPDFObjectHandle> copy(QPDF &from, const std::vector<QPDFPageObjectHelper> &pages,
                                   QPDF &to, const std::atomic<bool> *stop);

} // namespace PageCopy
