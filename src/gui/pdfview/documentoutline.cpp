// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/documentoutline.h"

DocumentOutline::DocumentOutline(std::shared_ptr<const Pdf::Document> document)
    : m_document(std::move(document))
{
}

QList<OutlineSource::Entry> DocumentOutline::entries(const QList<int> &path)
{
    return m_document ? entriesOf(*m_document, path, -1) : QList<Entry>();
}
