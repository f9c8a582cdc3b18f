// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

// The worker program's side of the conversation (protocol.h): reads requests from `socket`,
// reads the document with the engine and answers, until the window closes the socket. Returns
// the program's exit status: 0 when the window hung up, 2 for a malformed request. While no
// request waits, it finds where each page of the document lies, a few pages at a time.
namespace Pdf
{
int serveRequests(int socket);
// A request, or the socket's end, waits to be read.
bool requestWaiting(int socket);
} // namespace Pdf
