// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/scratchfolder.h"

#include "core/book/safewrite.h"

#include <QDir>
#include <QFile>

namespace
{
const char IndexFileName[] = "Velmforge.txt";
const char ChapterFileName[] = "Velmforge.pdf";
} // namespace

ScratchFolder::ScratchFolder() : m_owned(std::make_unique<QTemporaryDir>())
{
    if (m_owned->isValid())
        m_path = m_owned->path();
}

ScratchFolder::ScratchFolder(const QString &path) : m_path(path) {}

QString ScratchFolder::indexFilePath() const
{
    return QDir(m_path).filePath(QLatin1String(IndexFileName));
}

QString ScratchFolder::chapterFilePath() const
{
    return QDir(m_path).filePath(QLatin1String(ChapterFileName));
}

std::optional<QByteArray> ScratchFolder::roundTripIndex(const QByteArray &indexBytes) const
{
    if (!isValid())
        return std::nullopt;
    const QString path = indexFilePath();
    QFile file;
    const bool written = SafeWrite::createFresh(file, path) &&
                         file.write(indexBytes) == indexBytes.size() && file.flush();
    file.close();
    std::optional<QByteArray> readBack;
    if (written && file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (bytes == indexBytes)
            readBack = bytes;
        file.close();
    }
    QFile::remove(path);
    return readBack;
}
