// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "services/printjobs.h"

// Print jobs through CUPS, the printing system the print dialog lists its printers from: a PDF
// goes as it is, and the printer's own filters lay it out on the paper.
class CupsPrintJobs : public PrintJobs
{
public:
    bool takesPdf(const QPrinter &printer) override;
    QString submitPdf(const QPrinter &printer, const QString &title,
                      const QString &pdfPath) override;
};
