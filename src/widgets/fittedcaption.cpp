// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/fittedcaption.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QPainter>

namespace
{

// The rows the characters of every text take around their baseline.
QRect inkOf(const QList<QPair<FittedCaption *, QString>> &captions, const QFont &font)
{
    QRect ink;
    for (const auto &[caption, text] : captions)
        ink |= QFontMetrics(font).tightBoundingRect(text);
    return ink;
}

} // namespace

FittedCaption::FittedCaption(QWidget *parent) : ClickLabel(parent) {}

void FittedCaption::fitAbove(const QList<QPair<FittedCaption *, QString>> &captions, int bottom)
{
    if (captions.isEmpty())
        return;
    const int rows = bottom - captions.first().first->y();
    QFont font = captions.first().first->font();
    QRect ink;
    for (int size = QFontInfo(font).pixelSize(); size > 1; --size) {
        font.setPixelSize(size);
        ink = inkOf(captions, font);
        if (ink.height() <= rows)
            break;
    }
    for (const auto &[caption, text] : captions) {
        caption->setFont(font);
        caption->m_baseline = rows - 1 - ink.bottom();
        caption->setText(text);
    }
}

void FittedCaption::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
    painter.drawText(QPoint(0, m_baseline), text());
}
