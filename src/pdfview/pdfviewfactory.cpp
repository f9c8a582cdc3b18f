#include "pdfview/pdfviewfactory.h"

#include "pdfview/pdfview.h"

PdfView *QtPdfViewFactory::createView(QWidget *parent)
{
    return new PdfView(parent);
}
