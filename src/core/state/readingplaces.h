// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/contentsindex.h"
#include "core/state/statefile.h"
#include "core/threads/outbox.h"

#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <optional>

// The places last shown of PDFs and of chapters of books, kept in the state file in `folder`
// between runs and shared by every running copy.
//
// The file is read once, when made. Places noted are saved at most once a second, and when this
// is destroyed, on a thread of its own: each save takes the folder's lock (QLockFile), reads the
// file, merges its own changes (a place read later wins), keeps the MaximumPlaces read most
// recently and writes the file anew, so no copy loses another's places. What the others saved
// is taken in after each save. A file that cannot be read or written never stops anything: it
// reads as empty, and the places not saved stay known to this copy only.
class ReadingPlaces : public QObject
{
    Q_OBJECT

public:
    explicit ReadingPlaces(const QString &folder, QObject *parent = nullptr);
    // Saves what is not saved yet, and waits for it.
    ~ReadingPlaces() override;

    // `$XDG_STATE_HOME/quillmoor`, by default `~/.local/state/quillmoor`.
    static QString defaultFolder();
    QString filePath() const;

    // A document is known by its absolute path; a chapter by the book's path and the chapter's
    // row in its contents, from which its name, length and occurrence are taken.
    static QString pdfKey(const QString &path);
    static QString chapterKey(const QString &bookPath, const QList<ContentsIndex::Line> &lines,
                              int row);

    std::optional<SavedPlace> placeOf(const QString &key) const;
    // The row of the chapter of the book read last, -1 when none was read.
    int lastReadChapter(const QString &bookPath, const QList<ContentsIndex::Line> &lines) const;
    void note(const QString &key, int page, double top, const PageLook &look);

    // Starts a save of what was noted, or does nothing when all is saved.
    void save();
    void waitForSaves();

signals:
    // A save ended; `written` says whether the file was written.
    void saved(bool written);

private:
    struct SaveResult {
        std::optional<StateContents> merged;
        QMap<QString, SavedPlace> changes;
    };
    void takeSaved(const SaveResult &result);

    QString m_folder;
    StateContents m_contents;
    // Noted since the last save began.
    QMap<QString, SavedPlace> m_unsaved;
    qint64 m_lastReadAt = 0;
    QTimer m_saveTimer;
    Outbox<SaveResult> m_outbox;
    // After the outbox: its thread ends before the outbox goes.
    QThreadPool m_saver;
};
