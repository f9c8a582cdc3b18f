#pragma once

#include <QString>

class QDialog;
class QListWidget;

// What the two bookmark dialogs share.
namespace BookmarkDialogs
{

// Puts the dialog, its frame included, in the middle of its screen.
void centreOnScreen(QDialog &dialog);

// The selected line of `list`, or -1 when none is selected.
int selectedRow(const QListWidget &list);

// Told to the user when a bookmark file could not be written.
QString writeFailureMessage();

} // namespace BookmarkDialogs
