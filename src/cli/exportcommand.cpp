// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "pdfwrite/bookexport.h"

#include <QCommandLineParser>

#include <atomic>
#include <csignal>
#include <cstdio>

namespace Cli
{

namespace
{

// Set by SIGTERM: the reader window stops an export it runs this way. Lock-free, so a signal
// handler may set it.
std::atomic<bool> stopRequested{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void requestStop(int)
{
    stopRequested.store(true);
}

// "progress DONE COUNT" for the window that runs the export, at once, not when stdout fills.
void printProgress(int done, int count)
{
    printOutput(QStringLiteral("progress %1 %2").arg(done).arg(count));
    std::fflush(stdout);
}

} // namespace

int runExport(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("progress"), QString()});
    Book book;
    if (const int failed = openBook(parser, QStringLiteral("export"), arguments, 2, &book))
        return failed;
    const QString outPath = parser.positionalArguments().at(1);
    std::signal(SIGTERM, requestStop);
    ExportControl control;
    control.stop = &stopRequested;
    control.cage = enterPdfCage;
    if (parser.isSet(QStringLiteral("progress")))
        control.progress = printProgress;

    const ExportResult result = ExportBook(book.path, book.contents, outPath, control);
    if (result.outcome == ExportResult::Written) {
        printOutput(outPath);
        return Success;
    }
    QString cause = result.cause;
    if (result.outcome == ExportResult::ChapterRefused) {
        cause =
            QStringLiteral("chapter %1 \"%2\": %3")
                .arg(QString::number(result.chapter + 1),
                     printableName(book.contents.lines.at(result.chapter).name()), result.cause);
    }
    printFileError(QStringLiteral("export"), result.file, cause);
    return Failure;
}

} // namespace Cli
