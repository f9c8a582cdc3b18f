// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/readingplaces.h"

#include "core/state/basefolder.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QLockFile>
#include <QSaveFile>
#include <QSet>

namespace
{

const int SaveDelay = 1000;
// Another copy holds the lock only while it merges and writes.
const int LockWait = 2000;

QString absolute(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

QString stateFileIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("state"));
}

// The file as it is, with `changes` merged in, written anew under the lock; nothing when it
// cannot be written.
std::optional<StateContents> mergeIntoFile(const QString &folder,
                                           const QMap<QString, SavedPlace> &changes)
{
    if (!QDir().mkpath(folder))
        return std::nullopt;
    QLockFile lock(QDir(folder).filePath(QStringLiteral("state.lock")));
    if (!lock.tryLock(LockWait))
        return std::nullopt;
    StateContents contents = StateFile::read(stateFileIn(folder));
    StateFile::merge(contents, changes);
    StateFile::keepNewest(contents, StateFile::MaximumPlaces);
    const QByteArray text = StateFile::format(contents);
    QSaveFile file(stateFileIn(folder));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return std::nullopt;
    return contents;
}

} // namespace

ReadingPlaces::ReadingPlaces(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder), m_contents(StateFile::read(stateFileIn(folder))),
      m_outbox(this, [this](std::vector<SaveResult> &results) {
          for (const SaveResult &result : results)
              takeSaved(result);
      })
{
    m_saver.setMaxThreadCount(1);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(SaveDelay);
    connect(&m_saveTimer, &QTimer::timeout, this, &ReadingPlaces::save);
}

ReadingPlaces::~ReadingPlaces()
{
    save();
    waitForSaves();
}

QString ReadingPlaces::defaultFolder()
{
    return QDir(Module1::XdgBaseFolder("XDG_STATE_HOME", QStringLiteral(".local/state")))
        .filePath(QStringLiteral("quillmoor"));
}

QString ReadingPlaces::filePath() const
{
    return stateFileIn(m_folder);
}

QString ReadingPlaces::pdfKey(const QString &path)
{
    return StateFile::pdfKey(absolute(path));
}

QString ReadingPlaces::chapterKey(const QString &bookPath, const QList<ContentsIndex::Line> &lines,
                                  int row)
{
    const ContentsIndex::Line &line = lines.at(row);
    int occurrence = 0;
    for (int before = 0; before < row; ++before) {
        if (lines.at(before).length == line.length &&
            lines.at(before).nameView() == line.nameView())
            ++occurrence;
    }
    return StateFile::chapterKey(absolute(bookPath), line.name(), line.length, occurrence);
}

std::optional<SavedPlace> ReadingPlaces::placeOf(const QString &key) const
{
    const auto found = m_contents.places.constFind(key);
    if (found == m_contents.places.cend())
        return std::nullopt;
    return *found;
}

// A book may hold a million lines: keys are made only for the rows whose length a chapter of
// this book saved here has, each row's occurrence counted as the rows go by.
int ReadingPlaces::lastReadChapter(const QString &bookPath,
                                   const QList<ContentsIndex::Line> &lines) const
{
    const QString path = absolute(bookPath);
    const QString prefix = StateFile::bookKeyPrefix(path);
    QSet<qint64> savedLengths;
    for (auto it = m_contents.places.cbegin(); it != m_contents.places.cend(); ++it) {
        if (it.key().startsWith(prefix))
            savedLengths.insert(it.key().mid(prefix.size()).section('\t', 1, 1).toLongLong());
    }
    QHash<QPair<QString, qint64>, int> seen;
    int last = -1;
    qint64 lastReadAt = 0;
    for (int row = 0; row < lines.size() && !savedLengths.isEmpty(); ++row) {
        const ContentsIndex::Line &line = lines.at(row);
        if (!savedLengths.contains(line.length))
            continue;
        const int occurrence = seen[{line.name(), line.length}]++;
        const std::optional<SavedPlace> place =
            placeOf(StateFile::chapterKey(path, line.name(), line.length, occurrence));
        if (place && (last < 0 || place->readAt > lastReadAt)) {
            last = row;
            lastReadAt = place->readAt;
        }
    }
    return last;
}

void ReadingPlaces::note(const QString &key, int page, double top, const PageLook &look)
{
    // Strictly later than the last noted, so the order of reading holds within a millisecond.
    m_lastReadAt = qMax(QDateTime::currentMSecsSinceEpoch(), m_lastReadAt + 1);
    const SavedPlace place{m_lastReadAt, page, top, look};
    m_contents.places.insert(key, place);
    m_unsaved.insert(key, place);
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
}

// The disk is waited for on the saver's thread; only its result comes back to this one.
void ReadingPlaces::save()
{
    m_saveTimer.stop();
    if (m_unsaved.isEmpty())
        return;
    const QMap<QString, SavedPlace> changes = std::exchange(m_unsaved, {});
    m_saver.start([this, folder = m_folder, changes] {
        m_outbox.put(SaveResult{mergeIntoFile(folder, changes), changes});
    });
}

void ReadingPlaces::waitForSaves()
{
    m_saver.waitForDone();
}

// What others saved comes in, under what was noted here since; changes that could not be
// written wait for the next save.
void ReadingPlaces::takeSaved(const SaveResult &result)
{
    if (result.merged) {
        m_contents = *result.merged;
        StateFile::merge(m_contents, m_unsaved);
    } else {
        for (auto change = result.changes.cbegin(); change != result.changes.cend(); ++change) {
            if (!m_unsaved.contains(change.key()))
                m_unsaved.insert(change.key(), change.value());
        }
    }
    emit saved(result.merged.has_value());
}
