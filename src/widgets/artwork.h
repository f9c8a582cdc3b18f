// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

class QLabel;

// The program's own pictures, drawn as SVG and compiled into the program. A picture is named
// without folder or ending, such as "close-cross".
namespace Artwork
{

// The picture drawn at `size` (stretched to it); at its own size when `size` is empty.
QPixmap pixmap(const QString &name, QSize size = QSize());
QIcon icon(const QString &name);
// Gives `label` the picture the first time it shows: a picture on a panel that may never show,
// such as the start panel of a window opened with a document, costs nothing.
void drawWhenShown(QLabel *label, const QString &name, QSize size = QSize());
// The picture's SVG text, as stored.
QByteArray source(const QString &name);

} // namespace Artwork
