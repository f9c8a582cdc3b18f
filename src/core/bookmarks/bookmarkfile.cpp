// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/bookmarks/bookmarkfile.h"

#include "core/book/safewrite.h"
#include "core/document/documentkind.h"
#include "core/state/sidefile.h"
#include "core/text/gbkcodec.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/file.h>
#endif

namespace
{

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

// Another copy of the program may be appending to the same file: without the lock, the last
// byte checked could be the middle of its line, half written, and a needless line end follow.
// Released when the file is closed.
void lockForAppending(QFile &file)
{
#ifdef Q_OS_UNIX
    ::flock(file.handle(), LOCK_EX);
#else
    Q_UNUSED(file);
#endif
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

namespace Module1
{

QString BookmarkFilePath(const QString &documentPath)
{
    QString derived;
    switch (DocumentKindOf(documentPath)) {
    case DocumentKind::Book:
        derived = replacedEnding(documentPath, QStringLiteral(".VELM"));
        break;
    case DocumentKind::Pdf:
        derived = replacedEnding(documentPath, QStringLiteral(".pdf"));
        break;
    case DocumentKind::None:
        break;
    }
    if (!derived.endsWith(QStringLiteral(".ini"), Qt::CaseInsensitive))
        return QString();
    return derived;
}

bool AppendBookmarkLine(const QString &documentPath, const QString &line)
{
    const QString path = BookmarkFilePath(documentPath);
    if (path.isEmpty())
        return false;
    QFile file;
    if (!SideFile::openForWriting(file, path,
                                  QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return false;
    lockForAppending(file);
    QByteArray bytes = Gbk::encode(line) + LineEnd;
    if (!endsWithLineEnd(file))
        bytes.prepend(LineEnd);
    // One write of the whole line: with O_APPEND two writers never interleave within a line.
    const qint64 sizeBefore = file.size();
    const qint64 written = file.write(bytes);
    if (written == bytes.size())
        return true;
    // A full disk may take part of the line and report no error: take that part back.
    if (written > 0)
        file.resize(sizeBefore);
    return false;
}

bool RewriteBookmarkFile(QIODevice &out, const QString &text)
{
    const QByteArray bytes = Gbk::encode(text) + LineEnd;
    return out.write(bytes) == bytes.size();
}

bool RewriteBookmarkFile(const QString &documentPath, const QString &text)
{
    const QString path = BookmarkFilePath(documentPath);
    if (path.isEmpty() || SideFile::blocksWriting(path) ||
        QFileInfo(path).size() > BookmarkFileLimit)
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    // QSaveFile::commit does not notice bytes that its final flush fails to write: check the
    // write and flush here, or a file cut short by a full disk would replace the old one.
    return RewriteBookmarkFile(file, text) && SafeWrite::syncData(file) && file.commit();
}

QStringList ReadBookmarkFileLines(const QString &documentPath)
{
    QByteArray bytes;
    SideFile::read(BookmarkFilePath(documentPath), BookmarkFileLimit, bytes);
    return BookmarkLinesOf(bytes);
}

QStringList BookmarkLinesOf(const QByteArray &bytes)
{
    QStringList lines = Gbk::decodeLines(bytes);
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
        entries.append({*entryText, entryText->indexOf(OpenBracket)});
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
