// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/bookmarks/bookmarkdialogs.h"

#include <QDialog>
#include <QKeyEvent>
#include <QPushButton>
#include <QScreen>

void BookmarkDialogs::centreOnScreen(QDialog &dialog)
{
    const QScreen *screen = dialog.screen();
    if (!screen)
        return;
    // The frame is known once the dialog is shown; before that it counts as none.
    QRect place(QPoint(0, 0), dialog.frameGeometry().size());
    place.moveCenter(screen->geometry().center());
    dialog.move(place.topLeft());
}

QString BookmarkDialogs::writeFailureMessage()
{
    return QStringLiteral("无法写入书签文件，书签未保存！");
}

bool BookmarkDialogs::cancelOnEscape(QKeyEvent *event, QPushButton *cancel)
{
    if (!event->matches(QKeySequence::Cancel))
        return false;
    cancel->click();
    return true;
}
