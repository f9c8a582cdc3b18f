#include "bookmarks/bookmarkdialogs.h"

#include "reader/form1.h"
#include "reader/sidelist.h"

#include <QDialog>
#include <QListWidget>
#include <QScreen>
#include <QSignalBlocker>

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

int BookmarkDialogs::selectedRow(const QListWidget &list)
{
    const QList<QListWidgetItem *> selected = list.selectedItems();
    return selected.isEmpty() ? -1 : list.row(selected.first());
}

void BookmarkDialogs::clearBookmarkLists(Form1 &reader)
{
    const QSignalBlocker entryBlocker(reader.List3);
    const QSignalBlocker nameBlocker(reader.List4);
    reader.List3->clear();
    reader.List4->clear();
}

QString BookmarkDialogs::writeFailureMessage()
{
    return QStringLiteral("无法写入书签文件，书签未保存！");
}
