// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookgenerator.h"

#include <QList>
#include <QString>

class QListWidget;

// The source list of a book held in two companion lists: the chapter names in the visible list
// and the source paths in the hidden one, item for item. Only the name list's selection counts.
// Every change goes through here, so the two lists always have the same length.
class SourceList
{
public:
    // List positions are 16-bit signed values: adding stops at this many entries.
    static constexpr int MaxEntries = 32767;

    SourceList(QListWidget *names, QListWidget *paths);

    int count() const;
    // False, and nothing added, when the list is full.
    bool append(const QString &name, const QString &path);
    // Each does nothing without a selection. Deleting leaves nothing selected; moving keeps the
    // moved entry selected, and does nothing at the list's first or last entry.
    void removeSelected();
    void moveSelectedUp();
    void moveSelectedDown();
    void clear();

    QList<SourceEntry> entries() const;

private:
    int selectedRow() const;
    void swapRows(int row, int other);

    QListWidget *m_names;
    QListWidget *m_paths;
};
