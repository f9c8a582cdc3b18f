// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>
#include <QStringList>

class Dialogs;
class DocumentSession;
class QPlainTextEdit;
class QPushButton;

// The organise-bookmarks dialog "整理书签": the bookmark file of the document open when it loads,
// as text to edit freely; Save writes it back whole, with ASCII square brackets made the
// full-width page brackets, and has the bookmark lists filled afresh from the file. Lines
// appended to the file while the dialog is open (bookmarks added meanwhile) are kept.
// Not modal; it deletes itself when closed, so it reads the file afresh when opened again.
class Form4 : public QDialog
{
    Q_OBJECT

public:
    // `session` and `dialogs` must outlive the dialog.
    Form4(QWidget *reader, DocumentSession &session, Dialogs &dialogs);

    // Centres the dialog, takes the bookmark file of the document shown now and shows its lines.
    void Form_Load();

    // The bookmark file the dialog reads and saves; empty for a document that has none.
    QString BookmarkPath() const;

    QPushButton *Command1 = nullptr; // Save
    QPlainTextEdit *Text1 = nullptr;
    QPushButton *Command2 = nullptr; // Cancel

protected:
    // Escape presses Cancel.
    void keyPressEvent(QKeyEvent *event) override;

private:
    void createControls();
    void connectSignals();
    void Command1_Click();

    DocumentSession &m_session;
    Dialogs &m_dialogs;
    // The document whose bookmark file was loaded, and the file's lines as loaded.
    QString m_documentPath;
    QStringList m_loadedLines;
};
