// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "search/booksearch.h"

#include <QObject>

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <thread>

// Runs a search of the whole book on a thread of its own while the window goes on answering,
// and tells what it finds on the window's thread, a chapter at a time, in book order. A new
// search or a stop ends the one running: nothing more of it is told, and its thread ends after
// the page it is at.
class BookFind : public QObject
{
    Q_OBJECT

public:
    explicit BookFind(QObject *parent = nullptr);
    ~BookFind() override;

    void start(const QString &bookPath, const BookContents &contents, const QString &text);
    void stop();
    bool isRunning() const { return m_running; }

signals:
    // The matches of one chapter, after `chaptersDone` of the book's chapters were searched.
    void found(const QList<BookSearch::Match> &matches, int chaptersDone);
    void skipped(int chapter, const QString &name);
    // The search went through every chapter; not after a stop.
    void finished();
    // The book could not be read again, or was rebuilt since its index was read.
    void bookUnreadable();

private:
    struct Run;
    void search(const std::shared_ptr<Run> &run, const QString &bookPath,
                const BookContents &contents, const QString &text);
    void tell(const std::shared_ptr<Run> &run, std::function<void(BookFind &)> what);
    void reapEndedRuns();

    std::shared_ptr<Run> m_current;
    // Searches stopped before their end, until their thread has ended.
    std::list<std::pair<std::shared_ptr<Run>, std::thread>> m_runs;
    bool m_running = false;
};
