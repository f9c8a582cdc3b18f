// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The publisher's addresses and the book generator's probe suffix, held as number texts and
// decoded with Module1::DecodeNumberText only when needed.
namespace NumberTexts
{

QString homePage();
// The home page less its last character, with a blank after each comma: a label's caption.
QString homePageText();
QString helpPage();
QString pageOne();
QString pageTwo();
QString pageThree();
// Where a PDF view can be had; opened when the reader window cannot create its view.
QString downloadPage();
// The four-character suffix of the leftover check in book generation.
QString probeSuffix();

} // namespace NumberTexts
