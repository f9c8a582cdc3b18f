// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/form1.h"

#include "core/book/contentsindex.h"
#include "core/document/documentsession.h"
#include "gui/pdfview/pdfview.h"
#include "gui/reader/bookoutline.h"
#include "services/dialogs.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalBlocker>

#include <algorithm>

namespace
{

const QString OpenTitle = QStringLiteral("打开PDF文件");
const QString OpenFilter = QStringLiteral("PDF文件 (*.pdf *.VELM)");

// The dialog's answer without the blanks at either end.
QString withoutOuterBlanks(const QString &text)
{
    int first = 0;
    int last = text.size() - 1;
    while (first <= last && text.at(first) == QLatin1Char(' '))
        ++first;
    while (last >= first && text.at(last) == QLatin1Char(' '))
        --last;
    return text.mid(first, last - first + 1);
}

using Entries = QList<Module1::BookmarkEntry>;

// How many entries before `row` have the entry text of that row; 0 for a row that is none.
int occurrenceAt(const Entries &entries, int row)
{
    if (row < 0 || row >= entries.size())
        return 0;
    const QString &text = entries.at(row).entryText;
    return int(std::count_if(entries.cbegin(), entries.cbegin() + row,
                             [&text](const auto &entry) { return entry.entryText == text; }));
}

// The row of the entry that is the `occurrence`-th to have `text`, -1 when there is none.
int rowOfOccurrence(const Entries &entries, const QString &text, int occurrence)
{
    for (int i = 0; i < entries.size() && !text.isNull(); ++i) {
        if (entries.at(i).entryText == text && occurrence-- == 0)
            return i;
    }
    return -1;
}

} // namespace

void Form1::OpenCommand()
{
    const QString chosen = withoutOuterBlanks(
        m_services.dialogs->chooseFile(this, OpenTitle, m_session.documentPath(), OpenFilter));
    if (!chosen.isEmpty())
        openChosen(chosen);
}

// The start panel goes for every chosen file, before its kind is tested. A file of no kind is
// refused before anything else changes: the open document keeps its path, caption and lists, so
// a later chapter click still reads the book that is shown and the refused file is never read as
// a book.
void Form1::openChosen(const QString &path)
{
    Picture7->hide();
    if (Module1::DocumentKindOf(path) == DocumentKind::None)
        m_services.dialogs->showMessage(this, QStringLiteral("文件格式错误！"));
    else
        m_session.open(path);
    FitListWidths();
}

// Any drag of local files is taken, so that a wrong one is answered with a message on the drop.
void Form1::dragEnterEvent(QDragEnterEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (std::any_of(urls.cbegin(), urls.cend(), [](const QUrl &url) { return url.isLocalFile(); }))
        event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    const QString path = urls.size() == 1 ? urls.first().toLocalFile() : QString();
    if (path.isEmpty() || QFileInfo(path).isDir())
        m_services.dialogs->showMessage(this, QStringLiteral("请拖入一个PDF文件或电子书"));
    else
        openChosen(path);
}

void Form1::SetDocumentPath(const QString &path)
{
    setWindowTitle(QStringLiteral("PDF电子书制作软件(Quillmoor) - ") +
                   Module1::DocumentFileName(path));
    m_documentPath->setText(path);
}

void Form1::showPdf(const QString &path)
{
    Picture7->hide();
    PDF1->setOutlineSource(nullptr);
    PDF1->LoadFile(path);
    giveKeysToPages();
    setSidePanelLook(SidePanelLook::Single);
}

// A damaged line keeps its place in both lists, so line i of one stays line i of the other. Both
// read the session's lines, shared as they are now: a later book changes neither until it is
// shown.
void Form1::showContents()
{
    setSidePanelLook(SidePanelLook::Contents);
    const QSignalBlocker nameBlocker(List1);
    const QSignalBlocker lineBlocker(m_indexLines);
    const QList<ContentsIndex::Line> lines = m_session.contents().lines;
    List1->lines().setLines(
        lines.size(), [lines](int row) { return ContentsIndex::shownName(lines.at(row).name()); });
    m_indexLines->lines().setLines(lines.size(), [lines](int row) { return lines.at(row).text; });
    PDF1->setOutlineSource(
        std::make_shared<BookOutline>(m_session.documentPath(), m_session.contents()));
    const int lastRead = m_session.navigator().lastReadChapter();
    markLastRead(lastRead);
    // The chapter read last is where the keyboard starts, selected only when chosen.
    if (lastRead >= 0) {
        List1->selectionModel()->setCurrentIndex(List1->model()->index(lastRead, 0),
                                                 QItemSelectionModel::NoUpdate);
        List1->setFocus();
    }
}

// In bold, never by a change of its text: the names and the list's width stay as they are.
void Form1::markLastRead(int row)
{
    QFont bold = List1->font();
    bold.setBold(true);
    List1->lines().setFontRow(row, bold);
}

void Form1::showChapterFile(const QString &path)
{
    if (PDF1->LoadFile(path))
        printFromBook();
    giveKeysToPages();
}

void Form1::showRewrittenFile(const QString &path)
{
    if (!PDF1->reloadFile(path))
        m_session.retryRewritten();
    else if (m_session.kind() == DocumentKind::Book)
        printFromBook();
}

// The chapter's copy is gone once shown: its pages are printed from the book itself.
void Form1::printFromBook()
{
    const int row = m_session.chapter();
    if (!m_session.contents().chapterReadable(row))
        return;
    const ContentsIndex::Line &line = m_session.contents().lines.at(row);
    PDF1->setPrintSource(m_session.documentPath(), line.start - 1, line.length);
}

// A document or chapter just shown takes the keyboard, so End or PgDn act at once; the contents
// list and a field being typed in keep it.
void Form1::giveKeysToPages()
{
    const QWidget *focused = QApplication::focusWidget();
    if (focused != List1 && !qobject_cast<const QLineEdit *>(focused))
        PDF1->focusPages();
}

// A chapter shown by a jump is selected as a click would select it, and opened in the outline;
// the start panel goes.
void Form1::selectChapter(int row)
{
    Picture7->hide();
    const QSignalBlocker blocker(List1);
    List1->setCurrentRow(row);
    markLastRead(m_session.navigator().lastReadChapter());
    PDF1->setOutlineChapter(row);
}

void Form1::showPlace(const ReadingPlace &place, const FoundText &match)
{
    PDF1->showPlace(place.page, place.top, match);
}

// Line i of List3 is the entry of the name in line i of List4.
void Form1::showBookmarks()
{
    const QSignalBlocker entryBlocker(m_bookmarkEntries);
    const QSignalBlocker nameBlocker(List4);
    listBookmarks(&LineListModel::setLines);
    Module1::FitList(*List4);
}

// Both lists read the session's entries, shared as they are now: the entries read again from a
// changed file change neither until they are shown.
void Form1::listBookmarks(void (LineListModel::*fill)(int, LineListModel::TextOf))
{
    const QList<Module1::BookmarkEntry> entries = m_session.bookmarks().entries();
    m_listedBookmarks = entries;
    (m_bookmarkEntries->lines().*fill)(entries.size(),
                                       [entries](int row) { return entries.at(row).entryText; });
    (List4->lines().*fill)(entries.size(), [entries](int row) { return entries.at(row).name(); });
}

// The lists filled again from a bookmark file changed on disk keep the line selected: the same
// entry text, its same occurrence. Selecting it moves no page.
void Form1::showReloadedBookmarks()
{
    const int row = List4->currentRow();
    const QString selected = row >= 0 && row < m_listedBookmarks.size()
                                 ? m_listedBookmarks.at(row).entryText
                                 : QString();
    const int occurrence = occurrenceAt(m_listedBookmarks, row);
    showBookmarks();
    const QSignalBlocker nameBlocker(List4);
    List4->setCurrentRow(rowOfOccurrence(m_listedBookmarks, selected, occurrence));
}

// A bookmark added to a chapter brings the bookmark list forward over the contents.
void Form1::showAddedBookmark()
{
    listBookmarks(&LineListModel::appendLines);
    if (m_session.kind() == DocumentKind::Book)
        setSidePanelLook(SidePanelLook::Bookmarks, false);
    Module1::FitList(*List4);
}
