// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "cli/progressprinter.h"
#include "core/book/bookgenerator.h"
#include "core/book/scratchfolder.h"
#include "core/links/leftovercheck.h"
#include "core/sources/sourcefiles.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace Cli
{

namespace
{

// A folder gives its PDF files in the folder order, as the book-making window's add-folder
// command does; a file is taken as it is.
bool collectSources(const QStringList &paths, QList<SourceEntry> *sources)
{
    for (const QString &path : paths) {
        const QStringList files =
            QFileInfo(path).isDir() ? SourceFiles::pdfFilesInFolder(path) : QStringList{path};
        for (const QString &file : files) {
            if (!SourceFiles::isPdfPath(file)) {
                printError(QStringLiteral("quillmoor-book make: %1: not a PDF file").arg(file));
                return false;
            }
            sources->append({SourceFiles::chapterNameOf(file), file});
        }
    }
    return true;
}

QString describeFailure(const GenerationResult &result)
{
    if (result.file.isEmpty())
        return QStringLiteral("quillmoor-book make: %1").arg(result.cause);
    return QStringLiteral("quillmoor-book make: %1: %2").arg(result.file, result.cause);
}

} // namespace

int runMake(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(
        {{QStringLiteral("n"), QStringLiteral("name")}, QString(), QStringLiteral("NAME")});
    parser.addOption(
        {{QStringLiteral("o"), QStringLiteral("out")}, QString(), QStringLiteral("FOLDER")});
    if (!parseCommandLine(parser, QStringLiteral("make"), arguments, 1, true))
        return UsageError;
    if (!parser.isSet(QStringLiteral("name")) || !parser.isSet(QStringLiteral("out"))) {
        printError(QStringLiteral("quillmoor-book make: --name and --out are required"));
        return UsageError;
    }

    GenerationRequest request;
    request.bookName = parser.value(QStringLiteral("name"));
    request.saveFolder = parser.value(QStringLiteral("out"));
    request.programFolder = QCoreApplication::applicationDirPath();
    request.runningProgram = QCoreApplication::applicationFilePath();
    const ScratchFolder scratch;
    request.scratchFolder = scratch.path();
    if (!collectSources(parser.positionalArguments(), &request.sources))
        return Failure;

    ProgressPrinter printer;
    const std::optional<GenerationResult> stuck = Module1::RemoveLeftoverExecutable(request);
    const GenerationResult result =
        stuck ? *stuck : GenerateBook(request, [&](const GenerationProgress &progress) {
            printer.show(progress);
            return true;
        });
    printer.finish();
    switch (result.outcome) {
    case GenerationOutcome::Written:
        printOutput(result.bookPath);
        return Success;
    case GenerationOutcome::FieldsMissing:
        printError(
            QStringLiteral("quillmoor-book make: the book name and the folder must not be blank"));
        return UsageError;
    case GenerationOutcome::Failed:
    case GenerationOutcome::Cancelled:
        break;
    }
    printError(describeFailure(result));
    return Failure;
}

} // namespace Cli
