// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/documentsession.h"

#include <QDialog>

class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;

// The add-bookmark dialog "添加书签": asks for a name and, on OK, records a bookmark for the
// page last captured (CurrentPage, read at the moment OK is clicked) in the bookmark file of the
// document, and chapter, that page was captured in (the session's rules decide where it goes and
// whether the lists show it).
// Not modal; it deletes itself when closed, so it opens again with an empty name.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    // `session` and `dialogs` must outlive the dialog.
    Form3(QWidget *reader, DocumentSession &session, Dialogs &dialogs);

    // Shows the dialog in the middle of the screen, in front, the name box focused.
    void Form_Load();
    // Takes the document and chapter shown now as those of the page just captured; called after
    // every capture that found a page.
    void rememberCapturedDocument();

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;      // the name, at most 30 characters
    QPushButton *Command1 = nullptr; // OK
    QPushButton *Command3 = nullptr; // Cancel

protected:
    // Escape presses Cancel; Enter presses OK, the default button.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void connectSignals();
    void Command1_Click();

    DocumentSession &m_session;
    Dialogs &m_dialogs;
    CapturedPlace m_captured;
};
