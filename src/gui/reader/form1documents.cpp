#include "gui/reader/form1.h"

#include "app/dialogs.h"
#include "core/document/documentkind.h"
#include "gui/bookmarks/bookmarklists.h"
#include "gui/pdfview/pdfview.h"
#include "widgets/sidelist.h"

#include <QLineEdit>
#include <QSignalBlocker>

namespace {

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

} // namespace

void Form1::SetDocumentPath(const QString &path)
{
    setWindowTitle(QStringLiteral("PDF电子书制作软件(Quillmoor) - ") +
                   Module1::DocumentFileName(path));
    Text2->setText(path);
}

void Form1::OpenPlainPdf()
{
    Picture7->hide();
    PDF1->LoadFile(Text2->text());
    SetSingleLook();
    clearBookmarkLists();
    Module1::LoadBookmarkLists(*List3, *List4, Text2->text());
}

void Form1::LoadBookContents()
{
    SetContentsLook();
    clearContentsLists();
    m_bookPath = Text2->text();
    m_book = BookReader::readContents(m_bookPath, m_services.scratchFolder);
    const QSignalBlocker nameBlocker(List1);
    const QSignalBlocker lineBlocker(List2);
    // A damaged line keeps its place in both lists, so line i of one stays line i of the other.
    for (const ContentsIndex::Line &line : qAsConst(m_book.lines)) {
        List2->addItem(line.text);
        List1->addItem(line.name);
    }
}

// A file of no kind is refused before anything changes: the open document keeps its path,
// caption and lists, so a later chapter click still reads the book that is shown and the
// refused file is never read as a book.
void Form1::OpenCommand()
{
    const QString chosen = withoutOuterBlanks(
        m_services.dialogs->chooseFile(this, OpenTitle, Text2->text(), OpenFilter));
    if (!chosen.isEmpty()) {
        const DocumentKind kind = Module1::DocumentKindOf(chosen);
        if (kind == DocumentKind::None) {
            m_services.dialogs->showMessage(this, QStringLiteral("文件格式错误！"));
        } else {
            SetDocumentPath(chosen);
            Picture7->hide();
            if (kind == DocumentKind::Book)
                LoadBookContents();
            else
                OpenPlainPdf();
        }
    }
    FitListWidths();
}

void Form1::clearContentsLists()
{
    const QSignalBlocker nameBlocker(List1);
    const QSignalBlocker lineBlocker(List2);
    List1->clear();
    List2->clear();
    m_book = BookContents();
    m_bookPath.clear();
}

void Form1::clearBookmarkLists()
{
    const QSignalBlocker entryBlocker(List3);
    const QSignalBlocker nameBlocker(List4);
    List3->clear();
    List4->clear();
}
