// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>

class QProcess;

// Why the book tool, run by a window, failed: its own lines on stderr without the `prefix` it
// puts before them ("quillmoor-book export: "), or `crashed` for a tool that died or said
// nothing usable.
QString ToolFailure(QProcess &process, const QString &prefix, const QString &crashed);
