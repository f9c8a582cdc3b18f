// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/bookmarks/bookmarkfile.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QPair>
#include <QSet>
#include <QString>
#include <QStringList>

// Small helpers for tests that work with files.
namespace TestFiles
{

// Writes `bytes` to `path`, replacing the file; false when not all of it was written.
bool write(const QString &path, const QByteArray &bytes);
QByteArray read(const QString &path);

// `size` bytes that begin with "%PDF-" and then vary with `seed`, like a PDF as far as a book
// is concerned.
QByteArray pdfLike(qint64 size, int seed);

// A book file's bytes: the chapter area, the index, the index length in 4 little-endian bytes.
QByteArray trailer(qint32 indexLength);
QByteArray bookOf(const QByteArray &chapterArea, const QByteArray &index);
// A sound book of these chapters, its index as the engine writes it.
QByteArray bookOf(const QList<QPair<QString, QByteArray>> &chapters);

// Every name in a folder, hidden ones too, sorted: a test sees any stray temporary file.
QStringList entriesOf(const QString &folder);
// Bookmark entries as "NAME=ENTRY", joined by commas: what a list of them shows, in one line.
QString listedIn(const QList<Module1::BookmarkEntry> &entries);

// Kills every process this one started (the PDF workers): as a crash of each would.
void killChildren();
// True when every process this one started has ended, whether collected yet or not.
bool childrenAllEnded();
// The processes this one started that have not ended.
QSet<int> runningChildren();

// While one lives, every file this process writes is limited to `bytes` bytes, and a write past
// that fails with EFBIG instead of raising SIGXFSZ. Root cannot get around it.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    unsigned long long m_oldSoft;
    void (*m_oldHandler)(int);
};

// A device that takes the first `capacity` bytes written to it, as a disk that fills up: a
// write across the limit is cut short and sets an error text, every later one fails.
class FailDevice : public QIODevice
{
public:
    explicit FailDevice(qint64 capacity) : m_capacity(capacity) {}
    QByteArray data;
    qint64 largestWrite = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *bytes, qint64 length) override;

private:
    qint64 m_capacity;
};

} // namespace TestFiles
