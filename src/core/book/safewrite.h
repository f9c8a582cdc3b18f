// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QFile>
#include <QString>

#include <functional>

// Small file-writing helpers shared by everything that writes a file.
namespace SafeWrite
{

// Bytes are copied, and progress reported, in chunks of this size, so memory never follows a
// chapter's size. A buffer this small stays in the processor's cache between its read and its
// write; a 1 MiB one did not, and doubled the system time of a copy.
constexpr qint64 ChunkSize = 128 * 1024;

// Opens `file` at `path` as a new, empty file. Whatever stood at that path (a file, a planted
// symbolic link) is removed first and never followed: the open fails if something appears
// there in between.
bool createFresh(QFile &file, const QString &path);

// Flushes the file's data to the disk (fdatasync on Unix).
bool syncData(QFileDevice &file);

// Flushes the folder's entries to the disk, so a file renamed into it stays renamed after a
// crash. True where folders cannot be synced.
bool syncFolder(const QString &path);

// How a copy ended. A short write sets no error on a file device, so the side that failed is
// said here rather than left to the devices' error states.
enum class CopyResult { Copied, ReadFailed, WriteFailed, Stopped };

// Copies exactly `length` bytes from `in` (at its current position) to `out` in chunks.
// `progress`, when given, is called after each chunk with the bytes copied so far and may
// return false to stop the copy.
template <typename Progress>
CopyResult copyBytes(QIODevice &in, QIODevice &out, qint64 length, Progress progress);

CopyResult copyBytes(QIODevice &in, QIODevice &out, qint64 length);

// The device's own error text, or `fallback` when it has none (a short write sets none).
QString errorText(const QIODevice &device, const QString &fallback);

// The first part of every copy: between two files on Linux the kernel copies chunk after chunk
// (copy_file_range), so the bytes never pass through this process. It stops quietly where the
// kernel cannot go on (not two files, different file systems, a device error, the end of the
// source) and leaves both devices just after the `done` bytes it copied, for the chunked copy
// to go on from there and meet any error itself. False when `progress` stopped the copy or the
// devices cannot be placed.
bool copyBetweenFiles(QIODevice &in, QIODevice &out, qint64 length,
                      const std::function<bool(qint64)> &progress, qint64 *done);

} // namespace SafeWrite

template <typename Progress>
SafeWrite::CopyResult SafeWrite::copyBytes(QIODevice &in, QIODevice &out, qint64 length,
                                           Progress progress)
{
    qint64 done = 0;
    bool stopped = false;
    const auto reporting = [&](qint64 copied) {
        stopped = !progress(copied);
        return !stopped;
    };
    if (!copyBetweenFiles(in, out, length, reporting, &done))
        return stopped ? CopyResult::Stopped : CopyResult::WriteFailed;
    QByteArray buffer(int(qMin(length - done, ChunkSize)), Qt::Uninitialized);
    while (done < length) {
        const qint64 want = qMin(length - done, qint64(buffer.size()));
        const qint64 got = in.read(buffer.data(), want);
        if (got <= 0)
            return CopyResult::ReadFailed;
        if (out.write(buffer.constData(), got) != got)
            return CopyResult::WriteFailed;
        done += got;
        if (!progress(done))
            return CopyResult::Stopped;
    }
    return CopyResult::Copied;
}
