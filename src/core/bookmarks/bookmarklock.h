// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The lock every writer of a bookmark file takes first: the add-bookmark dialog, the organise
// dialog, a book being changed in place, in this copy of the program or in another. It is an
// advisory lock (flock) on a hidden file beside the bookmark file, "." + its name + ".lock",
// which stays there empty. The bookmark file itself is replaced by rename, so a lock on it would
// not outlive a rewrite.
//
// The lock is held while this object lives. A folder that cannot be written has no lock file:
// then nothing is locked and the writer goes on as it would have without one (its own write will
// fail where it cannot write either). Two locks on one file in one process exclude each other
// too, so a holder never takes it again.
class BookmarkLock
{
public:
    enum Mode { Wait, Try };

    // Locks the bookmark file of `documentPath`; with Try, only when no one else holds it.
    BookmarkLock(const QString &documentPath, Mode mode);
    ~BookmarkLock();
    BookmarkLock(const BookmarkLock &) = delete;
    BookmarkLock &operator=(const BookmarkLock &) = delete;

    // False when another holds the lock (Try only); true also when there is no lock file to take.
    bool isFree() const { return m_free; }

    static QString lockFilePath(const QString &documentPath);

private:
    int m_descriptor = -1;
    bool m_free = true;
};
