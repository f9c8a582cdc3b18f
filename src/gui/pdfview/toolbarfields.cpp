// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/toolbarfields.h"

#include <QKeyEvent>
#include <QLabel>

FindField::FindField(QWidget *parent) : QLineEdit(parent), m_count(new QLabel(this))
{
    m_count->setObjectName(QStringLiteral("matchCount"));
    m_count->setContentsMargins(2, 0, 4, 0);
    m_count->setForegroundRole(QPalette::PlaceholderText);
    m_count->setCursor(Qt::IBeamCursor);
}

void FindField::setCount(const QString &count)
{
    m_count->setText(count);
    placeCount();
}

// The room the count takes is the field's own: the toolbar lays the field out as without it.
QSize FindField::sizeHint() const
{
    return QLineEdit::sizeHint() - QSize(textMargins().right(), 0);
}

void FindField::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        return emit closeRequested();
    QLineEdit::keyPressEvent(event);
}

void FindField::resizeEvent(QResizeEvent *event)
{
    QLineEdit::resizeEvent(event);
    placeCount();
}

// The text typed ends where the count begins.
void FindField::placeCount()
{
    const int width = m_count->text().isEmpty() ? 0 : m_count->sizeHint().width();
    m_count->setGeometry(this->width() - width, 0, width, height());
    m_count->setVisible(width > 0);
    setTextMargins(0, 0, width, 0);
}
