// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/statestore.h"

#include "core/state/basefolder.h"
#include "core/state/sidefile.h"

#include <QDateTime>
#include <QDir>
#include <QLockFile>
#include <QSaveFile>

namespace
{

const int SaveDelay = 1000;
// Another copy holds the lock only while it merges and writes.
const int LockWait = 2000;

QString stateFileIn(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("state"));
}

// The file as it is, with `changes` merged in, written anew under the lock; nothing when it
// cannot be written.
std::optional<StateContents> mergeIntoFile(const QString &folder, const StateChanges &changes)
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
    if (SideFile::blocksWriting(stateFileIn(folder)))
        return std::nullopt;
    QSaveFile file(stateFileIn(folder));
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit())
        return std::nullopt;
    return contents;
}

// The entries of `from` that `to` has no newer change for.
template <class Value> void addMissing(QMap<QString, Value> &to, const QMap<QString, Value> &from)
{
    for (auto entry = from.cbegin(); entry != from.cend(); ++entry) {
        if (!to.contains(entry.key()))
            to.insert(entry.key(), entry.value());
    }
}

} // namespace

StateStore::StateStore(const QString &folder, QObject *parent)
    : QObject(parent), m_folder(folder), m_contents(StateFile::read(stateFileIn(folder))),
      m_outbox(this, [this](std::vector<SaveResult> &results) {
          for (const SaveResult &result : results)
              takeSaved(result);
      })
{
    m_saver.setMaxThreadCount(1);
    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(SaveDelay);
    connect(&m_saveTimer, &QTimer::timeout, this, &StateStore::save);
}

StateStore::~StateStore()
{
    save();
    waitForSaves();
}

QString StateStore::defaultFolder()
{
    return QDir(Module1::XdgBaseFolder("XDG_STATE_HOME", QStringLiteral(".local/state")))
        .filePath(QStringLiteral("quillmoor"));
}

QString StateStore::filePath() const
{
    return stateFileIn(m_folder);
}

qint64 StateStore::nextMoment()
{
    m_lastMoment = qMax(QDateTime::currentMSecsSinceEpoch(), m_lastMoment + 1);
    return m_lastMoment;
}

void StateStore::change(const StateChanges &changes)
{
    StateFile::merge(m_contents, changes);
    m_unsaved.places.insert(changes.places);
    m_unsaved.recent.insert(changes.recent);
    if (changes.colours.at > 0)
        m_unsaved.colours = changes.colours;
    if (!m_saveTimer.isActive())
        m_saveTimer.start();
    emit contentsChanged();
}

// The disk is waited for on the saver's thread; only its result comes back to this one.
void StateStore::save()
{
    m_saveTimer.stop();
    if (m_unsaved.isEmpty())
        return;
    const StateChanges changes = std::exchange(m_unsaved, {});
    m_saver.start([this, folder = m_folder, changes] {
        m_outbox.put(SaveResult{mergeIntoFile(folder, changes), changes});
    });
}

void StateStore::waitForSaves()
{
    m_saver.waitForDone();
}

// What others saved comes in, under what was changed here since; changes that could not be
// written wait for the next save.
void StateStore::takeSaved(const SaveResult &result)
{
    if (result.merged) {
        m_contents = *result.merged;
        StateFile::merge(m_contents, m_unsaved);
        emit contentsChanged();
    } else {
        addMissing(m_unsaved.places, result.changes.places);
        addMissing(m_unsaved.recent, result.changes.recent);
        if (m_unsaved.colours.at == 0)
            m_unsaved.colours = result.changes.colours;
    }
    emit saved(result.merged.has_value());
}
