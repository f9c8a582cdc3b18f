// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/chinesefiledetails.h"

#include <QFileDialog>
#include <QFileSystemModel>

namespace
{

// The columns of Qt's file list.
constexpr int SizeColumn = 1;
constexpr int TypeColumn = 2;
constexpr int DateColumn = 3;

} // namespace

QVariant ChineseFileDetails::data(const QModelIndex &index, int role) const
{
    const auto *files = qobject_cast<const QFileSystemModel *>(sourceModel());
    if (role != Qt::DisplayRole || !files || index.column() < SizeColumn ||
        index.column() > DateColumn)
        return QIdentityProxyModel::data(index, role);
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QFileInfo file = files->fileInfo(mapToSource(index));
    // A file's type is its kind's description in the program's language; Qt's own word for a
    // folder has no translation.
    if (index.column() == TypeColumn)
        return file.isDir() ? QStringLiteral("文件夹") : QIdentityProxyModel::data(index, role);
    if (index.column() == DateColumn)
        return chinese.toString(file.lastModified(), QLocale::ShortFormat);
    // A folder has no size, as in the list's own column.
    return file.isDir() ? QString() : chinese.formattedDataSize(file.size());
}

void ChineseFileDetails::showIn(QFileDialog &dialog)
{
    if (!dialog.findChild<QFileSystemModel *>())
        return;
    dialog.setProxyModel(new ChineseFileDetails(&dialog));
}
