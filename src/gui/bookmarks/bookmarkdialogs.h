// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QDialog;
class QKeyEvent;
class QPushButton;

// What the two bookmark dialogs share.
namespace BookmarkDialogs
{

// Puts the dialog, its frame included, in the middle of its screen.
void centreOnScreen(QDialog &dialog);

// Escape presses `cancel`, so the dialog goes as with the button: QDialog would take Escape for
// reject(), which only hides a dialog that is not modal. True when the key was taken.
bool cancelOnEscape(QKeyEvent *event, QPushButton *cancel);

// Told to the user when a bookmark file could not be written.
QString writeFailureMessage();

} // namespace BookmarkDialogs
