// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>

// The keyboard shortcuts of the reader window, grouped, one line a row of KeyboardShortcuts.
// Shown beside the window, not modal: the reader may try the keys while it is open.
class ShortcutsWindow : public QDialog
{
    Q_OBJECT

public:
    explicit ShortcutsWindow(QWidget *parent);
};
