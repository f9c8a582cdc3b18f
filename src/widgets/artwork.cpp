// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/artwork.h"

#include <QEvent>
#include <QFile>
#include <QLabel>
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

// Watches a label until it first shows, then gives it its picture and goes.
class PictureWhenShown : public QObject
{
public:
    PictureWhenShown(QLabel *label, const QString &name, QSize size)
        : QObject(label), m_name(name), m_size(size)
    {
        label->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            static_cast<QLabel *>(watched)->setPixmap(Artwork::pixmap(m_name, m_size));
            watched->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QString m_name;
    QSize m_size;
};

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

void Artwork::drawWhenShown(QLabel *label, const QString &name, QSize size)
{
    new PictureWhenShown(label, name, size);
}
