// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "search/booksearch.h"

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;
class ResultList;

// The results of a search of the whole book, listed as they come: a line that says how far the
// search is, with its progress and a stop button while it runs, and one row per match (the
// chapter's name and page, the text around the match). A damaged chapter and a book that
// changed while it was searched are rows of their own that lead nowhere. An index may point a
// million chapters at one PDF: past the first ListedMatches, matches are counted and gone to
// with F3, and a row says so, but are not listed.
class BookResults : public QWidget
{
    Q_OBJECT

public:
    static constexpr int ListedMatches = 10000;

    explicit BookResults(QWidget *parent = nullptr);

    void begin(const QString &text, int chapterCount);
    void add(const QList<BookSearch::Match> &matches, int chaptersDone);
    void addSkipped(int chapter, const QString &name, BookSearch::Skip skip);
    void finish();
    void stop();
    void stopForChangedBook();
    void clear();

    int matchCount() const { return int(m_matches.size()); }
    // The match chosen last, counted from 1 in book order; 0 before any.
    int chosenNumber() const;
    // Chooses the match to go to from the place being read (`chapter` and `page`, from 0) in
    // `direction` 1 or -1, as BookSearch::matchFrom says.
    void chooseFrom(int chapter, int page, int direction);

signals:
    void chosen(const BookSearch::Match &match);
    void stopRequested();

private:
    void choose(int match);
    void showEnd(const QString &status);
    void showRunning();

    QLabel *m_status = nullptr;
    QProgressBar *m_progress = nullptr;
    QPushButton *m_stop = nullptr;
    ResultList *m_list = nullptr;
    QString m_text;
    QList<BookSearch::Match> m_matches;
    int m_chosen = -1; // into m_matches
};
