// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "core/book/contentsindex.h"
#include "core/bookmarks/pendingbookmarks.h"
#include "pdf/sandbox.h"

#include <QTextStream>

namespace Cli
{

void printError(const QString &text)
{
    QTextStream(stderr) << text << '\n';
}

void printFileError(const QString &command, const QString &path, const QString &reason)
{
    printError(QStringLiteral("quillmoor-book %1: %2: %3").arg(command, path, reason));
}

void printOutput(const QString &text)
{
    QTextStream(stdout) << text << '\n';
}

QString printable(const QString &text)
{
    QString shown = text;
    for (QChar &c : shown) {
        if (c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return shown;
}

QString printableName(const QString &name)
{
    return printable(ContentsIndex::shownName(name));
}

bool enterPdfCage(QString *problem)
{
    return Pdf::Sandbox::enter(problem);
}

bool parseCommandLine(QCommandLineParser &parser, const QString &command,
                      const QStringList &arguments, int positionals, bool orMore)
{
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    // QCommandLineParser takes the program name first.
    if (!parser.parse(QStringList{command} + arguments)) {
        printError(QStringLiteral("quillmoor-book %1: %2").arg(command, parser.errorText()));
        return false;
    }
    const qsizetype given = parser.positionalArguments().size();
    if (given == positionals || (orMore && given > positionals))
        return true;
    printError(
        QStringLiteral("quillmoor-book %1: wrong number of arguments (see --help)").arg(command));
    return false;
}

int openBook(QCommandLineParser &parser, const QString &command, const QStringList &arguments,
             int positionals, Book *book, ExitCode unreadable,
             const std::function<bool(const QStringList &positionals)> &argumentsFit)
{
    if (!parseCommandLine(parser, command, arguments, positionals) ||
        (argumentsFit && !argumentsFit(parser.positionalArguments())))
        return UsageError;
    if (readBook(command, parser.positionalArguments().at(0), book, unreadable != Success))
        return Success;
    return unreadable;
}

bool readBook(const QString &command, const QString &path, Book *book, bool tell)
{
    book->path = path;
    PendingBookmarks::complete(path);
    book->contents = BookReader::readContents(path);
    if (!book->contents.ok && tell)
        printFileError(command, path, book->contents.error);
    return book->contents.ok;
}

} // namespace Cli
