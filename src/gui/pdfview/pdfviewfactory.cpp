// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pdfviewfactory.h"

#include "gui/pdfview/pdfview.h"
#include "pdf/opening.h"

#include <cstdio>

PdfView *StandardViewFactory::createView(QWidget *parent)
{
    // Without its worker the view could show no page at all: the program is then as good as
    // without a view, and says so at start.
    if (const QString problem = Pdf::workerProblem(); !problem.isEmpty()) {
        std::fprintf(stderr, "quillmoor: %s\n", qPrintable(problem));
        return nullptr;
    }
    return new PdfView(parent);
}
