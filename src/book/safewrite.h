#pragma once

#include <QFile>
#include <QString>

// Small file-writing helpers shared by everything that writes a file.
namespace SafeWrite {

// Bytes are copied in chunks of this size, so memory never follows a chapter's size.
constexpr qint64 ChunkSize = 1024 * 1024;

// Opens `file` at `path` as a new, empty file. Whatever stood at that path (a file, a planted
// symbolic link) is removed first and never followed: the open fails if something appears
// there in between.
bool createFresh(QFile &file, const QString &path);

// Flushes the file's data to the disk (fdatasync on Unix).
bool syncData(QFileDevice &file);

// How a copy ended. A short write sets no error on a file device, so the side that failed is
// said here rather than left to the devices' error states.
enum class CopyResult { Copied, ReadFailed, WriteFailed, Stopped };

// Copies exactly `length` bytes from `in` (at its current position) to `out` in chunks.
// `progress`, when given, is called after each chunk with the bytes copied so far and may
// return false to stop the copy.
template<typename Progress>
CopyResult copyBytes(QIODevice &in, QIODevice &out, qint64 length, Progress progress);

CopyResult copyBytes(QIODevice &in, QIODevice &out, qint64 length);

// The device's own error text, or `fallback` when it has none (a short write sets none).
QString errorText(const QIODevice &device, const QString &fallback);

} // namespace SafeWrite

template<typename Progress>
SafeWrite::CopyResult SafeWrite::copyBytes(QIODevice &in, QIODevice &out, qint64 length, Progress progress)
{
    QByteArray buffer(int(qMin(length, ChunkSize)), Qt::Uninitialized);
    qint64 done = 0;
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
