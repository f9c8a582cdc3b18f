// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookgenerator.h"

// A one-line progress bar on stderr, drawn only when stderr is a terminal.
class ProgressPrinter
{
public:
    ProgressPrinter();
    void show(const GenerationProgress &progress);
    // Ends the line of the bar, if one was drawn.
    void finish();

private:
    bool m_enabled;
    int m_lastPercent = -1;
};
