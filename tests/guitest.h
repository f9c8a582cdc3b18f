#pragma once

#include "core/text/gbkcodec.h"

#include <QListWidget>
#include <QStringList>

// What the GUI tests share.
namespace GuiTest {

inline QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

inline QByteArray gbk(const QString &text)
{
    return Gbk::encode(text);
}

} // namespace GuiTest
