// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/protocol.h"

#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace Pdf::Protocol
{

namespace
{

using Clock = std::chrono::steady_clock;

// Waits until `socket` can be read (or written): false when the deadline came first.
Transfer waitFor(int socket, short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return Transfer::TimedOut;
        pollfd watched{socket, events, 0};
        const int ready = ::poll(&watched, 1, int(std::min<qint64>(left.count(), 1000000)));
        if (ready > 0)
            return Transfer::Done;
        if (ready < 0 && errno != EINTR)
            return Transfer::Closed;
    }
}

// The first bytes go with the descriptor, if any.
Transfer sendSome(int socket, const char *data, size_t length, int fd, size_t &sent)
{
    iovec part{const_cast<char *>(data), length};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (fd >= 0) {
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        cmsghdr *rights = CMSG_FIRSTHDR(&header);
        rights->cmsg_level = SOL_SOCKET;
        rights->cmsg_type = SCM_RIGHTS;
        rights->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(rights), &fd, sizeof fd);
    }
    const ssize_t written = ::sendmsg(socket, &header, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (written < 0)
        return errno == EAGAIN || errno == EINTR ? Transfer::TimedOut : Transfer::Closed;
    sent = size_t(written);
    return Transfer::Done;
}

Transfer sendAll(int socket, const char *data, size_t length, int fd, Clock::time_point deadline)
{
    size_t done = 0;
    while (done < length) {
        if (const Transfer ready = waitFor(socket, POLLOUT, deadline); ready != Transfer::Done)
            return ready;
        size_t sent = 0;
        const Transfer step = sendSome(socket, data + done, length - done, fd, sent);
        if (step == Transfer::Closed)
            return step;
        if (sent > 0)
            fd = -1;
        done += sent;
    }
    return Transfer::Done;
}

// Reads `length` bytes; a descriptor that comes with them is kept in `fd` (a second one makes
// the frame malformed).
Transfer receiveAll(int socket, char *data, size_t length, Fd &fd, Clock::time_point deadline)
{
    size_t done = 0;
    while (done < length) {
        if (const Transfer ready = waitFor(socket, POLLIN, deadline); ready != Transfer::Done)
            return ready;
        iovec part{data + done, length - done};
        msghdr header{};
        header.msg_iov = &part;
        header.msg_iovlen = 1;
        alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int) * 4)] = {};
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        const ssize_t read = ::recvmsg(socket, &header, MSG_CMSG_CLOEXEC | MSG_DONTWAIT);
        if (read < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (read <= 0)
            return Transfer::Closed;
        bool extra = (header.msg_flags & MSG_CTRUNC) != 0;
        for (cmsghdr *c = CMSG_FIRSTHDR(&header); c; c = CMSG_NXTHDR(&header, c)) {
            if (c->cmsg_level != SOL_SOCKET || c->cmsg_type != SCM_RIGHTS)
                continue;
            const size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (size_t i = 0; i < count; ++i) {
                int received = -1;
                std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof received);
                if (fd.valid())
                    extra = true, ::close(received);
                else
                    fd.reset(received);
            }
        }
        if (extra)
            return Transfer::Malformed;
        done += size_t(read);
    }
    return Transfer::Done;
}

// The body grows with the bytes that come, never ahead of them by more than a step: its length is
// the other side's word.
Transfer receiveBody(int socket, quint32 length, QByteArray &body, Fd &fd,
                     Clock::time_point deadline)
{
    constexpr quint32 Step = 1024 * 1024;
    body.clear();
    for (quint32 done = 0; done < length;) {
        const quint32 part = std::min(Step, length - done);
        body.resize(done + part);
        if (const Transfer got = receiveAll(socket, body.data() + done, part, fd, deadline);
            got != Transfer::Done)
            return got;
        done += part;
    }
    return Transfer::Done;
}

} // namespace

void Fd::reset(int fd)
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = fd;
}

Transfer send(int socket, const Message &message, Clock::time_point deadline)
{
    if (quint64(message.body.size()) > MaxBody)
        return Transfer::Malformed;
    char header[HeaderSize];
    qToLittleEndian<quint32>(quint32(message.body.size()), header);
    qToLittleEndian<quint32>(quint32(message.kind), header + 4);
    const Transfer sent = sendAll(socket, header, HeaderSize, message.fd.get(), deadline);
    if (sent != Transfer::Done)
        return sent;
    return sendAll(socket, message.body.constData(), size_t(message.body.size()), -1, deadline);
}

Transfer receive(int socket, Message &message, Clock::time_point deadline)
{
    char header[HeaderSize];
    Fd fd;
    if (const Transfer got = receiveAll(socket, header, HeaderSize, fd, deadline);
        got != Transfer::Done)
        return got;
    const quint32 length = qFromLittleEndian<quint32>(header);
    const quint32 kind = qFromLittleEndian<quint32>(header + 4);
    if (length > MaxBody || kind < quint32(Kind::Load) || kind > quint32(Kind::Last))
        return Transfer::Malformed;
    message.kind = Kind(kind);
    if (const Transfer got = receiveBody(socket, length, message.body, fd, deadline);
        got != Transfer::Done)
        return got;
    message.fd = std::move(fd);
    return Transfer::Done;
}

void setVersion(QDataStream &stream)
{
    stream.setVersion(QDataStream::Qt_6_4);
}

bool readWhole(const QDataStream &stream)
{
    return stream.status() == QDataStream::Ok && stream.device()->atEnd();
}

QDataStream &operator<<(QDataStream &stream, const Link &link)
{
    return stream << link.area << qint32(link.kind) << qint32(link.page) << link.top << link.url
                  << link.destination;
}

QDataStream &operator>>(QDataStream &stream, Link &link)
{
    qint32 kind = 0;
    qint32 page = 0;
    stream >> link.area >> kind >> page >> link.top >> link.url >> link.destination;
    if (kind < int(Link::Kind::Page) || kind > int(Link::Kind::Other))
        stream.setStatus(QDataStream::ReadCorruptData);
    link.kind = Link::Kind(kind);
    link.page = page;
    return stream;
}

QDataStream &operator<<(QDataStream &stream, const Word &word)
{
    return stream << word.text << word.box << word.spaceAfter;
}

QDataStream &operator>>(QDataStream &stream, Word &word)
{
    return stream >> word.text >> word.box >> word.spaceAfter;
}

QDataStream &operator<<(QDataStream &stream, const OutlineEntry &entry)
{
    return stream << entry.name << qint32(entry.page) << entry.top << entry.open
                  << entry.hasChildren << qint32(entry.leftOut);
}

QDataStream &operator>>(QDataStream &stream, OutlineEntry &entry)
{
    qint32 page = 0;
    qint32 leftOut = 0;
    stream >> entry.name >> page >> entry.top >> entry.open >> entry.hasChildren >> leftOut;
    entry.page = page;
    entry.leftOut = leftOut;
    return stream;
}

QDataStream &operator<<(QDataStream &stream, const FontUse &font)
{
    return stream << font.name << font.type << font.embedded;
}

QDataStream &operator>>(QDataStream &stream, FontUse &font)
{
    return stream >> font.name >> font.type >> font.embedded;
}

QDataStream &operator<<(QDataStream &stream, const Properties &properties)
{
    stream << properties.title << properties.author << properties.subject << properties.keywords
           << properties.creator << properties.producer << properties.created << properties.modified
           << properties.version << properties.encrypted;
    writeList(stream, properties.fonts);
    return stream;
}

QDataStream &operator>>(QDataStream &stream, Properties &properties)
{
    stream >> properties.title >> properties.author >> properties.subject >> properties.keywords >>
        properties.creator >> properties.producer >> properties.created >> properties.modified >>
        properties.version >> properties.encrypted;
    properties.fonts = readList<FontUse>(stream);
    return stream;
}

} // namespace Pdf::Protocol
