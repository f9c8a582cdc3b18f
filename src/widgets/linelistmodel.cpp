// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/linelistmodel.h"

LineListModel::LineListModel(QObject *parent) : QAbstractListModel(parent) {}

void LineListModel::setLines(int count, TextOf textOf)
{
    beginResetModel();
    m_count = qMax(count, 0);
    m_textOf = std::move(textOf);
    m_fontRow = -1;
    endResetModel();
}

void LineListModel::appendLines(int count, TextOf textOf)
{
    if (count <= m_count) {
        setLines(count, std::move(textOf));
        return;
    }
    beginInsertRows(QModelIndex(), m_count, count - 1);
    m_count = count;
    m_textOf = std::move(textOf);
    endInsertRows();
}

void LineListModel::setFontRow(int row, const QFont &font)
{
    const int before = m_fontRow;
    m_fontRow = row >= 0 && row < m_count ? row : -1;
    m_font = font;
    for (const int changed : {before, m_fontRow}) {
        if (changed >= 0)
            emit dataChanged(index(changed), index(changed), {Qt::FontRole});
    }
}

QString LineListModel::text(int row) const
{
    return row >= 0 && row < m_count ? m_textOf(row) : QString();
}

int LineListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_count;
}

QVariant LineListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_count)
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_textOf(index.row());
    if (role == Qt::FontRole && index.row() == m_fontRow)
        return m_font;
    return QVariant();
}
