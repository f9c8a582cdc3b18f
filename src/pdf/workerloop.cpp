// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/workerloop.h"

#include "pdf/engine.h"
#include "pdf/protocol.h"

#include <QImage>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

namespace Pdf
{

namespace
{

using namespace Protocol;

// Waits for the window as long as it likes: the window keeps the deadlines.
constexpr auto Forever = std::chrono::hours(24 * 365);

// Pages found between two looks for a request: a fraction of a millisecond.
constexpr int PagesFoundAtOnce = 32;

// The image's pixels in a memfd sealed against any change, so that the window may map it and
// trust what it maps; an invalid Fd when that fails.
Fd sealedCopy(const QImage &image)
{
    Fd fd(::memfd_create("page", MFD_CLOEXEC | MFD_ALLOW_SEALING));
    const qint64 size = image.sizeInBytes();
    if (!fd.valid() || ::ftruncate(fd.get(), size) != 0)
        return Fd();
    const char *bits = reinterpret_cast<const char *>(image.constBits());
    for (qint64 done = 0; done < size;) {
        const ssize_t written = ::pwrite(fd.get(), bits + done, size_t(size - done), done);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return Fd();
        done += written;
    }
    if (::fcntl(fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE | F_SEAL_SEAL) !=
        0)
        return Fd();
    return fd;
}

void answerDraw(const Document &document, QDataStream &in, QDataStream &out, Fd &pixels)
{
    qint32 page = 0;
    double scale = 0;
    qint32 turns = 0;
    QRect part;
    in >> page >> scale >> turns >> part;
    QImage image = document.draw(page, scale, turns, part);
    if (image.format() != QImage::Format_ARGB32_Premultiplied &&
        image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (!image.isNull())
        pixels = sealedCopy(image);
    if (!pixels.valid())
        out << qint32(0) << qint32(0) << qint32(0) << qint32(0);
    else
        out << qint32(image.width()) << qint32(image.height()) << qint32(image.bytesPerLine())
            << qint32(image.format());
}

// Answers one request about the open document; false for a malformed request.
bool answerAbout(Document &document, const Message &request, QDataStream &in, QDataStream &out,
                 Message &answer)
{
    qint32 page = 0;
    switch (request.kind) {
    case Kind::Unlock: {
        QString password;
        in >> password;
        const bool unlocked = document.unlock(password);
        out << unlocked << qint32(unlocked ? document.pageCount() : 0);
        break;
    }
    case Kind::PageSizes:
        writeList(out, document.pageSizes());
        break;
    case Kind::PageSize:
        in >> page;
        out << document.pageSize(page);
        break;
    case Kind::PageLabel:
        in >> page;
        out << document.pageLabel(page);
        break;
    case Kind::PageLabels:
        out << document.pageLabels();
        break;
    case Kind::Smoothing: {
        qint32 smoothing = 0;
        in >> smoothing;
        if (smoothing < 0 || smoothing > int(Smoothing::ShapesAndText))
            return false;
        document.setSmoothing(Smoothing(smoothing));
        break;
    }
    case Kind::Draw:
        answerDraw(document, in, out, answer.fd);
        break;
    case Kind::Links:
        in >> page;
        writeList(out, document.links(page));
        break;
    case Kind::Words:
        in >> page;
        writeList(out, document.words(page));
        break;
    case Kind::Find: {
        QString text;
        in >> page >> text;
        writeList(out, document.find(page, text));
        break;
    }
    case Kind::Text: {
        QRectF region;
        in >> page >> region;
        out << document.text(page, region);
        break;
    }
    case Kind::Outline: {
        const QList<qint32> path = readList<qint32>(in);
        qint32 limit = 0;
        in >> limit;
        writeList(out, document.outline(path, qBound(0, limit, OutlineLevelLimit)));
        break;
    }
    case Kind::Destination: {
        QString name;
        in >> name;
        const Destination found = document.destination(name);
        out << qint32(found.page) << found.top;
        break;
    }
    case Kind::Properties:
        out << document.properties();
        break;
    case Kind::Load:
        return false;
    }
    return readWhole(in);
}

// A document is loaded once, with the file that comes with the request.
bool answerLoad(std::unique_ptr<Document> &document, Message &request, QDataStream &in,
                QDataStream &out)
{
    qint64 offset = 0;
    qint64 length = 0;
    QString password;
    in >> offset >> length >> password;
    if (document || !request.fd.valid() || !readWhole(in))
        return false;
    document = Engine::openDescriptor(request.fd.release(), offset, length, password);
    // A locked document knows no pages yet.
    const bool locked = document && document->isLocked();
    out << bool(document) << qint32(document && !locked ? document->pageCount() : 0) << locked;
    return true;
}

bool answer(std::unique_ptr<Document> &document, Message &request, Message &answer)
{
    answer.kind = request.kind;
    QDataStream in(request.body);
    setVersion(in);
    QDataStream out(&answer.body, QIODevice::WriteOnly);
    setVersion(out);
    if (request.kind == Kind::Load)
        return answerLoad(document, request, in, out);
    if (!document || request.fd.valid())
        return false;
    return answerAbout(*document, request, in, out, answer);
}

// The engine finds a page by walking the document's page tree from its start, the first time a
// page is asked for: without this, the first jump to the end of a long document would wait for
// the whole walk.
void findPagesAhead(const Document *document, int &found, int socket)
{
    if (!document || document->isLocked())
        return;
    const int count = document->pageCount();
    while (found < count && !requestWaiting(socket)) {
        found = qMin(found + PagesFoundAtOnce, count);
        document->pageSize(found - 1);
    }
}

} // namespace

bool requestWaiting(int socket)
{
    pollfd waiting{socket, POLLIN, 0};
    return ::poll(&waiting, 1, 0) != 0;
}

int serveRequests(int socket)
{
    std::unique_ptr<Document> document;
    int pagesFound = 0;
    for (;;) {
        findPagesAhead(document.get(), pagesFound, socket);
        Message request;
        const Transfer got = receive(socket, request, std::chrono::steady_clock::now() + Forever);
        if (got == Transfer::Closed)
            return 0;
        if (got != Transfer::Done)
            return 2;
        Message reply;
        if (!answer(document, request, reply))
            return 2;
        if (send(socket, reply, std::chrono::steady_clock::now() + Forever) != Transfer::Done)
            return 0;
    }
}

} // namespace Pdf
