// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDateTime>
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

// Watches one file for being written again: rewritten in place (truncated and written, maybe
// in several writes) or replaced by another file renamed over it. `rewritten` comes once the
// file has been left alone for `settle` milliseconds, and only when its size or times differ
// from those last taken, so other files changing in its folder say nothing. A file that could
// not be taken yet (still being written) is tried again with `retry`, a few times at most.
class RewriteWatch : public QObject
{
    Q_OBJECT

public:
    explicit RewriteWatch(int settle = 300, QObject *parent = nullptr);
    // Watches `path` from now, as it is now; an empty path watches nothing.
    void watch(const QString &path);
    // The file could not be taken as it was: taken again after the next settling.
    void retry();

signals:
    void rewritten();

private:
    // The size and times of the file: a file renamed over it, or written again, has others.
    struct Stamp {
        qint64 size = -1;
        QDateTime modified;
        QDateTime changed;
        bool operator==(const Stamp &other) const
        {
            return size == other.size && modified == other.modified && changed == other.changed;
        }
    };
    static Stamp stampOf(const QString &path);
    void noteChange();
    void takeSettled();

    QString m_path;
    Stamp m_stamp;
    int m_retries = 0;
    // The folder too: a file renamed over the one watched is a new file, which a watch on the
    // old one never sees.
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};
