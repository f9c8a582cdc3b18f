// SPDX-License-Identifier: GPL-2.0-or-later
// Reads arbitrary bytes as a worker's side of the conversation: the bytes come through a socket
// as frames, and each frame's body is read as the window reads the answer of its kind, for a
// document of 4 KiB drawn in a part of 64 by 64 pixels. As in the window, the pages a Load or
// Unlock answer gives are those the later page sizes and labels are filled up to. Whatever the
// bytes, no count read passes its bound (answers.h).
#include "pdf/answers.h"

#include <cstdint>
#include <cstdlib>

#include <sys/socket.h>
#include <unistd.h>

using namespace Pdf;
using namespace Pdf::Protocol;

namespace
{

constexpr qint64 FileBytes = 4096;
const QRect Part(0, 0, 64, 64);
constexpr qint64 MaxImageBytes = qint64(1) << 20;
// Below what a socket holds unread, so that the bytes are written in one go.
constexpr size_t MaxInput = 64 * 1024;

void check(bool kept)
{
    if (!kept)
        std::abort();
}

template <class Field> void readOne(QDataStream &in)
{
    Field field{};
    in >> field;
}

// `pages`: the document's, as the last Load or Unlock answer read whole gave it.
void readAnswer(Kind kind, QDataStream &in, qint32 &pages)
{
    switch (kind) {
    case Kind::Load:
    case Kind::Unlock: {
        const Opened opened =
            kind == Kind::Load ? readLoad(in, FileBytes) : readUnlock(in, FileBytes);
        if (readWhole(in)) {
            check(opened.pages >= 0 && opened.pages <= maxPages(FileBytes));
            pages = opened.pages;
        }
        break;
    }
    case Kind::PageSizes:
        check(readPageSizes(in, pages).size() == pages);
        break;
    case Kind::PageLabels:
        check(readPageLabels(in, pages).size() == pages);
        break;
    case Kind::Draw: {
        ImageLayout layout;
        if (readImageLayout(in, Part, MaxImageBytes, layout))
            check(layout.bytes() <= MaxImageBytes && layout.width <= Part.width() &&
                  layout.height <= Part.height());
        break;
    }
    case Kind::PageSize:
        readOne<QSizeF>(in);
        break;
    case Kind::PageLabel:
    case Kind::Text:
        readOne<QString>(in);
        break;
    case Kind::Links:
        readList<Link>(in);
        break;
    case Kind::Words:
        readList<Word>(in);
        break;
    case Kind::Find:
        readList<QRectF>(in);
        break;
    case Kind::Outline:
        readList<OutlineEntry>(in);
        break;
    case Kind::Destination:
        readOne<qint32>(in);
        readOne<double>(in);
        break;
    case Kind::Properties:
        readOne<Properties>(in);
        break;
    case Kind::Smoothing:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    int ends[2];
    if (size > MaxInput || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return 0;
    const Fd window(ends[0]);
    const Fd worker(ends[1]);
    if (size > 0 && ::write(worker.get(), data, size) != ssize_t(size))
        return 0;
    ::shutdown(worker.get(), SHUT_WR);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    Message answer;
    qint32 pages = 1;
    while (receive(window.get(), answer, deadline) == Transfer::Done) {
        check(answer.body.size() <= qsizetype(MaxBody) && !answer.fd.valid());
        QDataStream in(answer.body);
        setVersion(in);
        readAnswer(answer.kind, in, pages);
    }
    return 0;
}
