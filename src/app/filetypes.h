// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Registers the program, for the current user only, as the opener of books (".VELM", in any
// letter case) and PDF files, the freedesktop way:
//
//   $XDG_DATA_HOME/mime/packages/quillmoor-velm.xml   the type application/x-velm, "VELM file"
//   $XDG_DATA_HOME/applications/quillmoor.desktop     the program, opening one file: Exec=PROGRAM
//   %f $XDG_DATA_HOME/applications/quillmoor.svg         the program's icon
//   $XDG_CONFIG_HOME/mimeapps.list                    the program as default for both types
//
// XDG_DATA_HOME defaults to ~/.local/share, XDG_CONFIG_HOME to ~/.config. A file is written only
// when its contents change, atomically; in mimeapps.list only the two default lines change.
// The MIME and desktop databases are updated when their files changed and the tools exist.
// Every failure is silent: the program starts all the same.
namespace Module1
{

void RegisterFileTypes(const QString &programPath);

} // namespace Module1

namespace FileTypes
{

// The Exec value of the desktop entry: the program path, quoted and escaped by the desktop
// entry rules where it needs to be, then " %f".
QString execValue(const QString &programPath);

// `mimeappsList` with the program as the default for both types in [Default Applications],
// everything else kept as it was.
QByteArray withDefaults(const QByteArray &mimeappsList);

} // namespace FileTypes
