// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "core/book/bookreader.h"

namespace Cli
{

int runList(const QStringList &arguments)
{
    QCommandLineParser parser;
    if (!parseCommandLine(parser, QStringLiteral("list"), arguments, 1))
        return UsageError;
    const QString bookPath = parser.positionalArguments().at(0);
    const BookContents contents = BookReader::readContents(bookPath);
    if (!contents.ok) {
        printFileError(QStringLiteral("list"), bookPath, contents.error);
        return Failure;
    }
    for (int i = 0; i < contents.lines.size(); ++i) {
        const ContentsIndex::Line &line = contents.lines.at(i);
        const QString start = line.valid ? QString::number(line.start) : QStringLiteral("?");
        const QString length = line.valid ? QString::number(line.length) : QStringLiteral("?");
        printOutput(
            QStringLiteral("%1\t%2\t%3\t%4").arg(i + 1).arg(start, length, printable(line.name)));
    }
    return Success;
}

} // namespace Cli
