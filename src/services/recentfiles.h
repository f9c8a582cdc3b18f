// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

// The desktop's own list of files used lately, which its file choosers and launchers show. The
// program adds to it only through this interface, so tests never touch the user's list.
class RecentFiles
{
public:
    virtual ~RecentFiles() = default;
    // Adds `path`, a book or PDF just opened. Fire and forget: the window never waits for the
    // disk, and a list that cannot be written is not reported.
    virtual void addOpened(const QString &path) = 0;
};
