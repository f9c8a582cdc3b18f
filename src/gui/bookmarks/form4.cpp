#include "gui/bookmarks/form4.h"

#include "widgets/controls.h"
#include "app/dialogs.h"
#include "core/document/documentkind.h"
#include "gui/bookmarks/bookmarkdialogs.h"
#include "core/bookmarks/bookmarkfile.h"
#include "gui/bookmarks/bookmarklists.h"
#include "gui/reader/form1.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"
#include "core/layout/twips.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using Controls::make;

namespace
{

bool isBlankLine(const QString &line)
{
    for (const QChar c : line) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

// The file's lines without the blank ones, each ended by a line break.
QString editableText(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines) {
        if (!isBlankLine(line))
            text += line + QLatin1Char('\n');
    }
    return text;
}

QString withFullWidthBrackets(QString text)
{
    text.replace(QLatin1Char('['), QChar(0xFF3B));
    text.replace(QLatin1Char(']'), QChar(0xFF3D));
    return text;
}

// The lines of `now` that follow the lines of `loaded`, when the file has only grown at its end
// since then: bookmarks appended while the text was being edited.
QStringList linesAppendedSince(const QStringList &loaded, const QStringList &now)
{
    if (now.size() <= loaded.size() || now.mid(0, loaded.size()) != loaded)
        return {};
    return now.mid(loaded.size());
}

// The text box breaks lines with LF; the file with CR LF.
QString withFileLineEnds(QString text)
{
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}

} // namespace

Form4::Form4(Form1 &reader) : QDialog(&reader), m_reader(reader)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("整理书签"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixelRect(0, 0, 8550, 5895).size());
    createControls();
    connectSignals();
}

void Form4::createControls()
{
    Command1 = make<QPushButton>(this, "Command1", QRect(5880, 5340, 1215, 375));
    Command1->setText(QStringLiteral("保  存"));
    Command1->setAutoDefault(false);
    Text1 = make<QPlainTextEdit>(this, "Text1", QRect(120, 120, 8295, 4995));
    Text1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Text1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Text1->setTabChangesFocus(true);
    Command2 = make<QPushButton>(this, "Command2", QRect(7200, 5340, 1215, 375));
    Command2->setText(QStringLiteral("取  消"));
    Command2->setAutoDefault(false);
    setTabOrder(Command1, Text1);
    setTabOrder(Text1, Command2);
}

void Form4::connectSignals()
{
    connect(Command1, &QPushButton::clicked, this, &Form4::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &Form4::close);
}

QString Form4::BookmarkPath() const
{
    return Module1::BookmarkFilePath(m_documentPath);
}

// A document without a bookmark file offers nothing to edit: text typed there could not be kept.
void Form4::Form_Load()
{
    m_documentPath = m_reader.Text2->text();
    if (BookmarkPath().isEmpty()) {
        Text1->setReadOnly(true);
        Text1->setPlaceholderText(QStringLiteral("此文档没有书签文件，无法整理书签。"));
    } else {
        m_loadedLines = Module1::ReadBookmarkFileLines(m_documentPath);
        Text1->setPlainText(editableText(m_loadedLines));
    }
    show();
    BookmarkDialogs::centreOnScreen(*this);
    raise();
    activateWindow();
    Command1->setFocus();
}

// A text of blanks and empty lines only leaves the file as it was: all bookmarks stay. A file
// that cannot be written keeps the dialog open with the edited text.
void Form4::Command1_Click()
{
    if (!Text1->toPlainText().trimmed().isEmpty() && !BookmarkPath().isEmpty()) {
        Text1->setPlainText(withFullWidthBrackets(Text1->toPlainText()));
        const QStringList added =
            linesAppendedSince(m_loadedLines, Module1::ReadBookmarkFileLines(m_documentPath));
        QString edited = Text1->toPlainText();
        if (!added.isEmpty() && !edited.endsWith(QLatin1Char('\n')))
            edited += QLatin1Char('\n');
        const QString text = withFileLineEnds(edited + editableText(added));
        if (!Module1::RewriteBookmarkFile(m_documentPath, text)) {
            m_reader.services().dialogs->showMessage(this, BookmarkDialogs::writeFailureMessage());
            return;
        }
    }
    refreshBookmarkLists();
    Module1::FitList(*m_reader.List4);
    close();
}

// The lists of the document shown now: a PDF's, or those of the chapter chosen in a book.
void Form4::refreshBookmarkLists()
{
    const QString documentPath = m_reader.Text2->text();
    if (!QFileInfo(Module1::BookmarkFilePath(documentPath)).isFile())
        return;
    const DocumentKind kind = Module1::DocumentKindOf(documentPath);
    if (kind == DocumentKind::Pdf) {
        m_reader.clearBookmarkLists();
        Module1::LoadBookmarkLists(*m_reader.List3, *m_reader.List4, documentPath);
    } else if (kind == DocumentKind::Book) {
        const int chapter = BookmarkDialogs::selectedRow(*m_reader.List1);
        if (chapter < 0)
            return;
        m_reader.clearBookmarkLists();
        Module1::LoadBookmarkLists(*m_reader.List3, *m_reader.List4, documentPath, chapter);
    }
}
