// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

#include <sys/types.h>

// The resident bytes of process `pid`, as /proc/PID/statm gives them (its second field, in pages);
// 0 when they cannot be read, as for a process that has just ended. Linux only.
qint64 ResidentBytes(pid_t pid);
