// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/readingplace.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

// The program's state file, `$XDG_STATE_HOME/quillmoor/state`: what the program keeps between
// runs, never written into the user's own files.
//
// UTF-8 text, lines ended by "\n". The first line names the format and its version:
//   quillmoor-state 1
// Every other line is one entry: a kind, then fields, separated by tabs. Each field is
// percent-encoded (RFC 3986: only letters, digits and "-._~" stand as they are), so a path may
// hold tabs, line breaks and "%". The kinds this version reads:
//   pdf      PATH READ PAGE TOP ZOOM TURNS SPREAD        the place last shown of a PDF
//   chapter  BOOK NAME LENGTH OCCURRENCE READ PAGE TOP ZOOM TURNS SPREAD
//                                                        the same of a chapter of a book
//   recent   PATH OPENED                                 a book or PDF opened lately
//   colours  NAME CHOSEN                                 the colours pages are read in
// PATH and BOOK are absolute (StateFile::absolutePath). A chapter is known by its name, its length
// in bytes and its occurrence (from 0) among the chapters of the book with that name and length, so
// a rebuilt book keeps the places of the chapters it still holds. READ is when the document was
// last read, in milliseconds since 1970 (UTC); PAGE counts from 1; TOP, ZOOM, TURNS and SPREAD are
// ReadingPlace's top and PageLook's fields; a line without SPREAD, as the first version wrote
// them, reads as one page a row. OPENED is when the document was last opened, in the same
// milliseconds; at most MaximumRecent documents are kept, the least recently opened going first.
// NAME is "normal", "night" or "warm", CHOSEN when it was chosen, in the same milliseconds.
//
// Later versions add kinds, keeping these as they are: a line of a kind not known here is kept
// as it stands whenever the file is merged and written again. A known line with fields that do
// not read is dropped. A file that cannot be read, is no plain file, is larger than MaximumSize or
// whose first line is not the header reads as empty: only what it held is lost. A symbolic link
// reads as empty too, and is never written, nor what it points to (sidefile.h).
struct SavedPlace {
    qint64 readAt = 0;
    int page = 1;
    double top = -1;
    PageLook look;
};

// The colours chosen at `at`; 0 for never.
struct SavedColours {
    qint64 at = 0;
    PageColours colours = PageColours::Normal;
};

struct StateContents {
    // Keyed by the kind and the fields that name the document (StateFile::pdfKey, chapterKey).
    QMap<QString, SavedPlace> places;
    // The documents opened lately: the absolute path, and when it was last opened.
    QMap<QString, qint64> recent;
    SavedColours colours;
    // Lines of kinds this version does not know, kept for the version that does.
    QStringList otherLines;
};

// A document opened at `at`, or with `forgotten` taken off the list at `at`: a forgetting
// removes only an opening that is not later.
struct RecentChange {
    qint64 at = 0;
    bool forgotten = false;
};

// What one copy of the program changed since it last saved, to be merged into the file.
struct StateChanges {
    QMap<QString, SavedPlace> places;
    QMap<QString, RecentChange> recent;
    SavedColours colours;

    bool isEmpty() const { return places.isEmpty() && recent.isEmpty() && colours.at == 0; }
};

namespace StateFile
{

constexpr qint64 MaximumSize = 8 * 1024 * 1024;
// The documents whose places are kept; the least recently read go first.
constexpr int MaximumPlaces = 1000;
constexpr int MaximumRecent = 10;

// The one form of a path in the file: absolute and clean, whatever the working folder.
QString absolutePath(const QString &path);
QString pdfKey(const QString &path);
QString chapterKey(const QString &bookPath, const QString &name, qint64 length, int occurrence);
// What every chapter key of the book at `bookPath` begins with; the name, length and occurrence
// follow it, separated by tabs.
QString bookKeyPrefix(const QString &bookPath);

StateContents parse(const QByteArray &text);
QByteArray format(const StateContents &contents);
// The file at `path`, empty when it cannot be read.
StateContents read(const QString &path);
// Merges `changes` into `contents`: a place read later than the one there wins, and so does a
// later opening or forgetting of a recent document, and colours chosen later.
void merge(StateContents &contents, const StateChanges &changes);
// Keeps the `count` places read most recently.
void keepNewest(StateContents &contents, int count);
// The recent documents, the most recently opened first, at most MaximumRecent.
QStringList recentPaths(const StateContents &contents);

} // namespace StateFile
