// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/shortcutswindow.h"

#include "gui/reader/keyboardshortcuts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{

QTreeWidget *shortcutTree(QWidget *parent)
{
    auto *tree = new QTreeWidget(parent);
    tree->setObjectName(QStringLiteral("shortcuts"));
    tree->setHeaderLabels({QStringLiteral("按键"), QStringLiteral("作用")});
    tree->setRootIsDecorated(false);
    tree->setSelectionMode(QAbstractItemView::NoSelection);
    QTreeWidgetItem *group = nullptr;
    for (const KeyboardShortcuts::Row &row : KeyboardShortcuts::rows()) {
        if (!group || group->text(0) != row.group) {
            group = new QTreeWidgetItem(tree, {row.group});
            group->setFirstColumnSpanned(true);
            QFont bold = group->font(0);
            bold.setBold(true);
            group->setFont(0, bold);
        }
        new QTreeWidgetItem(group, {row.keyText(), row.what});
    }
    tree->expandAll();
    tree->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    return tree;
}

} // namespace

ShortcutsWindow::ShortcutsWindow(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("shortcutsWindow"));
    setWindowTitle(QStringLiteral("键盘快捷键"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(shortcutTree(this));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    resize(480, 560);
}
