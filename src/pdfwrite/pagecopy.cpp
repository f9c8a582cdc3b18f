// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pagecopy.h"

#include "pdfwrite/pdfdocument.h"

#include <qpdf/QPDFPageDocumentHelper.hh>

std::vector<QPDFObjectHandle> PageCopy::copy(QPDF &from,
                                             const std::vector<QPDFPageObjectHelper> &pages,
                                             QPDF &to, const std::atomic<bool> *stop)
{
    // A page may take its media box or resources from the page tree it leaves behind.
    from.pushInheritedAttributesToPage();
    QPDFPageDocumentHelper target(to);
    std::vector<QPDFObjectHandle> copies;
    std::vector<QPDFObjectHandle> annotations;
    for (const QPDFPageObjectHelper &page : pages) {
        PdfDocument::checkStop(stop);
        QPDFObjectHandle object = page.getObjectHandle();
        annotations.push_back(object.getKey("/Annots"));
        object.removeKey("/Annots");
        copies.push_back(to.copyForeignObject(object));
        target.addPage(QPDFPageObjectHelper(copies.back()), false);
    }
    for (size_t i = 0; i < copies.size(); ++i) {
        QPDFObjectHandle list = annotations[i];
        if (!list.isArray())
            continue;
        if (!list.isIndirect())
            list = from.makeIndirectObject(list);
        copies[i].replaceKey("/Annots", to.copyForeignObject(list));
    }
    return copies;
}
