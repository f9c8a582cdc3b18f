// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/toolfailure.h"

#include <QProcess>
#include <QStringList>

QString ToolFailure(QProcess &process, const QString &prefix, const QString &crashed)
{
    QStringList reasons;
    const QStringList lines =
        QString::fromUtf8(process.readAllStandardError()).split(QLatin1Char('\n'));
    for (const QString &line : lines) {
        if (!line.trimmed().isEmpty())
            reasons << (line.startsWith(prefix) ? line.mid(prefix.size()) : line);
    }
    if (process.exitStatus() == QProcess::CrashExit || reasons.isEmpty())
        return crashed;
    return reasons.join(QLatin1Char('\n'));
}
