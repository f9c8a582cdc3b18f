// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "pdfwrite/pagecut.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>

#include <optional>

namespace Cli
{

namespace
{

const QString Command = QStringLiteral("pages");

// "1-3,5" as pages from 0: 0, 1, 2, 4. Nothing for a text that is no such list.
std::optional<QList<int>> pageList(const QString &text)
{
    static const QRegularExpression item(QStringLiteral("^(\\d{1,9})(?:-(\\d{1,9}))?$"));
    QList<int> pages;
    for (const QString &part : text.split(QLatin1Char(','))) {
        const QRegularExpressionMatch match = item.match(part.trimmed());
        if (!match.hasMatch())
            return std::nullopt;
        const int first = match.captured(1).toInt();
        const int last = match.hasCaptured(2) ? match.captured(2).toInt() : first;
        // A range is as long as the document at most, which the cut checks page by page.
        if (first < 1 || last < first || last - first > 1000000)
            return std::nullopt;
        for (int page = first; page <= last; ++page)
            pages << page - 1;
    }
    return pages;
}

std::optional<qint64> number(const QCommandLineParser &parser, const QString &name, qint64 least)
{
    bool ok = true;
    const qint64 value =
        parser.isSet(name) ? parser.value(name).toLongLong(&ok) : std::max<qint64>(least, 0);
    if (!ok || value < least)
        return std::nullopt;
    return value;
}

bool usageError(const QString &text)
{
    printError(QStringLiteral("quillmoor-book pages: ") + text);
    return false;
}

// The source as the options give it; false, told, for an option that does not fit.
bool readSource(const QCommandLineParser &parser, PageSource *source)
{
    source->path = parser.positionalArguments().at(0);
    const std::optional<qint64> offset = number(parser, QStringLiteral("offset"), 0);
    const std::optional<qint64> length = number(parser, QStringLiteral("length"), 1);
    if (!offset)
        return usageError(QStringLiteral("--offset is not a byte offset"));
    if (parser.isSet(QStringLiteral("length")) && !length)
        return usageError(QStringLiteral("--length is not a byte count"));
    source->offset = *offset;
    source->length = parser.isSet(QStringLiteral("length")) ? *length : -1;
    if (parser.isSet(QStringLiteral("password-stdin"))) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return usageError(QStringLiteral("the password cannot be read"));
        source->password = QString::fromUtf8(in.readLine()).remove(QLatin1Char('\n'));
    }
    return true;
}

} // namespace

int runPages(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("pages"), QString(), QStringLiteral("LIST")});
    parser.addOption({QStringLiteral("offset"), QString(), QStringLiteral("BYTES")});
    parser.addOption({QStringLiteral("length"), QString(), QStringLiteral("BYTES")});
    parser.addOption({QStringLiteral("turns"), QString(), QStringLiteral("N")});
    parser.addOption({QStringLiteral("password-stdin"), QString()});
    if (!parseCommandLine(parser, Command, arguments, 2))
        return UsageError;
    const std::optional<QList<int>> pages = pageList(parser.value(QStringLiteral("pages")));
    if (!pages) {
        usageError(QStringLiteral("--pages takes page numbers from 1 and ranges, as 1-3,5"));
        return UsageError;
    }
    bool turnsRead = true;
    const int turns = parser.isSet(QStringLiteral("turns"))
                          ? parser.value(QStringLiteral("turns")).toInt(&turnsRead)
                          : 0;
    if (!turnsRead) {
        usageError(QStringLiteral("--turns takes a number of quarter turns clockwise"));
        return UsageError;
    }
    PageSource source;
    if (!readSource(parser, &source))
        return UsageError;
    const QString outPath = parser.positionalArguments().at(1);
    const PageCutResult result = CutPages(source, *pages, turns % 4, outPath, enterPdfCage);
    if (!result.ok) {
        printFileError(Command, result.file, result.cause);
        return Failure;
    }
    printOutput(outPath);
    return Success;
}

} // namespace Cli
