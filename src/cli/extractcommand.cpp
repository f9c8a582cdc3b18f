// SPDX-License-Identifier: GPL-2.0-or-later
#include "cli/commands.h"

#include "core/book/bookreader.h"
#include "core/book/safewrite.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

namespace Cli
{

namespace
{

// The chapter name comes from an untrusted file: it may name no other folder, no special entry of
// this one, and no hidden file.
QString safeFileName(const QString &chapterName, int number)
{
    QString name = chapterName;
    for (QChar &c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control)
            c = QLatin1Char('_');
    }
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        name = QStringLiteral("chapter-%1").arg(number);
    for (qsizetype i = 0; i < name.size() && name.at(i) == QLatin1Char('.'); ++i)
        name[i] = QLatin1Char('_');
    return name + QLatin1String(".pdf");
}

bool parseChapterNumber(const QString &text, int count, int *number)
{
    bool ok = false;
    *number = text.toInt(&ok);
    return ok && *number >= 1 && *number <= count;
}

// --out replaces the named file atomically; the default name never replaces anything.
bool writeChapter(const QString &bookPath, const BookContents &contents, int index,
                  const QString &outPath, bool mayReplace, QString *error)
{
    if (mayReplace) {
        QSaveFile out(outPath);
        // Unbuffered: a buffered QSaveFile can lose a short write in commit() and report success.
        if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
            *error = out.errorString();
            return false;
        }
        if (!BookReader::copyChapter(bookPath, contents, index, out, error))
            return false;
        if (!out.commit())
            *error = out.errorString();
        return error->isEmpty();
    }
    QFile out(outPath);
    if (!out.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *error = QFileInfo::exists(outPath)
                     ? QStringLiteral("exists already (use --out to replace it)")
                     : out.errorString();
        return false;
    }
    const bool written =
        BookReader::copyChapter(bookPath, contents, index, out, error) && SafeWrite::syncData(out);
    if (!written) {
        if (error->isEmpty())
            *error = out.errorString();
        // Not out.remove(): it keeps the file when closing fails to flush, as on a full disk.
        out.close();
        QFile::remove(outPath);
    }
    return written;
}

} // namespace

int runExtract(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.addOption(
        {{QStringLiteral("o"), QStringLiteral("out")}, QString(), QStringLiteral("FILE")});
    Book book;
    if (const int failed = openBook(parser, QStringLiteral("extract"), arguments, 2, &book))
        return failed;
    const QString &bookPath = book.path;
    const BookContents &contents = book.contents;
    int number = 0;
    const QString numberText = parser.positionalArguments().at(1);
    if (!parseChapterNumber(numberText, int(contents.lines.size()), &number)) {
        printError(QStringLiteral("quillmoor-book extract: %1: no chapter %2 (the book has %3)")
                       .arg(bookPath, numberText, QString::number(contents.lines.size())));
        return Failure;
    }
    const bool explicitOut = parser.isSet(QStringLiteral("out"));
    const QString outPath =
        explicitOut
            ? parser.value(QStringLiteral("out"))
            : QDir::current().filePath(safeFileName(contents.lines.at(number - 1).name(), number));
    QString error;
    if (!writeChapter(bookPath, contents, number - 1, outPath, explicitOut, &error)) {
        printFileError(QStringLiteral("extract"), outPath, error);
        return Failure;
    }
    printOutput(outPath);
    return Success;
}

} // namespace Cli
