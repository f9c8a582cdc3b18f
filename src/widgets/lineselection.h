// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>

class QModelIndex;
class TextList;

// Says when the user chooses a line of a list: a line selected by mouse (press or drag) or by
// keyboard, or a click on the line already selected. A mouse click that selects a new line is
// reported once, not once for the selection and again for the click. Lines put in or taken out with
// the list's signals blocked, and a current line that focus sets without selecting it, are not
// reported.
class LineSelection : public QObject
{
    Q_OBJECT

public:
    explicit LineSelection(TextList *list);

signals:
    void lineChosen(int row);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void takeSelection();
    void takeClick(const QModelIndex &index);

    TextList *m_list;
    // The line this press of the mouse has already reported through the selection.
    int m_reportedRow = -1;
};
