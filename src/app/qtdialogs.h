// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "services/dialogs.h"

class QFileDialog;

// The dialogs as the user sees them, made with Qt's message box, file, print and input dialogs.
class QtDialogs : public Dialogs
{
public:
    void showMessage(QWidget *owner, const QString &text) override;
    QString chooseFile(QWidget *owner, const QString &title, const QString &initialFolder,
                       const QString &filter) override;
    QString chooseSaveFile(QWidget *owner, const QString &title, const QString &suggestedPath,
                           const QString &filter) override;
    QStringList chooseFiles(QWidget *owner, const QString &title, const QString &initialFolder,
                            const QString &filter) override;
    QString chooseFolder(QWidget *owner) override;
    bool setUpPrinter(QWidget *owner, QPrinter &printer, int pageCount) override;
    bool askPassword(QWidget *owner, const QString &fileName, QString &password,
                     const QString &problem) override;
    bool askText(QWidget *owner, const QString &question, QString &text) override;
    bool askYesNo(QWidget *owner, const QString &question) override;

    // `filter` with every pattern matching in any letter case: "*.pdf" becomes "*.[pP][dD][fF]".
    // The description, parentheses included, is kept for the user to read.
    static QString anyCaseFilter(const QString &filter);
    // Keeps the name column of `dialog`'s file list as wide as the longest name listed, up to
    // half the dialog's width, and the size column as wide as its sizes, each time a folder has
    // been read: Qt gives them fixed widths that cut long names and sizes.
    static void keepNameColumnFitted(QFileDialog &dialog);
    // The dialog in the folder `path` names, or in the folder of the file it names with that file
    // selected.
    static void startAt(QFileDialog &dialog, const QString &path);
};
