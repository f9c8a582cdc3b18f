// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/bookmarks/form4.h"

#include "core/bookmarks/bookmarkediting.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/document/documentsession.h"
#include "core/layout/twips.h"
#include "gui/bookmarks/bookmarkdialogs.h"
#include "services/dialogs.h"
#include "widgets/controls.h"

#include <QPlainTextEdit>
#include <QPushButton>

using Controls::make;

Form4::Form4(QWidget *reader, DocumentSession &session, Dialogs &dialogs)
    : QDialog(reader), m_session(session), m_dialogs(dialogs)
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

void Form4::keyPressEvent(QKeyEvent *event)
{
    if (!BookmarkDialogs::cancelOnEscape(event, Command2))
        QDialog::keyPressEvent(event);
}

QString Form4::BookmarkPath() const
{
    return Module1::BookmarkFilePath(m_documentPath);
}

// A document without a bookmark file offers nothing to edit: text typed there could not be kept.
void Form4::Form_Load()
{
    m_documentPath = m_session.documentPath();
    if (BookmarkPath().isEmpty()) {
        Text1->setReadOnly(true);
        Text1->setPlaceholderText(QStringLiteral("此文档没有书签文件，无法整理书签。"));
    } else {
        m_loadedLines = Module1::ReadBookmarkFileLines(m_documentPath);
        Text1->setPlainText(Module1::EditableBookmarkText(m_loadedLines));
    }
    show();
    BookmarkDialogs::centreOnScreen(*this);
    Controls::bringForward(this);
    Command1->setFocus();
}

// The text is shown with the page brackets it is saved with. A file that cannot be written keeps
// the dialog open with that text.
void Form4::Command1_Click()
{
    // Lines appended meanwhile are kept by the save; a file changed otherwise is offered first.
    const QStringList now = Module1::ReadBookmarkFileLines(m_documentPath);
    if (!Module1::OnlyAppendedTo(m_loadedLines, now) &&
        m_dialogs.askYesNo(this, QStringLiteral("书签文件已被修改，是否重新载入？"))) {
        m_loadedLines = now;
        Text1->setPlainText(Module1::EditableBookmarkText(m_loadedLines));
        return;
    }
    Text1->setPlainText(Module1::WithFullWidthBrackets(Text1->toPlainText()));
    if (!m_session.bookmarks().rewrite(m_documentPath, m_loadedLines, Text1->toPlainText())) {
        m_dialogs.showMessage(this, BookmarkDialogs::writeFailureMessage());
        return;
    }
    close();
}
