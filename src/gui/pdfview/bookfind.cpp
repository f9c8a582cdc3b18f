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
    auto run = std::make_shared<Run>();
    m_current = run;
    m_running = true;
    // Everything told is checked on the window's thread against the search it wants then. The
    // thread ends before this object does: its destructor waits for it.
    auto tell = [this, run](auto what) {
        QMetaObject::invokeMethod(
            this,
            [this, run, what] {
                if (run->wanted)
                    what(*this);
            },
            Qt::QueuedConnection);
    };
    std::thread thread([run, tell, bookPath, contents, text] {
        QList<BookSearch::Match> chapterMatches;
        BookSearch::Listener listener;
        listener.found = [&](const BookSearch::Match &match) { chapterMatches.append(match); };
        listener.skipped = [&](int chapter, const QString &name, const QString &) {
            tell([chapter, name](BookFind &find) { emit find.skipped(chapter, name); });
        };
        listener.goOn = [&](int chaptersDone) {
            tell([matches = chapterMatches, chaptersDone](BookFind &find) {
                emit find.found(matches, chaptersDone);
            });
            chapterMatches.clear();
            return run->wanted.load();
        };
        listener.stopNow = [run] { return !run->wanted; };
        QString error;
        const BookSearch::Outcome outcome =
            BookSearch::run(bookPath, contents, text, listener, &error);
        tell([outcome](BookFind &find) {
            find.m_running = false;
            if (outcome == BookSearch::Outcome::Finished)
                emit find.finished();
            else if (outcome == BookSearch::Outcome::BookUnreadable)
                emit find.bookUnreadable();
        });
        run->ended = true;
    });
    m_runs.emplace_back(run, std::move(thread));
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
