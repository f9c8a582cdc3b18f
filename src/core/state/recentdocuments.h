// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/state/statestore.h"

#include <QStringList>

// The books and PDFs opened lately, kept in the state file between runs and shared by every
// running copy as StateStore says: the later opening or forgetting of a path wins, and the
// MaximumRecent opened most recently are kept. Paths are taken as absolute. The file keeps no
// forgetting: an earlier opening that another copy saves only after this one saved its
// forgetting brings the document back.
class RecentDocuments : public StateStore
{
    Q_OBJECT

public:
    using StateStore::StateStore;

    // The most recently opened first.
    QStringList paths() const;
    // Puts `path` at the top of the list.
    void noteOpened(const QString &path);
    // Takes `path` off the list.
    void forget(const QString &path);

private:
    void noteChange(const QString &path, bool forgotten);
};
