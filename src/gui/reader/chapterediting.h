// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookediting.h"

#include <QObject>

class Dialogs;
class DocumentSession;
class QAction;
class QMenu;
class TextList;

// The context menu of the contents list while a book is open: the chapter under the pointer
// renamed, moved up or down, removed, or files added after it (at the end below the last line),
// each asked for through the dialogs as `quillmoor-book` takes it and applied by EditBook as the
// command line applies it; the session takes the changed book (DocumentSession::takeEditedBook),
// so the lists and the view follow at once, and another running copy as it follows a book
// rebuilt.
class ChapterEditing : public QObject
{
    Q_OBJECT

public:
    // `session` and `dialogs` must outlive this; the menu is the list's.
    ChapterEditing(TextList *list, DocumentSession &session, Dialogs &dialogs);

    // The row the actions work on: the one the menu was opened on, else the current row.
    int row() const;

private:
    QAction *addAction(const char *name, const QString &text, void (ChapterEditing::*run)());
    void showMenu(const QPoint &position);
    void rename();
    void moveUp() { move(-1); }
    void moveDown() { move(1); }
    void move(int step);
    void remove();
    void addChapters();
    // Applies `plan`, telling what went wrong but bookmarks in the way, which the caller asks
    // about.
    EditResult apply(const ChapterPlan &plan, bool dropBookmarks = false);
    void refuse(PlanRefusal refusal);
    QString chapterName(int row) const;

    TextList *m_list;
    DocumentSession &m_session;
    Dialogs &m_dialogs;
    QMenu *m_menu;
    int m_menuRow = -1;
};
