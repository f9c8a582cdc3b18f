#pragma once

#include <QDialog>

class Form1;
class QLabel;
class QLineEdit;
class QPushButton;

// The add-bookmark dialog "添加书签": asks for a name and, on OK, records a bookmark for the
// page last captured (CurrentPage, read at the moment OK is clicked) in the bookmark file of the
// document the reader window shows at that moment, and at the end of its bookmark lists.
// Not modal; it deletes itself when closed, so it opens again with an empty name.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    explicit Form3(Form1 &reader);

    // Shows the dialog in the middle of the screen, in front, the name box focused.
    void Form_Load();

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;      // the name, at most 30 characters
    QPushButton *Command1 = nullptr; // OK
    QPushButton *Command3 = nullptr; // Cancel

private:
    void createControls();
    void connectSignals();
    void Command1_Click();
    bool recordBookmark(const QString &name, const QString &entryText);
    void showBookmarksTab();

    Form1 &m_reader;
};
