// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/form1.h"

#include "core/document/documentsession.h"
#include "widgets/fittedcaption.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QLineEdit>

// Every look the side panel takes is set here, so the header picture, the tab captions and the
// lists always agree.
void Form1::setSidePanelLook(SidePanelLook look, bool contentsListStays)
{
    const bool single = look == SidePanelLook::Single;
    const QLabel *header = single                            ? Picture3
                           : look == SidePanelLook::Contents ? Picture1
                                                             : Picture2;
    Image1->setPixmap(header->pixmap());
    Label9->setVisible(!single);
    Label10->setVisible(!single);
    Label1->setVisible(single);
    List1->setVisible(look == SidePanelLook::Contents ||
                      (look == SidePanelLook::Bookmarks && contentsListStays));
    List4->setVisible(look != SidePanelLook::Contents);
}

void Form1::ShowContentsTab()
{
    setSidePanelLook(SidePanelLook::Contents);
}

void Form1::ShowBookmarksTab()
{
    setSidePanelLook(SidePanelLook::Bookmarks);
    Module1::FitList(*List4);
}

void Form1::ShowChapter(int row)
{
    Picture7->hide();
    m_session.chooseChapter(row);
}

void Form1::GoToBookmark(int row)
{
    if (row < 0 || row >= List3->count())
        return;
    bool isNumber = false;
    const short page = Module1::BookmarkPageText(List3->text(row)).toShort(&isNumber);
    if (isNumber)
        m_session.goTo(ReadingPlace{m_session.chapter(), page, -1});
}
