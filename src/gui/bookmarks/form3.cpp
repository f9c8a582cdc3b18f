#include "gui/bookmarks/form3.h"

#include "widgets/controls.h"
#include "app/dialogs.h"
#include "core/document/documentkind.h"
#include "gui/bookmarks/bookmarkdialogs.h"
#include "core/bookmarks/bookmarkfile.h"
#include "gui/bookmarks/pagecapture.h"
#include "gui/reader/form1.h"
#include "widgets/listfitting.h"
#include "widgets/sidelist.h"
#include "core/layout/twips.h"

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

Form3::Form3(Form1 &reader) : QDialog(&reader), m_reader(reader)
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

void Form3::Form_Load()
{
    show();
    BookmarkDialogs::centreOnScreen(*this);
    raise();
    activateWindow();
    Text1->setFocus();
}

// The lists change only once the line is in the file: a bookmark shown is a bookmark kept, and a
// second OK never adds it twice. When it cannot be kept the dialog stays open with its name.
void Form3::Command1_Click()
{
    const QString name = Text1->text();
    if (name.isEmpty())
        return;
    const QString entryText =
        name + QChar(0xFF3B) + QString::number(Module1::CurrentPage) + QChar(0xFF3D);
    if (!recordBookmark(name, entryText))
        return;
    Module1::FitList(*m_reader.List4);
    close();
}

void Form3::rememberCapturedDocument()
{
    m_documentPath = m_reader.Text2->text();
    m_chapter = -1;
    m_chapterText.clear();
    if (Module1::DocumentKindOf(m_documentPath) != DocumentKind::Book)
        return;
    m_chapter = BookmarkDialogs::selectedRow(*m_reader.List1);
    if (m_chapter >= 0)
        m_chapterText = m_reader.List1->item(m_chapter)->text();
}

// False when the dialog is to stay open: no chapter chosen, or the file not written.
bool Form3::recordBookmark(const QString &name, const QString &entryText)
{
    const DocumentKind kind = Module1::DocumentKindOf(m_documentPath);
    if (kind == DocumentKind::None)
        return true;
    QString line = entryText;
    if (kind == DocumentKind::Book) {
        if (m_chapter < 0)
            return false;
        line = QLatin1Char('{') + QString::number(m_chapter) + QLatin1Char('}') + m_chapterText +
               QLatin1Char('&') + entryText;
    }
    if (!Module1::AppendBookmarkLine(m_documentPath, line)) {
        m_reader.services().dialogs->showMessage(this, BookmarkDialogs::writeFailureMessage());
        return false;
    }
    if (!showsCapturedDocument())
        return true;
    m_reader.List3->addItem(entryText);
    m_reader.List4->addItem(name);
    if (kind == DocumentKind::Book)
        showBookmarksTab();
    return true;
}

// Whether the reader window's bookmark lists still belong to the captured page's document and
// chapter.
bool Form3::showsCapturedDocument() const
{
    if (m_reader.Text2->text() != m_documentPath)
        return false;
    return Module1::DocumentKindOf(m_documentPath) != DocumentKind::Book ||
           BookmarkDialogs::selectedRow(*m_reader.List1) == m_chapter;
}

// The picture of the bookmarks tab, the bookmark list in front of the hidden contents list.
void Form3::showBookmarksTab()
{
    m_reader.Image1->setPixmap(m_reader.Picture2->pixmap());
    m_reader.List1->hide();
    m_reader.List4->show();
}
