// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/basefolder.h"

#include <QDir>

QString Module1::XdgBaseFolder(const char *variable, const QString &fallbackBelowHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return QDir::home().filePath(fallbackBelowHome);
}
