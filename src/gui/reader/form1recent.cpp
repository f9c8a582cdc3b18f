// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/form1.h"

#include "core/document/documentkind.h"
#include "core/state/recentdocuments.h"
#include "services/dialogs.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>

namespace
{

// "&1 name" to "&9 name", then "1&0 name", as desktop readers number their lists; an "&" of the
// name stays a character. The folder follows in a column of its own: two documents of one name
// are told apart.
QString numberedName(int number, const QString &path)
{
    QString name = Module1::DocumentFileName(path);
    name.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const QString digits = QString::number(number);
    return digits.left(digits.size() - 1) + '&' + digits.right(1) + ' ' + name + '\t' +
           QDir::toNativeSeparators(QFileInfo(path).path());
}

} // namespace

// Filled again whenever the list changes, so it is right when it drops down; the actions go
// later, since one of them may be the one being handled.
void Form1::fillRecentMenu()
{
    const QList<QAction *> old = 最近打开->actions();
    for (QAction *action : old) {
        最近打开->removeAction(action);
        action->deleteLater();
    }
    const QStringList paths =
        m_services.recentDocuments ? m_services.recentDocuments->paths() : QStringList();
    for (int row = 0; row < paths.size(); ++row) {
        const QString path = paths.at(row);
        QAction *action = 最近打开->addAction(numberedName(row + 1, path));
        action->setToolTip(path);
        action->setStatusTip(path);
        connect(action, &QAction::triggered, this, [this, path] { openRecent(path); });
    }
    最近打开->setEnabled(!paths.isEmpty());
}

void Form1::openRecent(const QString &path)
{
    if (QFileInfo(path).isFile()) {
        openChosen(path);
        return;
    }
    m_services.dialogs->showMessage(this, QStringLiteral("文件“%1”已不存在，已从最近打开中移除")
                                              .arg(Module1::DocumentFileName(path)));
    m_services.recentDocuments->forget(path);
}
