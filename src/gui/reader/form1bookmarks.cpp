#include "gui/reader/form1.h"

#include "gui/bookmarks/form3.h"
#include "gui/bookmarks/form4.h"
#include "gui/bookmarks/pagecapture.h"

#include <QFrame>
#include <QLineEdit>

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

// A dialog already open keeps its place and what was typed into it.
void bringForward(QWidget *dialog)
{
    dialog->show();
    dialog->raise();
    dialog->activateWindow();
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
    Module1::CapturePage(*this, *PDF1);
    // Closing the reader window during the capture's wait ends the program: no dialog then.
    if (!isVisible() || Text2->text().isEmpty() || Module1::CurrentPage == 0)
        return;
    // A dialog closed a moment ago waits for its deletion: it is not brought back.
    if (m_form3 && m_form3->isVisible()) {
        bringForward(m_form3);
    } else {
        m_form3 = new Form3(*this);
        m_form3->Form_Load();
    }
    m_form3->rememberCapturedDocument();
}

void Form1::OrganiseBookmarks()
{
    setNormalLook(Picture5);
    if (Text2->text().isEmpty())
        return;
    if (m_form4 && m_form4->isVisible()) {
        bringForward(m_form4);
        return;
    }
    m_form4 = new Form4(*this);
    m_form4->Form_Load();
}
