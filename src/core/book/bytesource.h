// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Random access to the bytes of a book, so the parser runs on a file or on memory alike.
class ByteSource
{
public:
    virtual ~ByteSource() = default;
    virtual qint64 size() const = 0;
    // Reads exactly `length` bytes at `offset` into `data`; false when any of them cannot be read.
    virtual bool readAt(qint64 offset, char *data, qint64 length) = 0;
};

class FileByteSource : public ByteSource
{
public:
    explicit FileByteSource(const QString &path);
    bool open();
    QString errorString() const { return m_file.errorString(); }
    qint64 size() const override;
    bool readAt(qint64 offset, char *data, qint64 length) override;

private:
    QFile m_file;
};

class MemoryByteSource : public ByteSource
{
public:
    explicit MemoryByteSource(QByteArray bytes) : m_bytes(std::move(bytes)) {}
    qint64 size() const override { return m_bytes.size(); }
    bool readAt(qint64 offset, char *data, qint64 length) override;

private:
    QByteArray m_bytes;
};
