// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/maker/sourcelist.h"

#include <QListWidget>

namespace
{

void swapTexts(QListWidget *list, int row, int other)
{
    QListWidgetItem *first = list->item(row);
    QListWidgetItem *second = list->item(other);
    const QString text = first->text();
    first->setText(second->text());
    second->setText(text);
}

} // namespace

SourceList::SourceList(QListWidget *names, QListWidget *paths) : m_names(names), m_paths(paths) {}

int SourceList::count() const
{
    return m_names->count();
}

bool SourceList::append(const QString &name, const QString &path)
{
    if (count() >= MaxEntries)
        return false;
    m_paths->addItem(path);
    m_names->addItem(name);
    return true;
}

void SourceList::removeSelected()
{
    const int row = selectedRow();
    if (row < 0)
        return;
    delete m_paths->takeItem(row);
    delete m_names->takeItem(row);
    m_names->clearSelection();
    m_names->setCurrentRow(-1);
}

void SourceList::moveSelectedUp()
{
    const int row = selectedRow();
    if (row > 0)
        swapRows(row, row - 1);
}

void SourceList::moveSelectedDown()
{
    const int row = selectedRow();
    if (row >= 0 && row < count() - 1)
        swapRows(row, row + 1);
}

void SourceList::clear()
{
    m_names->clear();
    m_paths->clear();
}

QList<SourceEntry> SourceList::entries() const
{
    QList<SourceEntry> entries;
    for (int row = 0; row < count(); ++row)
        entries.append({m_names->item(row)->text(), m_paths->item(row)->text()});
    return entries;
}

int SourceList::selectedRow() const
{
    const QList<QListWidgetItem *> selected = m_names->selectedItems();
    return selected.isEmpty() ? -1 : m_names->row(selected.constFirst());
}

// The moved entry goes with the selection.
void SourceList::swapRows(int row, int other)
{
    swapTexts(m_names, row, other);
    swapTexts(m_paths, row, other);
    m_names->setCurrentRow(other);
}
