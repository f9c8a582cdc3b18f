// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/bookfind.h"

// What a search's thread shares with the window: whether it is still wanted, and whether its
// thread has ended.
struct BookFind::Run {
    std::atomic<bool> wanted{true};
    std::atomic<bool> ended{false};
};

BookFind::BookFind(QObject *parent) : QObject(parent) {}

BookFind::~BookFind()
{
    stop();
    for (auto &[run, thread] : m_runs)
        thread.join();
}

void BookFind::start(const QString &bookPath, const BookContents &contents, const QString &text)
{
    stop();
    reapEndedRuns();
    m_current = std::make_shared<Run>();
    m_running = true;
    m_runs.emplace_back(m_current,
                        std::thread(&BookFind::search, this, m_current, bookPath, contents, text));
}

// On the search's own thread: the matches are told a chapter at a time.
void BookFind::search(const std::shared_ptr<Run> &run, const QString &bookPath,
                      const BookContents &contents, const QString &text)
{
    QList<BookSearch::Match> chapterMatches;
    BookSearch::Listener listener;
    listener.found = [&](const BookSearch::Match &match) { chapterMatches.append(match); };
    listener.skipped = [&](int chapter, const QString &name, const QString &) {
        tell(run, [chapter, name](BookFind &find) { emit find.skipped(chapter, name); });
    };
    listener.goOn = [&](int chaptersDone) {
        tell(run, [matches = chapterMatches, chaptersDone](BookFind &find) {
            emit find.found(matches, chaptersDone);
        });
        chapterMatches.clear();
        return run->wanted.load();
    };
    listener.stopNow = [&run] { return !run->wanted; };
    QString error;
    const BookSearch::Outcome outcome = BookSearch::run(bookPath, contents, text, listener, &error);
    tell(run, [outcome](BookFind &find) {
        find.m_running = false;
        if (outcome == BookSearch::Outcome::Finished)
            emit find.finished();
        else if (outcome == BookSearch::Outcome::BookUnreadable)
            emit find.bookUnreadable();
    });
    run->ended = true;
}

// Everything told is checked on the window's thread against the search it wants then. A
// search's thread ends before this object does: the destructor waits for it.
void BookFind::tell(const std::shared_ptr<Run> &run, std::function<void(BookFind &)> what)
{
    QMetaObject::invokeMethod(
        this,
        [this, run, what = std::move(what)] {
            if (run->wanted)
                what(*this);
        },
        Qt::QueuedConnection);
}

void BookFind::stop()
{
    if (m_current)
        m_current->wanted = false;
    m_current.reset();
    m_running = false;
}

void BookFind::reapEndedRuns()
{
    for (auto it = m_runs.begin(); it != m_runs.end();) {
        if (it->first->ended) {
            it->second.join();
            it = m_runs.erase(it);
        } else {
            ++it;
        }
    }
}
