#include "gui/pdfview/pdfviewfactory.h"

#include "gui/pdfview/pdfview.h"

PdfView *QtPdfViewFactory::createView(QWidget *parent)
{
    return new PdfView(parent);
}
