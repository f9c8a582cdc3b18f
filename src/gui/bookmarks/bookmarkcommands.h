// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QPointer>

class Dialogs;
class DocumentSession;
class Form3;
class Form4;
class PdfView;
class QWidget;

// The reader window's two bookmark commands: a bookmark for the page shown, and the bookmark file
// organised by hand. One dialog of each kind at a time; a dialog already open comes forward with
// what was typed into it.
class BookmarkCommands : public QObject
{
    Q_OBJECT

public:
    // Everything given must outlive the commands; the dialogs open over `reader`.
    BookmarkCommands(QWidget &reader, PdfView &view, DocumentSession &session, Dialogs &dialogs);

    // Captures the page shown and, when a document is open and a page was found, shows the
    // add-bookmark dialog for it.
    void addBookmark();
    // Shows the organise-bookmarks dialog when a document is open.
    void organiseBookmarks();

private:
    QPointer<QWidget> m_reader;
    PdfView &m_view;
    DocumentSession &m_session;
    Dialogs &m_dialogs;
    QPointer<Form3> m_form3;
    QPointer<Form4> m_form4;
};
