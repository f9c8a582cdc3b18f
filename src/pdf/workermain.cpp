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
#include <unistd.h>

int main()
{
    constexpr int Socket = 3;
    // Whatever else the program that started it left open is closed before the document is read:
    // the cage limits what is opened, not what is open already. The program gave descriptor 4, a
    // pipe's end, to learn from a byte on it that the worker runs: its end alone would also come
    // from a worker that died before its first instruction.
    const char running = 'r';
    if (::write(Socket + 1, &running, 1) != 1) {
        // Started by hand: nobody waits for it.
    }
    ::close_range(Socket + 1, ~0U, 0);
    Pdf::Engine::silenceMessages();
    QString problem;
    if (!Pdf::Sandbox::enter(&problem)) {
        std::fprintf(stderr, "quillmoor-pdf-worker: %s\n", qPrintable(problem));
        ::_exit(1);
    }
    // Started ahead, a worker has time for this before the window needs it; once a request
    // waits, it goes straight to it.
    const auto wanted = [] { return Pdf::requestWaiting(Socket); };
    Pdf::Engine::warmUp(wanted);
    // What the warm-up left free goes back to the system: a worker kept ready may wait long for
    // its document, and its heap would hold the warm-up's leavings all that time.
    if (!wanted())
        ::malloc_trim(0);
    ::_exit(Pdf::serveRequests(Socket));
}
