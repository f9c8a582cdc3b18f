// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"

#include <QCommandLineParser>
#include <QStringList>

#include <functional>

// The commands of quillmoor-book. Each takes the arguments after its own name and returns the
// exit code: 0 done, 1 failed (a message on stderr names the file and the cause), 2 usage error;
// search: 0 found, 1 not found, 3 the book cannot be read.
namespace Cli
{

enum ExitCode { Success = 0, Failure = 1, UsageError = 2, Unreadable = 3 };

int runMake(const QStringList &arguments);
int runList(const QStringList &arguments);
int runExtract(const QStringList &arguments);
int runCheck(const QStringList &arguments);
int runSearch(const QStringList &arguments);
int runAdd(const QStringList &arguments);
int runRemove(const QStringList &arguments);
int runMove(const QStringList &arguments);
int runRename(const QStringList &arguments);
int runExport(const QStringList &arguments);
int runSplit(const QStringList &arguments);
int runPages(const QStringList &arguments);

// Writes a line to stderr or stdout, in UTF-8.
void printError(const QString &text);
// "quillmoor-book COMMAND: PATH: REASON" on stderr.
void printFileError(const QString &command, const QString &path, const QString &reason);
void printOutput(const QString &text);

// Text from a book as it can be printed: control characters (a tab, an escape sequence) become
// "?", so a hostile book can neither break the tab-separated lines nor drive the terminal.
QString printable(const QString &text);
// A chapter's name, or an index line, as a message shows it: printable, and cut as the lists cut
// it, for a name may be megabytes long.
QString printableName(const QString &name);

// Enters the cage the PDF worker reads in: the children that read PDFs with qpdf call it.
bool enterPdfCage(QString *problem);

// Parses a command's arguments: its options, then exactly `positionals` positional arguments
// (at least that many when `orMore`). On a usage error prints it and returns false.
bool parseCommandLine(QCommandLineParser &parser, const QString &command,
                      const QStringList &arguments, int positionals, bool orMore = false);

// The book a command works on, named by its first positional argument.
struct Book {
    QString path;
    BookContents contents;
};

// Parses a command's arguments as parseCommandLine does, the book first, and reads the book's
// index into `book`. Success to go on; UsageError on a usage error, printed; `unreadable` for a
// book that cannot be read, told on stderr with printFileError. With `unreadable` Success nothing
// is told: the command tells it its own way. `argumentsFit`, when given, checks the arguments
// further before the book is read, and prints what does not fit.
int openBook(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
             int positionals, Book *book, ExitCode unreadable = Failure,
             const std::function<bool(const QStringList &positionals)> &argumentsFit = {});

// Reads the index of the book at `path` into `book`, once a change of the book left unfinished is
// finished (pendingbookmarks.h). False for a book that cannot be read, told on stderr with
// printFileError when `tell`.
bool readBook(const QString &command, const QString &path, Book *book, bool tell = true);

} // namespace Cli
