// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

#include <sys/types.h>

// Starting a worker program. Its descriptor 3 is `socket`, 4 is `running` (the pipe that tells
// when it runs its own code), 2 is `diagnostics`, and 0 and 1 are /dev/null: none of them is
// ours, which it could read or cut. Every other descriptor of the caller's must be closed on
// exec, and the three given must be above 4, so that their duplicates stay open.
//
// Where the system makes user namespaces, the worker starts as the first process of a PID
// namespace of its own (in a user namespace, which makes that possible without privileges, with
// the caller's ids kept): it can name no other process, and no other can name it but from
// outside. Elsewhere it starts as a plain child. Either way the pid returned is the one the
// caller's namespace knows it by, -1 when it could not be started.
namespace Pdf
{

constexpr int WorkerSocket = 3;
// Open in the worker until it runs its own code: its first act closes every descriptor above
// the socket.
constexpr int WorkerRunning = WorkerSocket + 1;

pid_t spawnWorker(const QString &program, int socket, int running, int diagnostics);

} // namespace Pdf
