// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QFont>

#include <functional>

// The lines of a list, read on demand from data held elsewhere: a list of a million lines keeps
// no item of its own for each. The function given holds what it reads (a shared copy of the
// session's entries, say), so the lines stay as they were shown until they are set again.
// Read only; one row may be drawn in a font of its own.
class LineListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    using TextOf = std::function<QString(int row)>;

    explicit LineListModel(QObject *parent = nullptr);

    // The list shows `count` lines, line i being textOf(i); the views start afresh.
    void setLines(int count, TextOf textOf);
    // The same, for lines that keep the first rows and add rows after them.
    void appendLines(int count, TextOf textOf);
    // `row` is drawn in `font`, every other line in the view's font; -1 for none.
    void setFontRow(int row, const QFont &font);
    int fontRow() const { return m_fontRow; }

    QString text(int row) const;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    int m_count = 0;
    TextOf m_textOf;
    int m_fontRow = -1;
    QFont m_font;
};
