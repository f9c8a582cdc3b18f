// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLabel>

// A label that takes clicks: the transparent labels that lie over pictures and make them
// buttons, and the link labels. Any mouse button presses and releases it; a click is a release
// of the left button over the label.
class ClickLabel : public QLabel
{
    Q_OBJECT

public:
    explicit ClickLabel(QWidget *parent = nullptr);

signals:
    void pressed();
    void released();
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
