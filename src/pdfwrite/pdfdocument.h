// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <qpdf/InputSource.hh>
#include <qpdf/QPDF.hh>

#include <QString>

#include <atomic>
#include <exception>
#include <memory>

// Opening PDFs with qpdf, and the one way a long piece of work is stopped.
namespace PdfDocument
{

// Thrown where a set stop flag is seen; callers catch it at the layer's edge.
struct Stopped : std::exception {
    const char *what() const noexcept override { return "stopped"; }
};

// Throws Stopped when `stop` is given and set.
void checkStop(const std::atomic<bool> *stop);

// Reads the PDF of `input` into `pdf`, warnings kept quiet. Empty when it opened with pages;
// otherwise the reason: "encrypted" for any encryption (even one with an empty password, whose
// pages would be written out in the clear), "has no pages", or what qpdf found damaged.
QString open(QPDF &pdf, const std::shared_ptr<InputSource> &input);

// Empty, or why the opened `pdf`'s pages cannot be read: a page tree too deep for qpdf's walk.
QString pageTreeProblem(QPDF &pdf);

// A short reason for what qpdf or the system threw.
QString reasonOf(const std::exception &error);

// Whether `a` and `b` name one existing file, under any names: an output must never replace the
// document it is read from.
bool sameFile(const QString &a, const QString &b);

} // namespace PdfDocument
