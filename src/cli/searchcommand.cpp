// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "search/booksearch.h"

namespace Cli
{

// One line a match: chapter and page from 1, the chapter's name and the match in its context.
int runSearch(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parseCommandLine(parser, QStringLiteral("search"), arguments, 2))
        return UsageError;
    const QString bookPath = parser.positionalArguments().at(0);
    const QString text = parser.positionalArguments().at(1);
    if (text.isEmpty()) {
        printError(QStringLiteral("quillmoor-book search: the text to find is empty"));
        return UsageError;
    }
    const BookContents contents = BookReader::readContents(bookPath);
    QString error = contents.error;
    bool found = false;
    const BookSearch::Listener listener{
        [&found](const BookSearch::Match &match) {
            found = true;
            printOutput(QStringLiteral("%1\t%2\t%3\t%4")
                            .arg(match.chapter + 1)
                            .arg(match.page + 1)
                            .arg(printable(match.chapterName), printable(match.context)));
        },
        [](int chapter, const QString &name, const QString &reason) {
            printError(QStringLiteral("quillmoor-book search: chapter %1 (%2) skipped: %3")
                           .arg(chapter + 1)
                           .arg(printable(name), reason));
        },
        [](int) { return true; }, nullptr};
    BookSearch::silencePoppler();
    if (!contents.ok || BookSearch::run(bookPath, contents, text, listener, &error) ==
                            BookSearch::Outcome::BookUnreadable) {
        printFileError(QStringLiteral("search"), bookPath, error);
        return Unreadable;
    }
    return found ? Success : Failure;
}

} // namespace Cli
