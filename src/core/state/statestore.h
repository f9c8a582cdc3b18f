// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/state/statefile.h"
#include "core/threads/outbox.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <optional>

// The state file in `folder` as this copy of the program knows it, and the saving of what it
// changed, shared by every running copy.
//
// The file is read once, when made. Changes are saved at most once a second, and when this is
// destroyed, on a thread of its own: each save takes the folder's lock (QLockFile), reads the
// file, merges its own changes (StateFile::merge: the later wins), keeps the MaximumPlaces places
// read and the MaximumRecent documents opened most recently and writes the file anew, so no copy
// loses another's changes. What the others
// saved is taken in after each save. A file that cannot be read or written never stops anything
// and says nothing: it reads as empty, and the changes not saved stay known to this copy only.
//
// Two stores of one folder in one program merge as two copies do.
class StateStore : public QObject
{
    Q_OBJECT

public:
    explicit StateStore(const QString &folder, QObject *parent = nullptr);
    // Saves what is not saved yet, and waits for it.
    ~StateStore() override;

    // `$XDG_STATE_HOME/quillmoor`, by default `~/.local/state/quillmoor`.
    static QString defaultFolder();
    QString filePath() const;

    // Starts a save of what was changed, or does nothing when all is saved.
    void save();
    void waitForSaves();

signals:
    // A save ended; `written` says whether the file was written.
    void saved(bool written);
    // What contents() holds changed: here, or taken in from the file.
    void contentsChanged();

protected:
    const StateContents &contents() const { return m_contents; }
    // A moment strictly later than the last one given, so the order of changes holds within a
    // millisecond.
    qint64 nextMoment();
    // Takes `changes` in at once and saves them soon.
    void change(const StateChanges &changes);

private:
    struct SaveResult {
        std::optional<StateContents> merged;
        StateChanges changes;
    };
    void takeSaved(const SaveResult &result);

    QString m_folder;
    StateContents m_contents;
    // Changed since the last save began.
    StateChanges m_unsaved;
    qint64 m_lastMoment = 0;
    QTimer m_saveTimer;
    Outbox<SaveResult> m_outbox;
    // After the outbox: its thread ends before the outbox goes.
    QThreadPool m_saver;
};
