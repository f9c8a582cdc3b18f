// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class ReaderWindows;
struct AppServices;

namespace Module1
{

// The program: registers the two file types, shows the reader window and runs until it is
// closed. Returns the program's exit code.
int Main(int argc, char *argv[]);

// The program's windows with the reader window loaded with `commandLine` and shown. When its view
// cannot be made, tells the user a PDF viewer is needed, opens the page where one can be had and
// returns nullptr.
std::unique_ptr<ReaderWindows> StartReader(const AppServices &services, const QString &commandLine);

// The document path the program was started with: every argument after the program's own
// name, joined with single blanks, so that a path with blanks arrives whole even unquoted.
QString CommandLineOf(const QStringList &arguments);

// Qt's own texts (the buttons of every dialog, the file dialogs) in Chinese whatever the user's
// locale, since the whole interface is Chinese. Without Qt's translations installed they stay
// as Qt has them.
void LoadQtTranslations();

// Numbers, dates and the descriptions of file types that Qt writes itself, in Chinese whatever
// the user's locale. Nothing the program stores goes through a locale.
void SetApplicationLocale();

// The font every window starts from, at a pixel size at which the captions fit the windows'
// design, and the substitute for the font the design names "宋体".
void SetApplicationFont();

} // namespace Module1
