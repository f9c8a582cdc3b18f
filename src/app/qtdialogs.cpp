// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/qtdialogs.h"

#include "app/chinesefiledetails.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeView>

namespace
{

QString anyCasePattern(const QString &pattern)
{
    QString result;
    for (const QChar c : pattern) {
        if (c.toLower() != c.toUpper())
            result += QLatin1Char('[') + c.toLower() + c.toUpper() + QLatin1Char(']');
        else
            result += c;
    }
    return result;
}

void fitNameColumn(QFileDialog &dialog)
{
    auto *list = dialog.findChild<QTreeView *>(QStringLiteral("treeView"));
    if (!list)
        return;
    list->resizeColumnToContents(0);
    list->header()->resizeSection(0, qMin(list->header()->sectionSize(0), dialog.width() / 2));
    // Sizes written in full: "13.5 KiB", not "13…iB".
    list->resizeColumnToContents(1);
}

// The path the user chose in `dialog`, empty when none was.
QString chosenPath(QFileDialog &dialog)
{
    QtDialogs::keepNameColumnFitted(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

void QtDialogs::showMessage(QWidget *owner, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("提示"), text, QMessageBox::Ok, owner);
    box.exec();
}

QString QtDialogs::chooseFile(QWidget *owner, const QString &title, const QString &initialFolder,
                              const QString &filter)
{
    // The file list of the dialog matches patterns case-sensitively on this platform, where the
    // patterns were meant to match any case. The dialog shows the description only, which still
    // names the patterns as given.
    QFileDialog dialog(owner, title, QString(), anyCaseFilter(filter));
    ChineseFileDetails::showIn(dialog);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    startAt(dialog, initialFolder);
    return chosenPath(dialog);
}

// The desktop's own dialog, handed a file's path for its folder, starts where it was last left
// (GTK's does): it is given the folder, and the file to select.
void QtDialogs::startAt(QFileDialog &dialog, const QString &path)
{
    const QFileInfo named(path);
    if (!named.isFile()) {
        dialog.setDirectory(path);
        return;
    }
    dialog.setDirectory(named.absolutePath());
    dialog.selectFile(named.absoluteFilePath());
}

QStringList QtDialogs::chooseFiles(QWidget *owner, const QString &title,
                                   const QString &initialFolder, const QString &filter)
{
    QFileDialog dialog(owner, title, initialFolder, anyCaseFilter(filter));
    ChineseFileDetails::showIn(dialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    keepNameColumnFitted(dialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

// Not the static QFileDialog::getSaveFileName: made as the open dialog is, its name column stays
// fitted. It asks before overwriting all the same. The patterns stay as given: in this mode the
// dialog puts the suffix of the filter chosen on the name, and one made for any case would be
// put there letter by letter.
QString QtDialogs::chooseSaveFile(QWidget *owner, const QString &title,
                                  const QString &suggestedPath, const QString &filter)
{
    QFileDialog dialog(owner, title, suggestedPath, filter);
    ChineseFileDetails::showIn(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return chosenPath(dialog);
}

QString QtDialogs::chooseFolder(QWidget *owner)
{
    QFileDialog dialog(owner);
    ChineseFileDetails::showIn(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    return chosenPath(dialog);
}

bool QtDialogs::setUpPrinter(QWidget *owner, QPrinter &printer, int pageCount)
{
    QPrintDialog dialog(&printer, owner);
    dialog.setWindowTitle(QStringLiteral("打印"));
    dialog.setMinMax(1, pageCount);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage);
    return dialog.exec() == QDialog::Accepted;
}

bool QtDialogs::askPassword(QWidget *owner, const QString &fileName, QString &password,
                            const QString &problem)
{
    bool ok = false;
    QString question =
        QStringLiteral("“%1”受密码保护，请输入密码：").arg(QFileInfo(fileName).fileName());
    if (!problem.isEmpty())
        question.prepend(problem + QLatin1Char('\n'));
    password = QInputDialog::getText(owner, QStringLiteral("需要密码"), question,
                                     QLineEdit::Password, QString(), &ok);
    return ok;
}

bool QtDialogs::askText(QWidget *owner, const QString &question, QString &text)
{
    QInputDialog dialog(owner);
    dialog.setWindowTitle(QStringLiteral("提示"));
    dialog.setLabelText(question);
    dialog.setTextValue(text);
    dialog.setOkButtonText(QStringLiteral("确定"));
    dialog.setCancelButtonText(QStringLiteral("取消"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    text = dialog.textValue();
    return true;
}

bool QtDialogs::askYesNo(QWidget *owner, const QString &question)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("提示"), question, QMessageBox::NoButton,
                    owner);
    QPushButton *yes = box.addButton(QStringLiteral("是"), QMessageBox::YesRole);
    box.addButton(QStringLiteral("否"), QMessageBox::NoRole);
    box.exec();
    return box.clickedButton() == yes;
}

QString QtDialogs::anyCaseFilter(const QString &filter)
{
    static const QRegularExpression patternsAtEnd(QStringLiteral("\\(([^()]*)\\)\\s*$"));
    const QRegularExpressionMatch match = patternsAtEnd.match(filter);
    if (!match.hasMatch())
        return filter;
    QStringList patterns;
    const QStringList given =
        match.captured(1).split(QRegularExpression(QStringLiteral("[\\s;]+")), Qt::SkipEmptyParts);
    for (const QString &pattern : given)
        patterns << anyCasePattern(pattern);
    return filter + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

void QtDialogs::keepNameColumnFitted(QFileDialog &dialog)
{
    auto *files = dialog.findChild<QFileSystemModel *>();
    if (files)
        QObject::connect(files, &QFileSystemModel::directoryLoaded, &dialog,
                         [&dialog] { fitNameColumn(dialog); });
}
