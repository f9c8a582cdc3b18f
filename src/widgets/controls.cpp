// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/controls.h"

#include "core/layout/twips.h"

#include <QFontMetrics>

void Controls::place(QWidget *widget, const QRect &twips)
{
    widget->setGeometry(Twips::toPixelRect(twips));
}

QLabel *Controls::picture(QWidget *parent, const char *name, const QPixmap &picture,
                          const QRect &twips, bool stretch)
{
    auto *label = make<QLabel>(parent, name, twips);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setScaledContents(stretch);
    label->setPixmap(picture);
    return label;
}

void Controls::setCaption(QLabel *label, const QString &text)
{
    label->setText(text);
    label->resize(label->size().expandedTo(label->sizeHint()));
}

void Controls::raiseToDesignLine(QLabel *label)
{
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QFontMetrics metrics(label->font());
    // The room between the top of the line and the top of a CJK character.
    const int room = qMax(0, metrics.ascent() + metrics.boundingRect(QChar(0x76EE)).top());
    label->setGeometry(label->geometry().adjusted(0, -room, 0, 0));
}

void Controls::bringForward(QWidget *window)
{
    window->show();
    window->raise();
    window->activateWindow();
}
