// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QFile>
#include <QIODevice>

#include <memory>

namespace Pdf
{

// A range of bytes of one open file: the whole file, or a chapter inside its book. It is opened
// once and read at offsets with positional reads, so any number of threads may read it at once
// and the file's name may go while it is open. A file that is cut short while open reads as
// far as it goes.
class FileRange
{
public:
    // The `length` bytes from `offset` of the open file `fd`, which the range then owns (and
    // closes, also on failure); a negative length for the rest of the file.
    static std::shared_ptr<const FileRange> adopt(int fd, qint64 offset, qint64 length);

    qint64 size() const { return m_length; }
    // Up to `length` bytes at `offset` of the range into `data`: fewer at its end or where the
    // file ends early, -1 when the file cannot be read.
    qint64 readAt(qint64 offset, char *data, qint64 length) const;

private:
    FileRange() = default;

    QFile m_file;
    qint64 m_offset = 0;
    qint64 m_length = 0;
};

// A read-only device over a FileRange with a position of its own, for one reader.
class FileRangeDevice : public QIODevice
{
public:
    explicit FileRangeDevice(std::shared_ptr<const FileRange> range);

    bool isSequential() const override { return false; }
    qint64 size() const override { return m_range->size(); }

protected:
    qint64 readData(char *data, qint64 maxSize) override;
    qint64 writeData(const char *, qint64) override { return -1; }

private:
    std::shared_ptr<const FileRange> m_range;
};

} // namespace Pdf
