// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <cstring>

// What the parts of the cage share: how a part that cannot be made is told, and the line that
// maps an id onto itself in a new user namespace.
namespace Pdf::Sandbox
{

// Sets `problem`, when given, to "WHAT: the system's reason for ERROR"; always false.
inline bool failed(QString *problem, const char *what, int error)
{
    if (problem)
        *problem = QStringLiteral("%1: %2").arg(QLatin1String(what),
                                                QString::fromLocal8Bit(std::strerror(error)));
    return false;
}

// The line of /proc/PID/uid_map or gid_map by which `id` stays itself inside: "ID ID 1". Files
// read keep their owners, and what the process makes is owned by it.
inline QByteArray sameIdInside(unsigned id)
{
    const QByteArray number = QByteArray::number(id);
    return number + ' ' + number + " 1";
}

} // namespace Pdf::Sandbox
