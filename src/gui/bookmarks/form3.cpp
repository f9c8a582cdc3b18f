// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/bookmarks/form3.h"

#include "core/layout/twips.h"
#include "core/text/gbkcodec.h"
#include "gui/bookmarks/bookmarkdialogs.h"
#include "gui/bookmarks/pagecapture.h"
#include "services/dialogs.h"
#include "widgets/controls.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QValidator>

using Controls::make;

namespace
{

const int NameLength = 30;

// A bookmark is one line of its file: a line break pasted into the name would split it into a
// nameless line and a bookmark that has lost its chapter. Each line break becomes a blank.
class SingleLineName : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString &input, int &position) const override
    {
        static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
        const qsizetype before = input.size();
        input.replace(lineBreak, QStringLiteral(" "));
        position = int(qMax<qsizetype>(0, position - (before - input.size())));
        return Acceptable;
    }
};

} // namespace

Form3::Form3(QWidget *reader, DocumentSession &session, Dialogs &dialogs)
    : QDialog(reader), m_session(session), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("添加书签"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(Twips::toPixelRect(0, 0, 5085, 1905).size());
    createControls();
    connectSignals();
}

void Form3::createControls()
{
    Label1 = Controls::caption(this, "Label1", QStringLiteral("请输入书签名称："),
                               QRect(180, 360, 1440, 180));
    Text1 = make<QLineEdit>(this, "Text1", QRect(180, 720, 4635, 315));
    Text1->setMaxLength(NameLength);
    Text1->setValidator(new SingleLineName(Text1));
    Command1 = make<QPushButton>(this, "Command1", QRect(2340, 1320, 1215, 315));
    Command1->setText(QStringLiteral("确  定"));
    Command1->setAutoDefault(false);
    Command1->setDefault(true);
    Command3 = make<QPushButton>(this, "Command3", QRect(3660, 1320, 1215, 315));
    Command3->setText(QStringLiteral("取  消"));
    Command3->setAutoDefault(false);
    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command3);
}

void Form3::connectSignals()
{
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);
    connect(Command3, &QPushButton::clicked, this, &Form3::close);
}

void Form3::keyPressEvent(QKeyEvent *event)
{
    if (!BookmarkDialogs::cancelOnEscape(event, Command3))
        QDialog::keyPressEvent(event);
}

void Form3::Form_Load()
{
    show();
    BookmarkDialogs::centreOnScreen(*this);
    Controls::bringForward(this);
    Text1->setFocus();
}

// The lists change only once the line is in the file: a bookmark shown is a bookmark kept, and a
// second OK never adds it twice. When it cannot be kept the dialog stays open with its name.
void Form3::Command1_Click()
{
    const QString name = Text1->text();
    if (name.isEmpty())
        return;
    // The bookmark file is GBK: a name it cannot hold is refused, never kept with "?" in it.
    const QString lost = Gbk::unencodable(name);
    if (!lost.isEmpty()) {
        m_dialogs.showMessage(this, QStringLiteral("书签名称中有无法保存的字符：") + lost);
        return;
    }
    switch (m_session.bookmarks().add(name, Module1::CurrentPage, m_captured)) {
    case BookmarkList::AddResult::NotWritten:
        m_dialogs.showMessage(this, BookmarkDialogs::writeFailureMessage());
        return;
    case BookmarkList::AddResult::NoChapter:
        return;
    case BookmarkList::AddResult::ChapterGone:
        m_dialogs.showMessage(this, QStringLiteral("书签所在的章节已从电子书中删除，书签未添加。"));
        close();
        return;
    case BookmarkList::AddResult::Added:
    case BookmarkList::AddResult::NoDocument:
        close();
        return;
    }
}

void Form3::rememberCapturedDocument()
{
    m_captured = m_session.capturedPlace();
}
