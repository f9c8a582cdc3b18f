// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "widgets/linelistmodel.h"

#include <QListView>

// A list of text lines held by a LineListModel: a side list, or a hidden list that only stores
// texts beside another one. Rows are all of one size, so a list of a million lines is laid out
// at once. One line at most is selected. Its own signals, which a QSignalBlocker on the list
// stops, say when the selection changes.
class TextList : public QListView
{
    Q_OBJECT

public:
    explicit TextList(QWidget *parent = nullptr);

    LineListModel &lines() { return m_lines; }
    const LineListModel &lines() const { return m_lines; }
    int count() const { return m_lines.rowCount(); }
    QString text(int row) const { return m_lines.text(row); }

    // The current line, -1 for none; setting it selects it, as a click does.
    int currentRow() const;
    void setCurrentRow(int row);
    // The row of the one line selected, -1 for none.
    int selectedRow() const;

signals:
    void selectedLineChanged();

protected:
    // The right button chooses no line: it opens the list's context menu, if any, and choosing a
    // line does something (a chapter shown).
    void mousePressEvent(QMouseEvent *event) override;
    void selectionChanged(const QItemSelection &selected,
                          const QItemSelection &deselected) override;

private:
    LineListModel m_lines;
};
