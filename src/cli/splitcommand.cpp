// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "core/book/contentsindex.h"
#include "pdfwrite/pdfsplit.h"

#include <QCommandLineParser>

namespace Cli
{

int runSplit(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(
        {{QStringLiteral("n"), QStringLiteral("name")}, QString(), QStringLiteral("NAME")});
    parser.addOption(
        {{QStringLiteral("o"), QStringLiteral("out")}, QString(), QStringLiteral("FOLDER")});
    if (!parseCommandLine(parser, QStringLiteral("split"), arguments, 1))
        return UsageError;
    const QString name = parser.value(QStringLiteral("name"));
    const QString folder = parser.value(QStringLiteral("out"));
    if (name.isEmpty() || folder.isEmpty()) {
        printError(QStringLiteral("quillmoor-book split: --name and --out are required"));
        return UsageError;
    }
    const QString pdfPath = parser.positionalArguments().at(0);
    const SplitResult result = SplitPdf(pdfPath, name, folder, enterPdfCage);
    if (!result.ok) {
        if (result.file.isEmpty())
            printError(QStringLiteral("quillmoor-book split: %1").arg(result.cause));
        else
            printFileError(QStringLiteral("split"), result.file, result.cause);
        return Failure;
    }
    for (int i = 0; i < result.titles.size(); ++i) {
        const QString &title = result.titles.at(i);
        const QString written = ContentsIndex::safeChapterName(title);
        if (written != title)
            printError(
                QStringLiteral("quillmoor-book split: chapter %1: name \"%2\" written as "
                               "\"%3\"")
                    .arg(QString::number(i + 1), printableName(title), printableName(written)));
    }
    printOutput(result.bookPath);
    return Success;
}

} // namespace Cli
