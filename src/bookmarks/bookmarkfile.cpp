#include "bookmarks/bookmarkfile.h"

#include "book/gbkcodec.h"
#include "book/safewrite.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>

namespace {

const QChar OpenBracket(0xFF3B); // ［
const QByteArray LineEnd("\r\n");

QString replacedEnding(const QString &path, const QString &ending)
{
    QString derived = path;
    return derived.replace(ending, QStringLiteral(".ini"), Qt::CaseInsensitive);
}

// Whether the file's last byte ends a line; an empty or missing file needs no line end either.
bool endsWithLineEnd(QFile &file)
{
    const qint64 size = file.size();
    if (size == 0)
        return true;
    char last = 0;
    if (!file.seek(size - 1) || file.read(&last, 1) != 1)
        return true; // cannot tell: better no extra line end than a failed append
    return last == '\n' || last == '\r';
}

// The entry text of a line for chapter `chapterIndex`, or nothing when the line belongs to
// another chapter or to none.
std::optional<QString> chapterEntryText(const QString &line, int chapterIndex)
{
    const qsizetype close = line.indexOf(QLatin1Char('}'), 1);
    if (close < 0 || line.mid(1, close - 1) != QString::number(chapterIndex))
        return std::nullopt;
    const qsizetype ampersand = line.indexOf(QLatin1Char('&'));
    return ampersand < 0 ? line : line.mid(ampersand + 1);
}

} // namespace

namespace Module1 {

QString BookmarkFilePath(const QString &documentPath)
{
    const QString ending = documentPath.right(4);
    QString derived;
    if (documentPath.size() >= 4 && ending.compare(QStringLiteral("VELM"), Qt::CaseInsensitive) == 0)
        derived = replacedEnding(documentPath, QStringLiteral(".VELM"));
    else if (documentPath.size() >= 4
             && ending.compare(QStringLiteral(".pdf"), Qt::CaseInsensitive) == 0)
        derived = replacedEnding(documentPath, QStringLiteral(".pdf"));
    if (!derived.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive))
        return QString();
    return derived;
}

bool AppendBookmarkLine(const QString &documentPath, const QString &line)
{
    const QString path = BookmarkFilePath(documentPath);
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    QByteArray bytes = Gbk::encode(line) + LineEnd;
    if (!endsWithLineEnd(file))
        bytes.prepend(LineEnd);
    // One write of the whole line: with O_APPEND two writers never interleave within a line.
    const bool written = file.write(bytes) == bytes.size() && file.flush();
    file.close();
    return written;
}

bool RewriteBookmarkFile(const QString &documentPath, const QString &text)
{
    const QString path = BookmarkFilePath(documentPath);
    if (path.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(Gbk::encode(text) + LineEnd);
    return file.commit();
}

QStringList ReadBookmarkFileLines(const QString &documentPath)
{
    const QString path = BookmarkFilePath(documentPath);
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {};
    return BookmarkLinesOf(file.readAll());
}

QStringList BookmarkLinesOf(const QByteArray &bytes)
{
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList lines = Gbk::decode(bytes).split(lineBreak);
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QList<BookmarkEntry> BookmarkEntriesOf(const QStringList &lines, std::optional<int> chapterIndex)
{
    QList<BookmarkEntry> entries;
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        std::optional<QString> entryText = line;
        if (chapterIndex)
            entryText = chapterEntryText(line, *chapterIndex);
        if (!entryText || !entryText->contains(OpenBracket))
            continue;
        entries.append({*entryText, entryText->left(entryText->indexOf(OpenBracket))});
    }
    return entries;
}

QList<BookmarkEntry> ReadBookmarkEntries(const QString &documentPath,
                                         std::optional<int> chapterIndex)
{
    return BookmarkEntriesOf(ReadBookmarkFileLines(documentPath), chapterIndex);
}

QString BookmarkPageText(const QString &entryText)
{
    const qsizetype open = entryText.indexOf(OpenBracket);
    if (open < 0)
        return QString();
    return entryText.mid(open + 1, entryText.size() - open - 2);
}

} // namespace Module1
