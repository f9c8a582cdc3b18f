// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"
#include "core/version.h"

#include <QCoreApplication>
#include <QTextStream>

namespace
{

const char Usage[] =
    "Usage:\n"
    "  quillmoor-book make --name NAME --out FOLDER SOURCE...\n"
    "      Writes FOLDER/NAME.VELM from PDF files and folders of PDF files, in order.\n"
    "  quillmoor-book list BOOK\n"
    "      One line per chapter: number, start, length and name, separated by tabs.\n"
    "  quillmoor-book extract BOOK NUMBER [--out FILE]\n"
    "      Writes chapter NUMBER (from 1), by default to its name + \".pdf\" here.\n"
    "  quillmoor-book check BOOK\n"
    "      Prints OK for a sound book, or every problem found.\n"
    "  quillmoor-book search BOOK TEXT [--progress]\n"
    "      One line per match, letter case ignored: chapter, page, chapter name and the match\n"
    "      with up to 20 characters either side, separated by tabs. Exit 0 found, 1 not found.\n"
    "  quillmoor-book add BOOK FILE... [--at N]\n"
    "      Adds PDF files as chapters N, N+1, ... (by default at the end).\n"
    "  quillmoor-book remove BOOK N [--drop-bookmarks]\n"
    "      Removes chapter N; refused when it has bookmarks, unless they go with it.\n"
    "  quillmoor-book move BOOK N --to M\n"
    "      Moves chapter N so that it becomes chapter M.\n"
    "  quillmoor-book rename BOOK N NAME\n"
    "      Renames chapter N. The book's bookmarks follow every change of its chapters.\n"
    "  quillmoor-book export BOOK OUT [--progress]\n"
    "      Writes the book as one PDF: the chapters' pages, links and outlines, an outline\n"
    "      entry per chapter and one for the bookmarks, and page labels N-1, N-2... for chapter "
    "N.\n"
    "  quillmoor-book split PDF --name NAME --out FOLDER\n"
    "      Writes FOLDER/NAME.VELM with one chapter per top-level outline section of PDF.\n"
    "  quillmoor-book pages SOURCE OUT --pages LIST [--offset BYTES --length BYTES]\n"
    "                       [--turns N] [--password-stdin]\n"
    "      Writes pages LIST (from 1, as 1-3,5) of the PDF SOURCE, or of the PDF at BYTES of it,\n"
    "      as a PDF of their own, turned N quarter turns clockwise further: for printing.\n"
    "  quillmoor-book --help | --version\n";

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("quillmoor-book"));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLMOOR_VERSION));
    QStringList arguments = app.arguments().mid(1);
    const QString command = arguments.isEmpty() ? QString() : arguments.takeFirst();

    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        QTextStream(stdout) << Usage;
        return Cli::Success;
    }
    if (command == QLatin1String("--version")) {
        Cli::printOutput(QStringLiteral("quillmoor-book " QUILLMOOR_VERSION));
        return Cli::Success;
    }
    const std::pair<const char *, int (*)(const QStringList &)> commands[] = {
        {"make", Cli::runMake},     {"list", Cli::runList},     {"extract", Cli::runExtract},
        {"check", Cli::runCheck},   {"search", Cli::runSearch}, {"add", Cli::runAdd},
        {"remove", Cli::runRemove}, {"move", Cli::runMove},     {"rename", Cli::runRename},
        {"export", Cli::runExport}, {"split", Cli::runSplit},   {"pages", Cli::runPages}};
    for (const auto &[name, run] : commands) {
        if (command == QLatin1String(name))
            return run(arguments);
    }

    if (!command.isEmpty())
        Cli::printError(QStringLiteral("quillmoor-book: unknown command '%1'").arg(command));
    QTextStream(stderr) << Usage;
    return Cli::UsageError;
}
