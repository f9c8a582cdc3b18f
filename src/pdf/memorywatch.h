// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

#include <sys/types.h>

// Watches the resident memory of the running workers: every 100 ms it reads /proc/PID/statm of
// each, and kills one past the limit (workerlimits.h) at once. One thread for the program, asleep
// while no worker runs.
namespace Pdf::MemoryWatch
{

void watch(pid_t pid);
// True when the watch killed `pid` for its memory.
bool killedForMemory(pid_t pid);
// Stops watching `pid`: before it is collected, so that its number is never some other
// process's.
void forget(pid_t pid);

} // namespace Pdf::MemoryWatch
