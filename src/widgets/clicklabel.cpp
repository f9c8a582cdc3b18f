// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/clicklabel.h"

#include <QMouseEvent>

ClickLabel::ClickLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void ClickLabel::mousePressEvent(QMouseEvent *event)
{
    event->accept();
    emit pressed();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    emit released();
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
