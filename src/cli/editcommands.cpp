// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "cli/progressprinter.h"
#include "core/book/bookediting.h"
#include "core/book/contentsindex.h"
#include "core/book/scratchfolder.h"
#include "core/sources/sourcefiles.h"
#include "core/state/readingplaces.h"

namespace Cli
{

namespace
{

// A chapter number or place as the user wrote it: decimal, from 1.
bool parseNumber(const QString &text, int *number)
{
    bool ok = false;
    *number = text.toInt(&ok);
    return ok && *number >= 1;
}

QString refusalText(PlanRefusal refusal, const QString &given, int chapters)
{
    switch (refusal) {
    case PlanRefusal::NoSuchChapter:
        return QStringLiteral("no chapter %1 (the book has %2)").arg(given).arg(chapters);
    case PlanRefusal::NoSuchPlace:
        return QStringLiteral("no place %1 in a book of %2 chapters").arg(given).arg(chapters);
    case PlanRefusal::OnlyChapter:
        return QStringLiteral("the only chapter of a book cannot be removed");
    case PlanRefusal::AmpersandInName:
        return QStringLiteral("a chapter name may not hold \"&\": the bookmarks of the chapter "
                              "are split there");
    case PlanRefusal::NotAPdf:
        return QStringLiteral("%1: not a PDF file").arg(given);
    case PlanRefusal::NothingAdded:
    case PlanRefusal::None:
        break;
    }
    return QString();
}

// The name as the index will hold it, said when it is not the name given.
void tellMendedName(const QString &command, const QString &name)
{
    const QString stored = ContentsIndex::storedChapterName(name);
    if (stored != name)
        printError(QStringLiteral("quillmoor-book %1: the name is written as \"%2\"")
                       .arg(command, printableName(stored)));
}

int applyPlan(const QString &command, const Book &book, const ChapterPlan &plan, bool dropBookmarks)
{
    const ScratchFolder scratch;
    ProgressPrinter printer;
    const EditResult result =
        EditBook({book.path, book.contents, plan, dropBookmarks, scratch.path()},
                 [&](const GenerationProgress &progress) {
                     printer.show(progress);
                     return true;
                 });
    printer.finish();
    switch (result.outcome) {
    case EditOutcome::Done:
        break;
    case EditOutcome::HasBookmarks:
        printFileError(command, book.path,
                       QStringLiteral("the chapter removed has bookmarks, %1 line(s); "
                                      "--drop-bookmarks removes them with it")
                           .arg(result.bookmarkLines));
        return Failure;
    case EditOutcome::BookChanged:
        printFileError(command, book.path,
                       QStringLiteral("the book was changed meanwhile; nothing was done"));
        return Failure;
    case EditOutcome::Failed:
        printFileError(command, result.file, result.cause);
        return Failure;
    }
    if (result.bookmarkLines > 0)
        printError(QStringLiteral("quillmoor-book %1: bookmark lines dropped: %2")
                       .arg(command)
                       .arg(result.bookmarkLines));
    ReadingPlaces(StateStore::defaultFolder())
        .followChapters(book.path, book.contents.lines, ContentsIndex::parse(result.indexBytes),
                        plan.newRowOf());
    return Success;
}

// Reads the book, lets `change` make its plan and applies it. The option `required`, when
// given, must be set.
int editBook(
    const QString &command, QCommandLineParser &parser, const QStringList &arguments,
    int positionals, bool orMore, const QString &required,
    const std::function<PlanRefusal(ChapterPlan &, const QStringList &, QString *)> &change)
{
    if (!parseCommandLine(parser, command, arguments, positionals, orMore))
        return UsageError;
    if (!required.isEmpty() && !parser.isSet(required)) {
        printError(QStringLiteral("quillmoor-book %1: --%2 is required").arg(command, required));
        return UsageError;
    }
    Book book;
    if (!readBook(command, parser.positionalArguments().at(0), &book))
        return Failure;
    ChapterPlan plan(book.contents);
    QString given;
    const PlanRefusal refusal = change(plan, parser.positionalArguments().mid(1), &given);
    if (refusal != PlanRefusal::None) {
        printFileError(command, book.path,
                       refusalText(refusal, given, int(book.contents.lines.size())));
        return Failure;
    }
    return applyPlan(command, book, plan,
                     parser.optionNames().contains(QStringLiteral("drop-bookmarks")));
}

} // namespace

int runAdd(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("at"), QString(), QStringLiteral("N")});
    return editBook(QStringLiteral("add"), parser, arguments, 2, true, QString(),
                    [&](ChapterPlan &plan, const QStringList &files, QString *given) {
                        int at = 0;
                        *given = parser.value(QStringLiteral("at"));
                        if (parser.isSet(QStringLiteral("at")) && !parseNumber(*given, &at))
                            return PlanRefusal::NoSuchPlace;
                        const PlanRefusal refusal = plan.add(files, at);
                        if (refusal == PlanRefusal::NotAPdf) {
                            for (const QString &file : files)
                                *given = SourceFiles::isPdfPath(file) ? *given : file;
                        }
                        return refusal;
                    });
}

int runRemove(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(QCommandLineOption(QStringLiteral("drop-bookmarks")));
    return editBook(QStringLiteral("remove"), parser, arguments, 2, false, QString(),
                    [](ChapterPlan &plan, const QStringList &rest, QString *given) {
                        *given = rest.at(0);
                        return plan.remove(rest.at(0).toInt());
                    });
}

int runMove(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption({QStringLiteral("to"), QString(), QStringLiteral("M")});
    return editBook(QStringLiteral("move"), parser, arguments, 2, false, QStringLiteral("to"),
                    [&](ChapterPlan &plan, const QStringList &rest, QString *given) {
                        *given = rest.at(0);
                        const PlanRefusal refusal = plan.move(
                            rest.at(0).toInt(), parser.value(QStringLiteral("to")).toInt());
                        if (refusal == PlanRefusal::NoSuchPlace)
                            *given = parser.value(QStringLiteral("to"));
                        return refusal;
                    });
}

int runRename(const QStringList &arguments)
{
    QCommandLineParser parser;
    return editBook(QStringLiteral("rename"), parser, arguments, 3, false, QString(),
                    [](ChapterPlan &plan, const QStringList &rest, QString *given) {
                        *given = rest.at(0);
                        const PlanRefusal refusal = plan.rename(rest.at(0).toInt(), rest.at(1));
                        if (refusal == PlanRefusal::None)
                            tellMendedName(QStringLiteral("rename"), rest.at(1));
                        return refusal;
                    });
}

} // namespace Cli
