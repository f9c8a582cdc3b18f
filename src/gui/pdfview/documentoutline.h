// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gui/pdfview/outlinesource.h"
#include "pdf/document.h"

#include <memory>

// The outline of one document, read from it as the tree is opened, on the thread that shows it.
class DocumentOutline : public OutlineSource
{
public:
    explicit DocumentOutline(std::shared_ptr<const Pdf::Document> document);

    QList<Entry> entries(const QList<int> &path) override;

private:
    std::shared_ptr<const Pdf::Document> m_document;
};
