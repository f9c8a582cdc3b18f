// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/bytesource.h"

#include <cstring>

FileByteSource::FileByteSource(const QString &path) : m_file(path) {}

bool FileByteSource::open()
{
    return m_file.open(QIODevice::ReadOnly);
}

qint64 FileByteSource::size() const
{
    return m_file.size();
}

bool FileByteSource::readAt(qint64 offset, char *data, qint64 length)
{
    if (offset < 0 || length < 0 || offset > size() || length > size() - offset)
        return false;
    if (!m_file.seek(offset))
        return false;
    qint64 done = 0;
    while (done < length) {
        const qint64 got = m_file.read(data + done, length - done);
        if (got <= 0)
            return false;
        done += got;
    }
    return true;
}

bool MemoryByteSource::readAt(qint64 offset, char *data, qint64 length)
{
    if (offset < 0 || length < 0 || offset > size() || length > size() - offset)
        return false;
    if (length > 0)
        std::memcpy(data, m_bytes.constData() + offset, size_t(length));
    return true;
}
