// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QtGlobal>

#include <chrono>

namespace Pdf
{

// What a worker may take. The window watches, rather than sets, the memory: an address-space
// limit would stop the sanitizer builds, whose shadow memory is terabytes of address space.
struct WorkerLimits {
    qint64 memory = qint64(1) << 30; // resident bytes
    std::chrono::milliseconds deadline{10000};
};

// Read afresh at every look and every job, so that a change holds for the workers running too.
WorkerLimits workerLimits();
// For the tests, which break the limits on purpose and cannot wait ten seconds each time.
void setWorkerLimits(const WorkerLimits &limits);

} // namespace Pdf
