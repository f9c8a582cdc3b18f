// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/bookmarks/bookmarkcommands.h"

#include "core/document/documentsession.h"
#include "gui/bookmarks/form3.h"
#include "gui/bookmarks/form4.h"
#include "gui/bookmarks/pagecapture.h"
#include "gui/pdfview/pdfview.h"
#include "widgets/controls.h"

BookmarkCommands::BookmarkCommands(QWidget &reader, PdfView &view, DocumentSession &session,
                                   Dialogs &dialogs)
    : m_reader(&reader), m_view(view), m_session(session), m_dialogs(dialogs)
{
}

void BookmarkCommands::addBookmark()
{
    if (!m_reader)
        return;
    Module1::CapturePage(*m_reader, m_view);
    // Closing the reader window during the capture's wait ends the program: no dialog then.
    if (!m_reader || !m_reader->isVisible() || m_session.documentPath().isEmpty() ||
        Module1::CurrentPage == 0)
        return;
    // A dialog closed a moment ago waits for its deletion: it is not brought back.
    if (m_form3 && m_form3->isVisible()) {
        Controls::bringForward(m_form3);
    } else {
        m_form3 = new Form3(m_reader, m_session, m_dialogs);
        m_form3->Form_Load();
    }
    m_form3->rememberCapturedDocument();
}

void BookmarkCommands::organiseBookmarks()
{
    if (!m_reader || m_session.documentPath().isEmpty())
        return;
    if (m_form4 && m_form4->isVisible()) {
        Controls::bringForward(m_form4);
        return;
    }
    m_form4 = new Form4(m_reader, m_session, m_dialogs);
    m_form4->Form_Load();
}
