// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/threads/residentmemory.h"

#include <QFile>
#include <QList>

#include <unistd.h>

qint64 ResidentBytes(pid_t pid)
{
    QFile statm(QStringLiteral("/proc/%1/statm").arg(pid));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readLine(256).split(' ');
    return fields.size() > 1 ? fields.at(1).toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}
