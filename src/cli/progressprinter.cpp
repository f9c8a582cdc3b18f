// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/progressprinter.h"

#include <cstdio>
#include <unistd.h>

ProgressPrinter::ProgressPrinter() : m_enabled(::isatty(STDERR_FILENO) == 1) {}

void ProgressPrinter::show(const GenerationProgress &progress)
{
    if (!m_enabled || progress.bytesTotal <= 0)
        return;
    const int percent = int(progress.bytesDone * 100 / progress.bytesTotal);
    if (percent == m_lastPercent)
        return;
    m_lastPercent = percent;
    const int width = 40;
    const int filled = percent * width / 100;
    std::fprintf(stderr, "\r[%.*s%*s] %3d%%  %d/%d", filled,
                 "########################################", width - filled, "", percent,
                 progress.chaptersDone, progress.chapterCount);
    std::fflush(stderr);
}

void ProgressPrinter::finish()
{
    if (m_enabled && m_lastPercent >= 0)
        std::fputc('\n', stderr);
}
