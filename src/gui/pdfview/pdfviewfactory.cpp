// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pdfviewfactory.h"

#include "gui/pdfview/pdfview.h"

PdfView *StandardViewFactory::createView(QWidget *parent)
{
    return new PdfView(parent);
}
