// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QFile>

#include <cstdio>

// What the window drivers print and measure.
namespace DriverReport
{

// One "name value" line of a driver's output, written at once.
inline void report(const char *name, double value)
{
    std::printf("%s %.1f\n", name, value);
    std::fflush(stdout);
}

// A field of /proc/self/status in KiB ("VmRSS:", "VmHWM:"); -1 when it cannot be read.
inline long long statusKib(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace DriverReport
