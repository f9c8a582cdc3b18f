// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

namespace Cli
{

int runList(const QStringList &arguments)
{
    QCommandLineParser parser;
    Book book;
    if (const int failed = openBook(parser, QStringLiteral("list"), arguments, 1, &book))
        return failed;
    const BookContents &contents = book.contents;
    for (int i = 0; i < contents.lines.size(); ++i) {
        const ContentsIndex::Line &line = contents.lines.at(i);
        const QString start = line.valid ? QString::number(line.start) : QStringLiteral("?");
        const QString length = line.valid ? QString::number(line.length) : QStringLiteral("?");
        printOutput(
            QStringLiteral("%1\t%2\t%3\t%4").arg(i + 1).arg(start, length, printable(line.name())));
    }
    return Success;
}

} // namespace Cli
