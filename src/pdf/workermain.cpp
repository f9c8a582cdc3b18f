// SPDX-License-Identifier: GPL-2.0-or-later
// quillmoor-pdf-worker: reads one PDF for the window or the command line, which start it with
// their end of a socket pair as descriptor 3 and talk to it over that socket (protocol.h). It
// restricts itself before it reads a byte of the document, and ends with _exit: nothing of it is
// worth tidying up.
#include "pdf/engine.h"
#include "pdf/sandbox.h"
#include "pdf/workerloop.h"

#include <cstdio>

#include <malloc.h>
#include <poll.h>
#include <unistd.h>

int main()
{
    constexpr int Socket = 3;
    // Whatever else the program that started it left open (it should have closed every one on
    // exec) is closed before the document is read: the cage limits what is opened, not what is
    // open already.
    ::close_range(Socket + 1, ~0U, 0);
    // A drawn page passes through two buffers of megabytes. Left to itself, the allocator would
    // serve the next ones from its heap and keep that heap once they are freed: a worker idle
    // after a page would hold several pages' worth.
    ::mallopt(M_MMAP_THRESHOLD, 1024 * 1024);
    Pdf::Engine::silenceMessages();
    QString problem;
    if (!Pdf::Sandbox::enter(&problem)) {
        std::fprintf(stderr, "quillmoor-pdf-worker: %s\n", qPrintable(problem));
        ::_exit(1);
    }
    // Started ahead, a worker has time for this before the window needs it; once a request
    // waits, it goes straight to it.
    Pdf::Engine::warmUp([] {
        pollfd waiting{Socket, POLLIN, 0};
        return ::poll(&waiting, 1, 0) != 0;
    });
    ::_exit(Pdf::serveRequests(Socket));
}
