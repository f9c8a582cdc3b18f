// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "pdf/opening.h"
#include "search/booksearch.h"

#include <functional>

namespace Cli
{

namespace
{

// With --progress, "progress DONE COUNT" on stderr each time another hundredth of the chapters
// is searched: a book may hold a million.
std::function<bool(int)> progressPrinter(bool wanted, int count)
{
    if (!wanted)
        return [](int) { return true; };
    return [count, told = -1](int done) mutable {
        const int hundredths = int(qint64(done) * 100 / qMax(count, 1));
        if (hundredths != told)
            printError(QStringLiteral("progress %1 %2").arg(done).arg(count));
        told = hundredths;
        return true;
    };
}

} // namespace

// One line a match: chapter and page from 1, the chapter's name and the match in its context.
int runSearch(const QStringList &arguments)
{
    const auto textGiven = [](const QStringList &positionals) {
        if (positionals.at(1).isEmpty())
            printError(QStringLiteral("quillmoor-book search: the text to find is empty"));
        return !positionals.at(1).isEmpty();
    };
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("progress"), QString()});
    Book book;
    if (const int failed =
            openBook(parser, QStringLiteral("search"), arguments, 2, &book, Unreadable, textGiven))
        return failed;
    const QString text = parser.positionalArguments().at(1);
    bool found = false;
    const BookSearch::Listener listener{
        [&found](const BookSearch::Match &match) {
            found = true;
            printOutput(QStringLiteral("%1\t%2\t%3\t%4")
                            .arg(match.chapter + 1)
                            .arg(match.page + 1)
                            .arg(printable(match.chapterName), printable(match.context)));
        },
        [](int chapter, const QString &name, const QString &reason, BookSearch::Skip) {
            printError(QStringLiteral("quillmoor-book search: chapter %1 (%2) skipped: %3")
                           .arg(chapter + 1)
                           .arg(printableName(name), reason));
        },
        progressPrinter(parser.isSet(QStringLiteral("progress")), int(book.contents.lines.size())),
        nullptr};
    QString error;
    if (BookSearch::run(book.path, book.contents, text, listener, &error) ==
        BookSearch::Outcome::BookUnreadable) {
        printFileError(QStringLiteral("search"), book.path, error);
        return Unreadable;
    }
    return found ? Success : Failure;
}

} // namespace Cli
