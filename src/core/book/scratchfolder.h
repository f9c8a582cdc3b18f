// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// The private folder, made once per running copy with mode 0700, that holds the two scratch
// files "Velmforge.txt" (a contents index in transit) and "Velmforge.pdf" (a chapter in
// transit). Each scratch file exists only for the duration of one operation.
class ScratchFolder
{
public:
    // A new private folder, removed with everything in it when this object goes.
    ScratchFolder();
    // An existing folder chosen by the caller (tests); left in place afterwards.
    explicit ScratchFolder(const QString &path);

    bool isValid() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }
    QString indexFilePath() const;
    QString chapterFilePath() const;

    // Writes `indexBytes` to a fresh scratch index file, reads it back whole and deletes it.
    // Nothing when the file cannot be written or read back exactly.
    std::optional<QByteArray> roundTripIndex(const QByteArray &indexBytes) const;

private:
    std::unique_ptr<QTemporaryDir> m_owned;
    QString m_path;
};
