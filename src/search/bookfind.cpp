// SPDX-License-Identifier: GPL-2.0-or-later
#include "search/bookfind.h"

#include <QElapsedTimer>

namespace
{

constexpr std::chrono::milliseconds TellEvery(50);

} // namespace

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

// On the worker: the matches of the chapters searched are told together, at most every
// TellEvery: a book of a million small chapters searched in seconds would otherwise queue a
// million tellings for the window.
void BookFind::search(quint64 generation, const QString &bookPath, const BookContents &contents,
                      const QString &text, const BookSearch::Passwords &passwords)
{
    const auto wanted = [this, generation] { return m_worker.isCurrent(generation); };
    if (!wanted())
        return;
    QList<BookSearch::Match> matches;
    int chaptersDone = 0;
    int chaptersTold = 0;
    QElapsedTimer sinceTold;
    sinceTold.start();
    const auto tell = [&] {
        if (chaptersDone > chaptersTold)
            m_outbox.put({generation, Told::Kind::Found, matches, chaptersDone, {}, {}});
        matches.clear();
        chaptersTold = chaptersDone;
        sinceTold.restart();
    };
    BookSearch::Listener listener;
    listener.found = [&](const BookSearch::Match &match) { matches.append(match); };
    listener.skipped = [&](int chapter, const QString &name, const QString &,
                           BookSearch::Skip skip) {
        tell();
        m_outbox.put({generation, Told::Kind::Skipped, {}, chapter, name, {}, skip});
    };
    listener.goOn = [&](int done) {
        chaptersDone = done;
        if (sinceTold.elapsed() >= TellEvery.count())
            tell();
        return wanted();
    };
    listener.stopNow = [&wanted] { return !wanted(); };
    QString error;
    const BookSearch::Outcome outcome =
        BookSearch::run(bookPath, contents, text, listener, &error, passwords);
    tell();
    m_outbox.put({generation, Told::Kind::Ended, {}, 0, QString(), outcome});
}

// Only what the search wanted now tells is told.
void BookFind::take(std::vector<Told> &told)
{
    for (const Told &item : told) {
        if (!m_worker.isCurrent(item.generation))
            continue;
        switch (item.kind) {
        case Told::Kind::Found:
            emit found(item.matches, item.chapter);
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
}
