// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLineEdit>

class QLabel;

// The toolbar's edit boxes other than the page box. Page capture takes the first edit box it
// finds whose class name holds "Edit" for the page box, so these carry other names: a find field
// holding "12" must never become the page captured.
class ZoomEntry : public QLineEdit
{
    Q_OBJECT

public:
    using QLineEdit::QLineEdit;
};

// Escape closes the find, as it does in every reader. The count of matches shows inside the
// field at its right end, so that a count never widens the toolbar and pushes a control into its
// overflow.
class FindField : public QLineEdit
{
    Q_OBJECT

public:
    explicit FindField(QWidget *parent = nullptr);
    void setCount(const QString &count);
    QSize sizeHint() const override;

signals:
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void placeCount();

    QLabel *m_count;
};
