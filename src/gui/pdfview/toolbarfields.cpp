// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/toolbarfields.h"

#include <QKeyEvent>

void FindField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        return emit closeRequested();
    QLineEdit::keyPressEvent(event);
}
