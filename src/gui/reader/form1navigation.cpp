#include "gui/reader/form1.h"

#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"
#include "core/bookmarks/bookmarkfile.h"
#include "gui/bookmarks/bookmarklists.h"
#include "gui/pdfview/pdfview.h"
#include "widgets/clicklabel.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QFile>
#include <QLineEdit>

void Form1::SetSingleLook()
{
    Image1->setPixmap(Picture3->pixmap());
    Label9->hide();
    Label10->hide();
    Label1->show();
    List1->hide();
    List4->show();
}

void Form1::SetContentsLook()
{
    Image1->setPixmap(Picture1->pixmap());
    Label9->show();
    Label10->show();
    Label1->hide();
    List1->show();
    List4->hide();
}

void Form1::ShowContentsTab()
{
    Image1->setPixmap(Picture1->pixmap());
    List1->show();
    List4->hide();
}

void Form1::ShowBookmarksTab()
{
    Image1->setPixmap(Picture2->pixmap());
    // The contents list stays visible under the bookmark list.
    List1->show();
    List4->show();
    Module1::FitList(*List4);
}

void Form1::ShowChapter(int row)
{
    Picture7->hide();
    // Only the book whose index filled the lists is read, and only a range inside its chapters.
    if (Text2->text() != m_bookPath || !copyChapterToScratchFile(row))
        return;
    const QString scratchFile = m_services.scratchFolder->chapterFilePath();
    PDF1->LoadFile(scratchFile);
    // The view keeps the file open, so the chapter stays shown once its name is gone.
    QFile::remove(scratchFile);
    clearBookmarkLists();
    Module1::LoadBookmarkLists(*List3, *List4, m_bookPath, row);
    Module1::FitList(*List4);
}

// The chapter's bytes pass in bounded chunks into a scratch file made afresh, so it holds
// exactly this chapter. A copy that fails leaves no scratch file.
bool Form1::copyChapterToScratchFile(int row)
{
    const ScratchFolder *scratch = m_services.scratchFolder;
    if (!scratch || !scratch->isValid() || !m_book.chapterReadable(row))
        return false;
    const QString path = scratch->chapterFilePath();
    QFile file;
    QString error;
    const bool copied = SafeWrite::createFresh(file, path) &&
                        BookReader::copyChapter(m_bookPath, m_book, row, file, &error);
    file.close();
    if (!copied)
        QFile::remove(path);
    return copied;
}

void Form1::GoToBookmark(int row)
{
    const QListWidgetItem *entry = List3->item(row);
    if (!entry)
        return;
    bool isNumber = false;
    const short page = Module1::BookmarkPageText(entry->text()).toShort(&isNumber);
    if (isNumber)
        PDF1->setCurrentPage(page);
}
