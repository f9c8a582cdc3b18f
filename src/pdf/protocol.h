// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QByteArray>
#include <QDataStream>
#include <QIODevice>

#include <chrono>

// The conversation between a document in the window and the worker process that reads it.
//
// A message is a frame: an 8-byte header, then a body.
//   bytes 0-3  the body's length in bytes: unsigned, little-endian, at most MaxBody
//   bytes 4-7  the message's kind (Kind): unsigned, little-endian
//   then the body: the kind's fields in the order given below, written by QDataStream at
//   version Qt 6.4 (integers big-endian, strings as UTF-16 with a length, doubles as 8 bytes).
// A frame carries at most one file descriptor, as SCM_RIGHTS with its first bytes: the
// document's file with Load, a page image's memfd with Draw's answer.
//
// The window sends one request and reads its answer before it sends the next; the answer has the
// kind of its request. The worker answers every request, and a page it cannot read gives an
// empty answer, as the document interface says.
//
//   kind         request fields                      answer fields
//   Load         qint64 offset, qint64 length        bool opened, qint32 pages, bool locked
//                (below 0: to the file's end),
//                QString password (null: none);
//                + the file, open for reading
//   Unlock       QString password                    bool unlocked, qint32 pages
//   (a locked document has 0 pages until it is unlocked)
//   PageSizes    -                                   QList<QSizeF> in points
//   PageSize     qint32 page                         QSizeF in points
//   PageLabel    qint32 page                         QString
//   PageLabels   -                                   QStringList, one for each page
//   Smoothing    qint32 (Smoothing)                  -
//   Draw         qint32 page, double scale,          qint32 width, height, bytesPerLine,
//                qint32 quarterTurns, QRect part     format (QImage::Format); + a memfd sealed
//                                                    against change, unless width is 0 (no image)
//   Links        qint32 page                         qint32 count, then each: QRectF area,
//                                                    qint32 kind, qint32 page, double top, url,
//                                                    QString destination
//   Words        qint32 page                         qint32 count, then each: QString, QRectF, bool
//   Find         qint32 page, QString text           QList<QRectF>
//   Text         qint32 page, QRectF region          QString
//   Outline      QList<qint32> path                  qint32 count, then each: QString name,
//                                                    qint32 page, double top, bool open, children
//   Destination  QString name                        qint32 page, double top
//   Properties   -                                   QString title, author, subject, keywords,
//                                                    creator, producer; QDateTime created,
//                                                    modified; QString version; bool encrypted;
//                                                    qint32 count, then each font: QString name,
//                                                    QString type, bool embedded
//
// A malformed message ends the conversation, on either side: a frame cut short, a body longer
// than MaxBody, an unknown kind or an answer of another kind, a body that does not read as its
// fields (too short, or bytes left over), a descriptor where none belongs or none where one
// does, an image whose sizes do not add up, a count beyond its bound (answers.h). The worker then
// exits; the window kills the worker and the job fails as one whose worker crashed.
namespace Pdf::Protocol
{

enum class Kind : quint32 {
    Load = 1,
    Unlock,
    PageSizes,
    PageLabel,
    Smoothing,
    Draw,
    Links,
    Words,
    Find,
    Text,
    Outline,
    PageSize,
    Destination,
    PageLabels,
    Properties,
    Last = Properties
};

constexpr quint32 MaxBody = 64 * 1024 * 1024;
constexpr int HeaderSize = 8;

// A file descriptor owned by one holder, closed with it.
class Fd
{
public:
    Fd() = default;
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(Fd &&other) noexcept : m_fd(other.release()) {}
    Fd &operator=(Fd &&other) noexcept
    {
        reset(other.release());
        return *this;
    }
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    void reset(int fd = -1);

private:
    int m_fd = -1;
};

struct Message {
    Kind kind = Kind::Load;
    QByteArray body;
    Fd fd;
};

// How reading or writing a frame ended.
enum class Transfer { Done, Closed, Malformed, TimedOut };

// Writes `message` whole on the socket `socket`; waits no longer than `deadline` for room.
Transfer send(int socket, const Message &message, std::chrono::steady_clock::time_point deadline);
// Reads one frame; waits no longer than `deadline`. A frame of an unknown kind or too long a
// body is Malformed. The body is allocated as its bytes come, not for the length announced.
Transfer receive(int socket, Message &message, std::chrono::steady_clock::time_point deadline);

// Sets a stream on a body to the version above.
void setVersion(QDataStream &stream);
// True when `stream` read its body without running short and with nothing left over.
bool readWhole(const QDataStream &stream);

QDataStream &operator<<(QDataStream &stream, const Link &link);
QDataStream &operator>>(QDataStream &stream, Link &link);
QDataStream &operator<<(QDataStream &stream, const Word &word);
QDataStream &operator>>(QDataStream &stream, Word &word);
QDataStream &operator<<(QDataStream &stream, const OutlineEntry &entry);
QDataStream &operator>>(QDataStream &stream, OutlineEntry &entry);
QDataStream &operator<<(QDataStream &stream, const FontUse &font);
QDataStream &operator>>(QDataStream &stream, FontUse &font);
QDataStream &operator<<(QDataStream &stream, const Properties &properties);
QDataStream &operator>>(QDataStream &stream, Properties &properties);

// Lists are written as a qint32 count and their items; a count below 0 or beyond what the rest
// of the body could hold leaves the stream failed.
template <class Item> void writeList(QDataStream &stream, const QList<Item> &items)
{
    stream << qint32(items.size());
    for (const Item &item : items)
        stream << item;
}

template <class Item> QList<Item> readList(QDataStream &stream)
{
    qint32 count = 0;
    stream >> count;
    QList<Item> items;
    if (count < 0 || count > stream.device()->bytesAvailable()) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return items;
    }
    for (qint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        Item item;
        stream >> item;
        items.append(item);
    }
    return items;
}

} // namespace Pdf::Protocol
