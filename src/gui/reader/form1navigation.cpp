// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/form1.h"

#include "core/book/contentsindex.h"
#include "core/document/documentsession.h"
#include "gui/pdfview/pdfview.h"
#include "pdf/opening.h"
#include "widgets/fittedcaption.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QFileInfo>
#include <QLineEdit>

namespace
{

// The row of the chapter of `contents` whose own file `file` names, or -1.
int chapterOfFile(const BookContents &contents, const QString &file)
{
    const QString name = QFileInfo(file).fileName();
    for (int row = 0; row < contents.lines.size(); ++row) {
        if (ContentsIndex::chapterFileName(contents.lines.at(row).name()) == name)
            return row;
    }
    return -1;
}

// The page (from 1) and top that the named destination `name` of the chapter of `line` leads
// to; the chapter's first page when it has no such name.
std::pair<int, double> placeOfName(const QString &bookPath, const ContentsIndex::Line &line,
                                   const QString &name)
{
    const std::unique_ptr<Pdf::Document> chapter =
        Pdf::openRange(bookPath, line.start - 1, line.length);
    const Pdf::Destination found = chapter ? chapter->destination(name) : Pdf::Destination();
    return found.page < 0 ? std::make_pair(1, -1.0) : std::make_pair(found.page + 1, found.top);
}

} // namespace

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
    const QList<Module1::BookmarkEntry> &entries = m_session.bookmarks().entries();
    if (row < 0 || row >= entries.size())
        return;
    bool isNumber = false;
    const short page = Module1::BookmarkPageText(entries.at(row).entryText).toShort(&isNumber);
    if (isNumber)
        m_session.navigator().goTo(ReadingPlace{m_session.chapter(), page, -1});
}

// In a book, a link into another chapter's own file, as the chapters of a book split from one
// PDF link to each other, leads to that chapter at the link's place: a jump like any other.
void Form1::followFileLink(const QString &file, const QString &destination, int page, double top)
{
    if (m_session.kind() != DocumentKind::Book)
        return;
    const BookContents &contents = m_session.contents();
    const int row = chapterOfFile(contents, file);
    if (row < 0)
        return PDF1->showNotice(QStringLiteral("链接指向的章节不在此书中"));
    if (!destination.isEmpty())
        std::tie(page, top) =
            placeOfName(m_session.documentPath(), contents.lines.at(row), destination);
    m_session.navigator().goTo(ReadingPlace{row, page, top});
}
