// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "widgets/clicklabel.h"

#include <QList>
#include <QPair>

// A caption of which only the top rows show, something lying over the rest of it (the tab
// captions above the side lists). A QLabel places its line by the font's ascent, which in a CJK
// font leaves the characters' foot under whatever lies below; this one is drawn whole in the rows
// that show, ending on the last of them.
class FittedCaption : public ClickLabel
{
    Q_OBJECT

public:
    explicit FittedCaption(QWidget *parent = nullptr);

    // Shows each text on its caption within the rows above the row `bottom` of their parent, in
    // one font size and on one baseline, so captions side by side match: the largest size up to
    // their own at which every text fits.
    static void fitAbove(const QList<QPair<FittedCaption *, QString>> &captions, int bottom);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_baseline = 0;
};
