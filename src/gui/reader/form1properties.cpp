// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/contentsindex.h"
#include "core/document/documentsession.h"
#include "gui/pdfview/pdfview.h"
#include "gui/reader/documentproperties.h"
#include "gui/reader/form1.h"

#include <QFileInfo>

void Form1::showProperties()
{
    if (!fillProperties())
        return;
    m_properties->raise();
    m_properties->activateWindow();
}

// The document let go stops its jobs, the properties asked of it among them: the dialog would
// say it could not be read. It follows without taking the keyboard from the pages.
void Form1::followShownDocument()
{
    if (m_properties && m_properties->isVisible() && !fillProperties())
        m_properties->close();
}

// A chapter's size is its length in the book: it is read in place, never as a file of its own.
bool Form1::fillProperties()
{
    ShownDocument shown;
    shown.opener = PDF1->documentOpener();
    if (!shown.opener)
        return false;
    shown.pageSize = PDF1->currentPageSize();
    if (m_session.kind() == DocumentKind::Book) {
        const BookContents &book = m_session.contents();
        const ContentsIndex::Line line = book.lines.value(m_session.chapter());
        shown.fileSize = line.length;
        shown.chapterName = ContentsIndex::shownName(line.name());
        shown.chapterCount = int(book.lines.size());
        shown.bookSize = book.fileSize;
        shown.bookPath = m_session.documentPath();
        for (const ContentsIndex::Line &chapter : book.lines)
            shown.chapterRanges.append({qint64(chapter.start) - 1, qint64(chapter.length)});
    } else {
        shown.fileSize = QFileInfo(m_session.documentPath()).size();
    }
    if (!m_properties)
        m_properties = new DocumentProperties(this);
    m_properties->showFor(shown);
    return true;
}
