// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "services/recentfiles.h"

#include <QThreadPool>

// The freedesktop list of files used lately, `$XDG_DATA_HOME/recently-used.xbel` (by default
// under `~/.local/share`), written with GLib's bookmark file as the desktop's own programs write
// it. Each document opened goes in as a file:// URI with its MIME type (application/pdf, or
// application/x-velm for a book) and this program ("quillmoor", run as "quillmoor %u").
//
// The file is read and written on a thread of its own, one opening after another. A missing
// file is made; one that cannot be read, is damaged, is no plain file (a symbolic link
// included) or is longer than 16 MiB is left as it is and the opening is not added.
class DesktopRecentFiles : public RecentFiles
{
public:
    DesktopRecentFiles();
    // Waits for the openings not yet written.
    ~DesktopRecentFiles() override;

    void addOpened(const QString &path) override;
    void waitForWrites();

    // The list's path, from XDG_DATA_HOME as it is now.
    static QString listPath();

private:
    QThreadPool m_writer;
};
