// SPDX-License-Identifier: GPL-2.0-or-later
// A worker that breaks the conversation on purpose, as QUILLMOOR_JUNK says: it reads each request
// and answers the one named there with junk, the others as a one-page document would.
#include "pdf/protocol.h"

#include <QDateTime>
#include <QImage>

#include <cstdlib>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace Pdf::Protocol;

namespace
{

const auto Forever = std::chrono::hours(1);

QByteArray fields(const std::function<void(QDataStream &)> &write)
{
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    setVersion(out);
    write(out);
    return body;
}

// An image answer of `width` by `height` pixels, with a memfd sealed or not.
Message image(int width, int height, bool sealed)
{
    Message answer;
    answer.kind = Kind::Draw;
    answer.fd = Fd(::memfd_create("junk", MFD_ALLOW_SEALING));
    const int bytesPerLine = width * 4;
    // A picture that cannot be sized would answer something other than the junk asked for.
    if (::ftruncate(answer.fd.get(), qint64(bytesPerLine) * height) != 0)
        std::abort();
    if (sealed)
        ::fcntl(answer.fd.get(), F_ADD_SEALS, F_SEAL_SHRINK | F_SEAL_GROW | F_SEAL_WRITE);
    answer.body = fields([&](QDataStream &out) {
        out << qint32(width) << qint32(height) << qint32(bytesPerLine)
            << qint32(QImage::Format_ARGB32_Premultiplied);
    });
    return answer;
}

// A document of `pages` pages, locked with none.
Message loaded(qint32 pages = 1)
{
    Message answer;
    answer.kind = Kind::Load;
    answer.body = fields([pages](QDataStream &out) { out << true << pages << (pages == 0); });
    return answer;
}

// The answer of `kind` whose fields `write` writes.
Message answerOf(Kind kind, const std::function<void(QDataStream &)> &write)
{
    Message answer;
    answer.kind = kind;
    answer.body = fields(write);
    return answer;
}

// The junk for `mode`; a kind of 0 for a mode that writes raw bytes itself.
Message junk(const QByteArray &mode, int socket)
{
    Message answer = loaded();
    if (mode == "kind")
        answer.kind = Kind::Draw;
    else if (mode == "short")
        answer.body.chop(1);
    else if (mode == "extra")
        answer.body += "x";
    else if (mode == "unsealed")
        answer = image(10, 10, false);
    else if (mode == "huge")
        answer = image(1 << 15, 1 << 15, true);
    else if (mode == "part")
        answer = image(10, 10, true);
    else if (mode == "pages")
        answer = loaded(0x7fffffff);
    else if (mode == "filepages")
        answer = loaded(1 << 20);
    else if (mode == "unlock")
        answer =
            answerOf(Kind::Unlock, [](QDataStream &out) { out << true << qint32(0x7fffffff); });
    else if (mode == "labels")
        answer = answerOf(Kind::PageLabels, [](QDataStream &out) {
            out << QStringList{QStringLiteral("i"), QStringLiteral("ii")};
        });
    else if (mode == "outline")
        answer = answerOf(Kind::Outline, [](QDataStream &out) {
            writeList(out, QList<Pdf::OutlineEntry>(Pdf::OutlineLevelLimit + 2));
        });
    else if (mode == "fonts") {
        // A document's properties announcing more fonts than the body holds.
        answer.kind = Kind::Properties;
        answer.body = fields([](QDataStream &out) {
            for (int text = 0; text < 6; ++text)
                out << QStringLiteral("junk");
            out << QDateTime() << QDateTime() << QStringLiteral("1.4") << false << qint32(1 << 30);
        });
    } else if (mode == "silent")
        ::pause();
    else if (mode == "long") {
        const char header[8] = {'\xff', '\xff', '\xff', '\x7f', 1, 0, 0, 0};
        // Only a header sent whole promises the long answer that never comes.
        if (::write(socket, header, sizeof header) == ssize_t(sizeof header))
            ::pause();
    }
    return answer;
}

} // namespace

int main()
{
    constexpr int Socket = 3;
    const QByteArray mode = qgetenv("QUILLMOOR_JUNK");
    // "unsealed", "huge" and "part" come with a page's drawing, "fonts" with the document's
    // properties, "unlock" with the unlocking of a locked document, "labels" with the page labels,
    // "outline" with the outline's top level, the others with the loading.
    const Kind junkFor = mode == "unsealed" || mode == "huge" || mode == "part" ? Kind::Draw
                         : mode == "fonts"                                      ? Kind::Properties
                         : mode == "unlock"                                     ? Kind::Unlock
                         : mode == "labels"                                     ? Kind::PageLabels
                         : mode == "outline"                                    ? Kind::Outline
                                                                                : Kind::Load;
    for (;;) {
        Message request;
        if (receive(Socket, request, std::chrono::steady_clock::now() + Forever) != Transfer::Done)
            return 0;
        Message answer =
            request.kind == junkFor ? junk(mode, Socket) : loaded(mode == "unlock" ? 0 : 1);
        if (request.kind != junkFor && request.kind != Kind::Load)
            answer.kind = request.kind, answer.body.clear();
        send(Socket, answer, std::chrono::steady_clock::now() + Forever);
    }
}
