// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/threads/outbox.h"
#include "pdf/worker.h"
#include "search/booksearch.h"

#include <QObject>

// Runs a search of the whole book on a worker while the window goes on answering, and tells what
// it finds on the window's thread, in book order: each chapter as it is searched, or those
// searched since the window last took them, as one. A new search or a stop
// ends the one running: nothing more of it is told, and it ends at the next page it reaches.
class BookFind : public QObject
{
    Q_OBJECT

public:
    explicit BookFind(QObject *parent = nullptr);
    ~BookFind() override;

    void start(const QString &bookPath, const BookContents &contents, const QString &text,
               const BookSearch::Passwords &passwords = {});
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // The matches of the chapters searched since it last told, `chaptersDone` of the book's
    // chapters searched by then.
    void found(const QList<BookSearch::Match> &matches, int chaptersDone);
    // A chapter not searched, or not to its end, and why.
    void skipped(int chapter, const QString &name, BookSearch::Skip skip);
    // The search went through every chapter; not after a stop.
    void finished();
    // The book could not be read again, or was rebuilt since its index was read.
    void bookUnreadable();

private:
    // One thing the search tells, in the order it tells them.
    struct Told {
        enum class Kind { Found, Skipped, Ended };
        quint64 generation = 0;
        Kind kind = Kind::Found;
        QList<BookSearch::Match> matches;
        int chapter = 0; // Found: the chapters done; Skipped: the chapter
        QString name;
        BookSearch::Outcome outcome = BookSearch::Outcome::Finished;
        BookSearch::Skip skip = BookSearch::Skip::Damaged; // Skipped: why
    };

    void search(quint64 generation, const QString &bookPath, const BookContents &contents,
                const QString &text, const BookSearch::Passwords &passwords);
    void take(std::vector<Told> &told);

    bool m_running = false;
    Outbox<Told> m_outbox;
    Pdf::Worker m_worker;
};
