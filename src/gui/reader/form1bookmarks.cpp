// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/form1.h"

#include <QFrame>

// The sunken border lies just outside the button: on the button it would cross the icons.
void Form1::setPressedLook(QFrame *button)
{
    m_pressedBorder->setGeometry(button->geometry().adjusted(-1, -1, 1, 1));
    m_pressedBorder->stackUnder(button);
    m_pressedBorder->show();
}

void Form1::setNormalLook()
{
    m_pressedBorder->hide();
}

void Form1::PressAddBookmarkButton()
{
    setPressedLook(Picture4);
}

void Form1::PressOrganiseButton()
{
    setPressedLook(Picture5);
}

void Form1::AddBookmark()
{
    setNormalLook();
    emit addBookmarkRequested();
}

void Form1::OrganiseBookmarks()
{
    setNormalLook();
    emit organiseBookmarksRequested();
}
