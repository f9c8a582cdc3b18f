// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QPrinter;

// Jobs for the system's printers, handed over as PDF documents. The view asks through this
// interface, so tests never reach a real printer.
class PrintJobs
{
public:
    virtual ~PrintJobs() = default;

    // Whether the printer `printer` names takes PDF documents; false for one it cannot find.
    virtual bool takesPdf(const QPrinter &printer) = 0;

    // Sends the PDF file at `pdfPath` to the printer `printer` names as one job titled `title`,
    // with the copies, the sides and the paper chosen, each page fitted to the paper. Empty when
    // the printer took it; otherwise why not. The file may go once this returns.
    virtual QString submitPdf(const QPrinter &printer, const QString &title,
                              const QString &pdfPath) = 0;
};
