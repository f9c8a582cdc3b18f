// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class PdfView;
class QWidget;

// Finding out which page the view shows: its toolbar is made visible, given a moment to appear,
// and the window tree below the reader window is searched for an edit box whose text is a page
// number, the page box of that toolbar.
namespace Module1
{

// The last captured page number, 0 when the last search found none. Kept between captures.
extern short CurrentPage;

// Shows the view's toolbar, waits 200 ms while the window goes on answering, sets CurrentPage to
// 0 and searches `window` with FindPageBox.
void CapturePage(QWidget &window, PdfView &view);

// Searches `window` and its descendants, each widget before its children and children topmost
// first, for an edit box (a class whose name holds "Edit" in any letter case) whose whole text,
// blanks at either end aside, is a 16-bit signed integer, and stores that number in CurrentPage.
// The search ends at the first number greater than 0. Widgets that are windows of their own (the
// other windows of the program) and hidden widgets are not searched, nor what lies in them: a
// name typed in a dialog or a path kept in a hidden box is never taken for a page.
void FindPageBox(QWidget *window);

// The text of an edit box; the title of any other widget; empty for none.
QString ReadWindowText(const QWidget *window);

// Returns once more than `milliseconds` have passed, processing the window's events meanwhile.
void WaitAnswering(int milliseconds);

} // namespace Module1
