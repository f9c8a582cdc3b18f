// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QListWidget>

// The rows of a find's results: each a match, shown as rich text wrapped to the list's width and
// known by a number of its own, or a note that leads nowhere. Thousands of rows come while a
// find runs, so each is laid out once for the width the list has.
class ResultList : public QListWidget
{
    Q_OBJECT

public:
    explicit ResultList(QWidget *parent = nullptr);

    // A match row: its chapter's name in bold (none in a document of its own) and page (from 0),
    // above `context` with every `text` in it in bold. At `row`, or last for -1.
    void addMatch(int key, const QString &chapterName, int page, const QString &context,
                  const QString &text, int row = -1);
    void addNote(const QString &text);
    void clearRows();
    // The row of the match `key` made current and in sight.
    void showMatch(int key);

signals:
    void matchChosen(int key);

private:
    class RowDelegate;
    void choose(QListWidgetItem *item);

    RowDelegate *m_delegate = nullptr;
};
