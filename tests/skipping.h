// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QTest>
#include <QtGlobal>

// Skips the rest of a test this machine lacks a tool, a privilege or a kernel feature for. Under
// CI (the variable CI set), whose machine has them all, the lack fails the test instead: a test
// skipped there would pass having tested nothing.
#define SKIP_WHERE_LACKING(why)                                                                    \
    do {                                                                                           \
        if (!qEnvironmentVariableIsEmpty("CI"))                                                    \
            QFAIL("CI lacks what this test needs: " why);                                          \
        QSKIP(why);                                                                                \
    } while (false)
