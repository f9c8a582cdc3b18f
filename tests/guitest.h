// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QStringList>
#include <QTest>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

// What the GUI tests share.
namespace GuiTest
{

inline QStringList texts(const QAbstractItemView *list)
{
    QStringList result;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        result << list->model()->index(row, 0).data().toString();
    return result;
}

// Every entry the tree holds, read or not opened, in its order: "name page|...".
inline QString entries(QTreeWidget *tree)
{
    QStringList result;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        result << (*it)->text(0) + " " + (*it)->text(1);
    return result.join('|');
}

// The entries of an outline tree once every level asked for has come (the tree's busy cursor
// gone), or "still reading".
inline QString readEntries(QTreeWidget *tree)
{
    const auto read = [tree] { return !tree->testAttribute(Qt::WA_SetCursor); };
    return QTest::qWaitFor(read, 10000) ? entries(tree) : QStringLiteral("still reading");
}

// Whether `band` of the PDF view's pages shows the current match's orange over white; the other
// matches' yellow over the edges of letters is not taken for it. Without a band, anywhere.
inline bool showsCurrentMatch(const QWidget *view, QRect band = QRect())
{
    QWidget *pages = view->findChild<QAbstractScrollArea *>("pages")->viewport();
    const QImage shown = pages->grab().toImage();
    band = band.isNull() ? shown.rect() : band;
    for (int row = band.top(); row <= band.bottom(); ++row) {
        for (int x = band.left(); x <= band.right(); ++x) {
            const QColor c = shown.valid(x, row) ? shown.pixelColor(x, row) : Qt::white;
            if (c.red() > 230 && c.green() > 185 && c.green() < 206 && c.blue() < 150)
                return true;
        }
    }
    return false;
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
