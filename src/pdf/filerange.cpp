// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/filerange.h"

#include <cerrno>

#include <unistd.h>

namespace Pdf
{

std::shared_ptr<const FileRange> FileRange::adopt(int fd, qint64 offset, qint64 length)
{
    std::shared_ptr<FileRange> range(new FileRange);
    if (!range->m_file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered,
                            QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    if (offset < 0)
        return nullptr;
    const qint64 rest = qMax<qint64>(range->m_file.size() - offset, 0);
    range->m_offset = offset;
    range->m_length = length < 0 ? rest : length;
    return range;
}

qint64 FileRange::readAt(qint64 offset, char *data, qint64 length) const
{
    length = qMin(length, m_length - offset);
    if (offset < 0 || length <= 0)
        return 0;
    qint64 done = 0;
    while (done < length) {
        const ssize_t read = ::pread(m_file.handle(), data + done, size_t(length - done),
                                     off_t(m_offset + offset + done));
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0)
            return done > 0 ? done : -1;
        if (read == 0)
            break;
        done += read;
    }
    return done;
}

FileRangeDevice::FileRangeDevice(std::shared_ptr<const FileRange> range) : m_range(std::move(range))
{
    // Unbuffered, so that pos() is where the next read begins.
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

qint64 FileRangeDevice::readData(char *data, qint64 maxSize)
{
    return m_range->readAt(pos(), data, maxSize);
}

} // namespace Pdf
