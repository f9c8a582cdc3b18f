// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QLabel>
#include <QPixmap>
#include <QRect>
#include <QString>

// One-line makers for the controls of a window designed in twips: each control gets its name
// as objectName and its design rectangle within its parent.
namespace Controls
{

// Puts `widget` at `twips` (left, top, width, height) within its parent.
void place(QWidget *widget, const QRect &twips);

template <typename Widget> Widget *make(QWidget *parent, const char *name, const QRect &twips)
{
    auto *widget = new Widget(parent);
    widget->setObjectName(QString::fromLatin1(name));
    place(widget, twips);
    return widget;
}

// Sets `text` and grows `label` to the right and downward when the text needs more room than
// the label has, rather than cutting it.
void setCaption(QLabel *label, const QString &text);

// Makes `label` a caption. The captions were designed for a font whose characters fill its whole
// line; in a font with room above its characters the label is raised by that room and made as
// much taller, so the characters stand where the design puts them.
void raiseToDesignLine(QLabel *label);

// A label with `text` at `twips`, as a caption.
template <typename Label = QLabel>
Label *caption(QWidget *parent, const char *name, const QString &text, const QRect &twips)
{
    auto *label = make<Label>(parent, name, twips);
    raiseToDesignLine(label);
    setCaption(label, text);
    return label;
}

// Shows `window`, raises it above the program's other windows and gives it the keyboard: a
// window asked for again comes forward as it is.
void bringForward(QWidget *window);

// A label showing `picture` at `twips`, stretched to it when `stretch` is set.
QLabel *picture(QWidget *parent, const char *name, const QPixmap &picture, const QRect &twips,
                bool stretch = false);

} // namespace Controls
