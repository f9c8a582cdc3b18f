// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QComboBox>

// An editable list of zoom levels and the two fitting modes. It always shows the zoom the pages
// are drawn at as "N%"; a typed level is held to 50% to 400%, text that is no level is put back.
class ZoomBox : public QComboBox
{
    Q_OBJECT

public:
    explicit ZoomBox(QWidget *parent = nullptr);
    void showZoom(double zoom);

signals:
    void zoomChosen(double zoom);
    void fitWidthChosen();
    void fitPageChosen();

private:
    void choose(int index);
    void takeTypedZoom();

    double m_shown = 1.0;
};
