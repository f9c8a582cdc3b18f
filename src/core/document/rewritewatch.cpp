// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/rewritewatch.h"

#include <QDir>
#include <QFileInfo>

namespace
{
// Enough for a writer pausing between its writes; a file that never loads is not polled on.
const int MaxRetries = 5;
} // namespace

RewriteWatch::RewriteWatch(int settle, QObject *parent) : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(settle);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &RewriteWatch::noteChange);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &RewriteWatch::noteChange);
    connect(&m_settle, &QTimer::timeout, this, &RewriteWatch::takeSettled);
}

void RewriteWatch::watch(const QString &path)
{
    const QStringList watched = m_watcher.files() + m_watcher.directories();
    if (!watched.isEmpty())
        m_watcher.removePaths(watched);
    m_settle.stop();
    m_path = path;
    m_stamp = stampOf(path);
    const QFileInfo file(path);
    if (path.isEmpty() || !file.absoluteDir().exists())
        return;
    m_watcher.addPath(file.absolutePath());
    if (file.exists())
        m_watcher.addPath(file.absoluteFilePath());
}

RewriteWatch::Stamp RewriteWatch::stampOf(const QString &path)
{
    const QFileInfo file(path);
    if (path.isEmpty() || !file.isFile())
        return Stamp();
    return Stamp{file.size(), file.lastModified(), file.metadataChangeTime()};
}

// A file renamed over the watched one is watched in its place.
void RewriteWatch::noteChange()
{
    const QString absolute = QFileInfo(m_path).absoluteFilePath();
    if (!m_watcher.files().contains(absolute) && QFileInfo::exists(absolute))
        m_watcher.addPath(absolute);
    m_retries = 0;
    m_settle.start();
}

void RewriteWatch::takeSettled()
{
    const Stamp now = stampOf(m_path);
    if (now == m_stamp || now.size < 0)
        return;
    m_stamp = now;
    emit rewritten();
}

void RewriteWatch::retry()
{
    m_stamp = Stamp();
    if (++m_retries <= MaxRetries)
        m_settle.start();
}
