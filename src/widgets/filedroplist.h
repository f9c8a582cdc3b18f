// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QListWidget>
#include <QStringList>

// A list that takes files and folders dropped on it from a file manager and hands on their
// local paths, in the order they were dropped; it never moves its own items by dragging.
class FileDropList : public QListWidget
{
    Q_OBJECT

public:
    explicit FileDropList(QWidget *parent = nullptr);

signals:
    void pathsDropped(const QStringList &paths);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
