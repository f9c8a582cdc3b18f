// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

// Every key the reader window and its view answer, as the shortcuts window lists them. The
// window's test holds each row to the action or the pages that answer it, so the list cannot
// come to promise a key nothing answers.
namespace KeyboardShortcuts
{

// Who answers a row's keys.
enum class Answer {
    Action, // a shortcut of an action of the window
    Pages,  // the pages themselves, while they have the keyboard
    Wheel,  // the mouse wheel turned with Ctrl held, over the pages
};

struct Row {
    QString group;
    QList<QKeySequence> keys;
    QString what;
    Answer answer = Answer::Action;

    // The keys as the window shows them: "PgDown / Space", "Ctrl+滚轮".
    QString keyText() const;
};

const QList<Row> &rows();

} // namespace KeyboardShortcuts
