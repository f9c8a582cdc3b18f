// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/form1.h"

#include <QFrame>

namespace
{

void setPressedLook(QFrame *button)
{
    button->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    button->setLineWidth(1);
}

void setNormalLook(QFrame *button)
{
    button->setFrameStyle(QFrame::NoFrame);
}

} // namespace

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
    setNormalLook(Picture4);
    emit addBookmarkRequested();
}

void Form1::OrganiseBookmarks()
{
    setNormalLook(Picture5);
    emit organiseBookmarksRequested();
}
