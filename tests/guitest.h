// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QListWidget>
#include <QStringList>
#include <QTest>

// What the GUI tests share.
namespace GuiTest
{

inline QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

// The control named `name` below `root`; a missing control ends the test program, as a window
// without its design's controls is broken for every test.
template <class T> T *child(const QObject *root, const char *name)
{
    T *found = root->findChild<T *>(QString::fromUtf8(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

} // namespace GuiTest
