// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "search/booksearch.h"

#include <QObject>
#include <QString>

class BookFind;
class BookResults;
class DocumentSession;
class PdfView;

// Find in the whole book: while a book with chapters is open, the view's scope box offers "全书"
// beside "本章", and, while it is chosen, the view's navigation pane a "搜索" page listing the
// results as they come (the view lists its own find's in "本章").
// Enter and F3 in that scope start a search of every chapter, or go on to the next result after
// the place being read (Shift+F3 the one before); a result chosen is a jump of the session to its
// chapter and page, with its match shown there. A new search takes the last one's highlight off
// the page; a new book ends the search of the one before and clears its results.
class WholeBookFind : public QObject
{
    Q_OBJECT

public:
    // `view` and `session` must outlive this.
    WholeBookFind(PdfView &view, DocumentSession &session, QObject *parent = nullptr);

private:
    void takeBook();
    void forgetBook();
    void findInBook(const QString &text, int direction);
    void start(const QString &text);
    void notePassword(const QString &password);
    void stop();
    void goToResult(const BookSearch::Match &match);
    void showCount();
    void offerResults();

    PdfView &m_view;
    DocumentSession &m_session;
    BookFind *m_find = nullptr;
    BookResults *m_results = nullptr;
    QString m_bookPath; // the book searched; empty for none
    QString m_searched; // the text the results are of
    BookSearch::Passwords m_passwords;
};
