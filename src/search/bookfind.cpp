// SPDX-License-Identifier: GPL-2.0-or-later
#include "search/bookfind.h"

BookFind::BookFind(QObject *parent)
    : QObject(parent), m_outbox(this, [this](std::vector<Told> &told) { take(told); })
{
}

// The search under way ends at its next page; the worker waits for it.
BookFind::~BookFind()
{
    stop();
}

void BookFind::start(const QString &bookPath, const BookContents &contents, const QString &text,
                     const BookSearch::Passwords &passwords)
{
    const quint64 generation = m_worker.startGeneration();
    m_running = true;
    m_worker.post([this, generation, bookPath, contents, text, passwords] {
        search(generation, bookPath, contents, text, passwords);
    });
}

void BookFind::stop()
{
    m_worker.startGeneration();
    m_running = false;
}

// On the worker: the matches are told a chapter at a time.
void BookFind::search(quint64 generation, const QString &bookPath, const BookContents &contents,
                      const QString &text, const BookSearch::Passwords &passwords)
{
    const auto wanted = [this, generation] { return m_worker.isCurrent(generation); };
    if (!wanted())
        return;
    QList<BookSearch::Match> chapterMatches;
    BookSearch::Listener listener;
    listener.found = [&](const BookSearch::Match &match) { chapterMatches.append(match); };
    listener.skipped = [&](int chapter, const QString &name, const QString &,
                           BookSearch::Skip skip) {
        m_outbox.put({generation, Told::Kind::Skipped, {}, chapter, name, {}, skip});
    };
    listener.goOn = [&](int chaptersDone) {
        m_outbox.put({generation, Told::Kind::Found, chapterMatches, chaptersDone, {}, {}});
        chapterMatches.clear();
        return wanted();
    };
    listener.stopNow = [&wanted] { return !wanted(); };
    QString error;
    const BookSearch::Outcome outcome =
        BookSearch::run(bookPath, contents, text, listener, &error, passwords);
    m_outbox.put({generation, Told::Kind::Ended, {}, 0, QString(), outcome});
}

// Only what the search wanted now tells is told. The chapters taken together are told as one:
// a book of a million small chapters searched in seconds would otherwise have the window take
// each alone.
void BookFind::take(std::vector<Told> &told)
{
    QList<BookSearch::Match> matches;
    int chaptersDone = -1;
    const auto tellFound = [&] {
        if (chaptersDone >= 0)
            emit found(matches, chaptersDone);
        matches.clear();
        chaptersDone = -1;
    };
    for (const Told &item : told) {
        if (!m_worker.isCurrent(item.generation))
            continue;
        if (item.kind != Told::Kind::Found)
            tellFound();
        switch (item.kind) {
        case Told::Kind::Found:
            matches.append(item.matches);
            chaptersDone = item.chapter;
            break;
        case Told::Kind::Skipped:
            emit skipped(item.chapter, item.name, item.skip);
            break;
        case Told::Kind::Ended:
            m_running = false;
            if (item.outcome == BookSearch::Outcome::Finished)
                emit finished();
            else if (item.outcome == BookSearch::Outcome::BookUnreadable)
                emit bookUnreadable();
            break;
        }
    }
    tellFound();
}
