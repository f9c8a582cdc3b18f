// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

namespace Module1
{

// A base folder of the freedesktop layout: the variable (XDG_DATA_HOME, XDG_STATE_HOME, ...)
// when it holds an absolute path, the default below the home folder otherwise; a relative path
// counts as not set.
QString XdgBaseFolder(const char *variable, const QString &fallbackBelowHome);

} // namespace Module1
