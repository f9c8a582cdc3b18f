// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class QPrinter;
class QWidget;

// The modal dialogs of the program. Windows ask through this interface, so tests can answer in
// place of the user.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    // A message box titled "提示" with `text`, no icon and a single OK button.
    virtual void showMessage(QWidget *owner, const QString &text) = 0;

    // The file chosen in a file-open dialog, or an empty string when the user cancelled.
    // `filter` is one filter, its description followed by its patterns in parentheses, such as
    // "PDF文件(*.pdf)"; patterns match in any letter case. `initialFolder` may be empty, a
    // folder or a file, whose folder the dialog then starts in.
    virtual QString chooseFile(QWidget *owner, const QString &title, const QString &initialFolder,
                               const QString &filter) = 0;

    // The file chosen in a file-save dialog, or an empty string when the user cancelled. The
    // dialog starts at `suggestedPath` (its folder and its name) and asks before a file chosen is
    // overwritten; `filter` is as chooseFile takes it.
    virtual QString chooseSaveFile(QWidget *owner, const QString &title,
                                   const QString &suggestedPath, const QString &filter) = 0;

    // The files chosen in a file-open dialog that takes several, in the order the dialog gives
    // them; empty when the user cancelled. `filter` and `initialFolder` as for chooseFile.
    virtual QStringList chooseFiles(QWidget *owner, const QString &title,
                                    const QString &initialFolder, const QString &filter) = 0;

    // The folder chosen in a folder chooser, or an empty string when the user cancelled.
    virtual QString chooseFolder(QWidget *owner) = 0;

    // The printer dialog for a document of `pageCount` pages: true when the user chose to print,
    // `printer` then set up as chosen, its print range included: every page, a page range or
    // the current page.
    virtual bool setUpPrinter(QWidget *owner, QPrinter &printer, int pageCount) = 0;

    // The password of the locked document `fileName`, with `problem` said above the question
    // when not empty (the one given before was wrong); false when the user cancelled.
    virtual bool askPassword(QWidget *owner, const QString &fileName, QString &password,
                             const QString &problem) = 0;

    // A line of text asked for under `question`, `text` given as the answer to start from; false
    // when the user cancelled.
    virtual bool askText(QWidget *owner, const QString &question, QString &text) = 0;

    // A question titled "提示" with the buttons "是" and "否": true for 是.
    virtual bool askYesNo(QWidget *owner, const QString &question) = 0;
};
