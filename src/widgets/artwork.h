// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPixmap>
#include <QSize>
#include <QString>

// The program's own pictures, drawn as SVG and compiled into the program. A picture is named
// without folder or ending, such as "close-cross".
namespace Artwork
{

// The picture drawn at `size` (stretched to it); at its own size when `size` is empty.
QPixmap pixmap(const QString &name, QSize size = QSize());
QIcon icon(const QString &name);
// The picture's SVG text, as stored.
QByteArray source(const QString &name);

} // namespace Artwork
