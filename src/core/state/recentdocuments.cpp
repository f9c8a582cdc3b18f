// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/recentdocuments.h"

QStringList RecentDocuments::paths() const
{
    return StateFile::recentPaths(contents());
}

void RecentDocuments::noteOpened(const QString &path)
{
    noteChange(path, false);
}

void RecentDocuments::forget(const QString &path)
{
    noteChange(path, true);
}

void RecentDocuments::noteChange(const QString &path, bool forgotten)
{
    StateChanges changes;
    changes.recent.insert(StateFile::absolutePath(path), RecentChange{nextMoment(), forgotten});
    change(changes);
}
