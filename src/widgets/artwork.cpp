// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/artwork.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

// The resources live in a static library: nothing would pull them into the program unless
// something refers to them. The macro cannot stand inside a namespace.
static void initQuillmoorResources()
{
    Q_INIT_RESOURCE(quillmoor);
}

namespace
{

void loadResources()
{
    static const bool loaded = (initQuillmoorResources(), true);
    Q_UNUSED(loaded);
}

QString resourcePath(const QString &name)
{
    return QStringLiteral(":/images/%1.svg").arg(name);
}

} // namespace

QByteArray Artwork::source(const QString &name)
{
    loadResources();
    QFile file(resourcePath(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QPixmap Artwork::pixmap(const QString &name, QSize size)
{
    QSvgRenderer renderer(source(name));
    if (!renderer.isValid())
        return QPixmap();
    const QSize target = size.isEmpty() ? renderer.defaultSize() : size;
    QPixmap picture(target);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    renderer.render(&painter);
    return picture;
}

QIcon Artwork::icon(const QString &name)
{
    QIcon result;
    const QPixmap own = pixmap(name);
    result.addPixmap(own);
    result.addPixmap(pixmap(name, own.size() * 2));
    return result;
}
