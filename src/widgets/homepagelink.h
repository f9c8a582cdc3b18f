// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QRect>

class ClickLabel;
class QWidget;

// The home page's address as a link label, as both the reader and the book-making window show
// it: Arial at 9 points, navy, a pointing hand, named "Label20".
namespace HomePageLink
{

ClickLabel *make(QWidget *parent, const QRect &twips);
// Captions the label with the address, decoded from its number text, and fits its width to it.
void showAddress(ClickLabel *label);

} // namespace HomePageLink
