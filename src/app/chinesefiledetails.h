// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIdentityProxyModel>

class QFileDialog;

// The file dialog's sizes, types and dates written in Chinese. Qt's file list formats sizes and
// dates in the locale of the environment, read once at start, and names a folder in English; the
// program speaks Chinese whatever the environment's locale.
// Sorting stays the list's own, by the values themselves.
class ChineseFileDetails : public QIdentityProxyModel
{
    Q_OBJECT

public:
    using QIdentityProxyModel::QIdentityProxyModel;

    QVariant data(const QModelIndex &index, int role) const override;

    // Puts the details of `dialog`'s list in Chinese; a dialog without Qt's own list is left as
    // it is.
    static void showIn(QFileDialog &dialog);
};
