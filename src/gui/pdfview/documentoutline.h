// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gui/pdfview/outlinesource.h"
#include "pdf/document.h"

#include <memory>
#include <mutex>

// The outline of one document, read from a document of its own that `opener` makes at the
// first level asked for: the thread that reads it is not the one that shows the pages. Stopped,
// it ends every job on the document's bytes, as the view does when it lets the document go.
class DocumentOutline : public OutlineSource
{
public:
    explicit DocumentOutline(Pdf::Document::Opener opener);

    QList<Entry> entries(const QList<int> &path) override;
    void stop() override;

private:
    bool opened();

    Pdf::Document::Opener m_opener; // used once, on the reading thread
    std::mutex m_mutex;             // m_document and m_stopped, against stop()
    std::shared_ptr<Pdf::Document> m_document;
    bool m_stopped = false;
};
