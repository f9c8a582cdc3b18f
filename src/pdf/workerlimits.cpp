// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/workerlimits.h"

#include <mutex>

namespace Pdf
{

namespace
{
std::mutex limitsMutex;
WorkerLimits limits;
} // namespace

WorkerLimits workerLimits()
{
    const std::lock_guard lock(limitsMutex);
    return limits;
}

void setWorkerLimits(const WorkerLimits &changed)
{
    const std::lock_guard lock(limitsMutex);
    limits = changed;
}

} // namespace Pdf
