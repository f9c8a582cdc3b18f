// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/zoombox.h"

#include "core/layout/pagelayout.h"
#include "gui/pdfview/toolbarfields.h"

namespace
{
const int FitWidth = -1;
const int FitPage = -2;
} // namespace

ZoomBox::ZoomBox(QWidget *parent) : QComboBox(parent)
{
    setEditable(true);
    setLineEdit(new ZoomEntry(this));
    setInsertPolicy(QComboBox::NoInsert);
    for (const double level : PageLayout::ZoomLevels) {
        const int percent = qRound(level * 100);
        addItem(QStringLiteral("%1%").arg(percent), percent);
    }
    addItem(QStringLiteral("适合宽度"), FitWidth);
    addItem(QStringLiteral("适合页面"), FitPage);
    setMinimumContentsLength(6);
    connect(this, qOverload<int>(&QComboBox::activated), this, &ZoomBox::choose);
    connect(lineEdit(), &QLineEdit::returnPressed, this, &ZoomBox::takeTypedZoom);
    showZoom(1.0);
}

void ZoomBox::showZoom(double zoom)
{
    m_shown = zoom;
    setEditText(QStringLiteral("%1%").arg(qRound(zoom * 100)));
}

void ZoomBox::choose(int index)
{
    const int level = itemData(index).toInt();
    if (level == FitWidth)
        emit fitWidthChosen();
    else if (level == FitPage)
        emit fitPageChosen();
    else
        emit zoomChosen(level / 100.0);
}

void ZoomBox::takeTypedZoom()
{
    QString text = currentText().trimmed();
    if (text.endsWith(QLatin1Char('%')))
        text.chop(1);
    bool ok = false;
    const double percent = text.trimmed().toDouble(&ok);
    if (ok && percent > 0)
        emit zoomChosen(PageLayout::clampZoom(percent / 100.0));
    else
        showZoom(m_shown);
}
