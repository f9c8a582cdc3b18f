// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/homepagelink.h"

#include "core/links/numbertext.h"
#include "core/links/weblinks.h"
#include "widgets/clicklabel.h"
#include "widgets/controls.h"

ClickLabel *HomePageLink::make(QWidget *parent, const QRect &twips)
{
    auto *label = Controls::make<ClickLabel>(parent, "Label20", twips);
    label->setCursor(Qt::PointingHandCursor);
    QFont arial(QStringLiteral("Arial"));
    arial.setPointSize(9);
    label->setFont(arial);
    QPalette navy = label->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(navy);
    return label;
}

void HomePageLink::showAddress(ClickLabel *label)
{
    label->setText(Module1::DecodeNumberText(NumberTexts::homePageText()));
    label->adjustSize();
}
