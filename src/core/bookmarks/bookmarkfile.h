// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The bookmark file of a document: plain GBK text beside the document, one entry per line,
// every line the system writes ended by CR LF. Lines read back may end in CR LF, CR or LF.
//
//   plain entry (a PDF):      name "［" page "］"
//   chapter entry (a book):   "{" chapter index "}" chapter text "&" name "［" page "］"
//
// "［" and "］" are the full-width brackets U+FF3B and U+FF3D (GBK A3 DB and A3 DD). The entry
// text is the whole line of a plain entry and the part after the first "&" of a chapter entry.
//
// The file is read and written only where its path names a regular file itself (sidefile.h): a
// symbolic link, a pipe or a folder there reads as no file and is never written. A file longer
// than BookmarkFileLimit reads as none too, and is never rewritten.
namespace Module1
{

constexpr qint64 BookmarkFileLimit = 64 * 1024 * 1024;

// The document path with every ".VELM" (a book, whose path ends in "VELM") or every ".pdf" (a
// PDF) replaced by ".ini", in any letter case. Empty when the document has no bookmark file:
// another kind of path, or a derived path that does not end in ".ini", which would otherwise
// name the document itself.
QString BookmarkFilePath(const QString &documentPath);

// Appends `line` and CR LF in one write. A last line that lacks its line end (a file edited by
// hand) is ended first, so two bookmarks never run together. False when nothing was written.
bool AppendBookmarkLine(const QString &documentPath, const QString &line);

// Writes `text` in GBK and CR LF to `out`, already open for writing, in one write. False when the
// device took less than all of it.
bool RewriteBookmarkFile(QIODevice &out, const QString &text);

// Replaces the whole file with the device form's bytes. Atomic: until the new file is complete
// on disk the old one stays as it was. False, writing nothing, for a file that cannot be read.
bool RewriteBookmarkFile(const QString &documentPath, const QString &text);

// Every line of the bookmark file, empty ones included; empty when there is no file.
QStringList ReadBookmarkFileLines(const QString &documentPath);

// The lines of a bookmark file's bytes: GBK, split at CR LF, CR or LF; the line end of the last
// line opens no line of its own.
QStringList BookmarkLinesOf(const QByteArray &bytes);

// A file may hold a million entries: the name is kept as the length of its part of the entry
// text, which it always begins.
struct BookmarkEntry {
    QString entryText; // what the hidden bookmark entry list holds
    qsizetype nameLength = 0;

    // What the bookmark list shows: the entry text before its first "［" when read from a file.
    QString name() const { return entryText.left(nameLength); }

    bool operator==(const BookmarkEntry &other) const
    {
        return entryText == other.entryText && nameLength == other.nameLength;
    }
};

// The entries of a PDF (no chapter), or of chapter `chapterIndex` of a book, in file order.
// Empty lines, lines without "［" and, for a chapter, lines whose "{index}" prefix is not exactly
// that index in decimal are skipped.
QList<BookmarkEntry> ReadBookmarkEntries(const QString &documentPath,
                                         std::optional<int> chapterIndex = std::nullopt);

// The entries of the given lines, by the same rules.
QList<BookmarkEntry> BookmarkEntriesOf(const QStringList &lines,
                                       std::optional<int> chapterIndex = std::nullopt);

// The page text of an entry: from after its first "［" to its last character, which is dropped.
// "a［12］" gives "12", "a［123" gives "12"; empty when there is no "［".
QString BookmarkPageText(const QString &entryText);

} // namespace Module1
