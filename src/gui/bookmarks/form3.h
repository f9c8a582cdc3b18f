#pragma once

#include <QDialog>

class Form1;
class QLabel;
class QLineEdit;
class QPushButton;

// The add-bookmark dialog "添加书签": asks for a name and, on OK, records a bookmark for the
// page last captured (CurrentPage, read at the moment OK is clicked) in the bookmark file of the
// document, and chapter, that page was captured in. The reader window's bookmark lists gain it
// only while they still show that document and chapter: the page of one document never becomes
// a bookmark of another.
// Not modal; it deletes itself when closed, so it opens again with an empty name.
class Form3 : public QDialog
{
    Q_OBJECT

public:
    explicit Form3(Form1 &reader);

    // Shows the dialog in the middle of the screen, in front, the name box focused.
    void Form_Load();
    // Takes the document and chapter the reader window shows now as those of the page just
    // captured; the reader window calls it after every capture that found a page.
    void rememberCapturedDocument();

    QLabel *Label1 = nullptr;
    QLineEdit *Text1 = nullptr;      // the name, at most 30 characters
    QPushButton *Command1 = nullptr; // OK
    QPushButton *Command3 = nullptr; // Cancel

private:
    void createControls();
    void connectSignals();
    void Command1_Click();
    bool recordBookmark(const QString &name, const QString &entryText);
    bool showsCapturedDocument() const;
    void showBookmarksTab();

    Form1 &m_reader;
    // Where the captured page was shown: the document path, and in a book the chapter's row
    // (-1 when none was chosen) and its text in the contents list.
    QString m_documentPath;
    int m_chapter = -1;
    QString m_chapterText;
};
