// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gui/pdfview/outlinesource.h"
#include "pdf/document.h"

#include <memory>

// The outline of one document, read from it as the tree is opened.
class DocumentOutline : public OutlineSource
{
public:
    explicit DocumentOutline(std::unique_ptr<Pdf::Document> document);

    QList<Entry> entries(const QList<int> &path) override;

private:
    std::unique_ptr<Pdf::Document> m_document;
};
