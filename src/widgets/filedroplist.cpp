// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/filedroplist.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

namespace
{

QStringList localPaths(const QMimeData *data)
{
    QStringList paths;
    if (!data || !data->hasUrls())
        return paths;
    const QList<QUrl> urls = data->urls();
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths.append(url.toLocalFile());
    }
    return paths;
}

} // namespace

FileDropList::FileDropList(QWidget *parent) : QListWidget(parent)
{
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
}

void FileDropList::dragEnterEvent(QDragEnterEvent *event)
{
    if (localPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileDropList::dragMoveEvent(QDragMoveEvent *event)
{
    if (localPaths(event->mimeData()).isEmpty())
        event->ignore();
    else
        event->acceptProposedAction();
}

void FileDropList::dropEvent(QDropEvent *event)
{
    const QStringList paths = localPaths(event->mimeData());
    if (paths.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit pathsDropped(paths);
}
