// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QDialog;

// What the two bookmark dialogs share.
namespace BookmarkDialogs
{

// Puts the dialog, its frame included, in the middle of its screen.
void centreOnScreen(QDialog &dialog);

// Told to the user when a bookmark file could not be written.
QString writeFailureMessage();

} // namespace BookmarkDialogs
