// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "core/book/bookreader.h"

namespace Cli
{

namespace
{

// Every problem of a book whose trailer and index could be read: damaged lines, chapters that
// do not follow one another from position 1 up to the index, chapters that are no PDF.
QStringList chapterProblems(const QString &bookPath, const BookContents &contents)
{
    QStringList problems;
    if (contents.lines.isEmpty())
        problems << QStringLiteral("the index names no chapter");
    QFile book(bookPath);
    const bool readable = book.open(QIODevice::ReadOnly);
    qint64 expectedStart = 1;
    for (int i = 0; i < contents.lines.size(); ++i) {
        const ContentsIndex::Line &line = contents.lines.at(i);
        const QString chapter = QStringLiteral("chapter %1").arg(i + 1);
        if (!line.valid) {
            problems << QStringLiteral("%1: damaged index line \"%2\"")
                            .arg(chapter, printableName(line.text));
            continue;
        }
        if (line.start != expectedStart)
            problems << QStringLiteral("%1: starts at %2, expected %3")
                            .arg(chapter)
                            .arg(line.start)
                            .arg(expectedStart);
        expectedStart = qint64(line.start) + line.length;
        if (!contents.chapterReadable(i)) {
            problems << QStringLiteral("%1: runs past the start of the index").arg(chapter);
            continue;
        }
        if (!readable || !book.seek(line.start - 1) || book.read(5) != "%PDF-")
            problems << QStringLiteral("%1: does not begin with %PDF-").arg(chapter);
    }
    if (!contents.lines.isEmpty() && expectedStart - 1 != contents.chapterAreaSize)
        problems << QStringLiteral("the chapters end at %1 but the index begins at %2")
                        .arg(expectedStart - 1)
                        .arg(contents.chapterAreaSize);
    return problems;
}

} // namespace

int runCheck(const QStringList &arguments)
{
    QCommandLineParser parser;
    Book book;
    if (const int failed = openBook(parser, QStringLiteral("check"), arguments, 1, &book, Success))
        return failed;
    const QString &bookPath = book.path;
    const QStringList problems = book.contents.ok ? chapterProblems(bookPath, book.contents)
                                                  : QStringList{book.contents.error};
    if (problems.isEmpty()) {
        printOutput(QStringLiteral("OK"));
        return Success;
    }
    for (const QString &problem : problems)
        printOutput(QStringLiteral("%1: %2").arg(bookPath, problem));
    return Failure;
}

} // namespace Cli
