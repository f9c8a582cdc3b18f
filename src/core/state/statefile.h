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
//   pdf      PATH READ PAGE TOP ZOOM TURNS                      the place last shown of a PDF
//   chapter  BOOK NAME LENGTH OCCURRENCE READ PAGE TOP ZOOM TURNS  of a chapter of a book
// PATH and BOOK are absolute. A chapter is known by its name, its length in bytes and its
// occurrence (from 0) among the chapters of the book with that name and length, so a rebuilt
// book keeps the places of the chapters it still holds. READ is when the document was last read,
// in milliseconds since 1970 (UTC); PAGE counts from 1; TOP, ZOOM and TURNS are ReadingPlace's
// top and PageLook's fields.
//
// Later versions add kinds, keeping these as they are: a line of a kind not known here is kept
// as it stands whenever the file is merged and written again. A known line with fields that do
// not read is dropped. A file that cannot be read, is no plain file, is larger than MaximumSize or
// whose first line is not the header reads as empty: only what it held is lost.
struct SavedPlace {
    qint64 readAt = 0;
    int page = 1;
    double top = -1;
    PageLook look;
};

struct StateContents {
    // Keyed by the kind and the fields that name the document (StateFile::pdfKey, chapterKey).
    QMap<QString, SavedPlace> places;
    // Lines of kinds this version does not know, kept for the version that does.
    QStringList otherLines;
};

namespace StateFile
{

constexpr qint64 MaximumSize = 8 * 1024 * 1024;
// The documents whose places are kept; the least recently read go first.
constexpr int MaximumPlaces = 1000;

QString pdfKey(const QString &path);
QString chapterKey(const QString &bookPath, const QString &name, qint64 length, int occurrence);
// What every chapter key of the book at `bookPath` begins with; the name, length and occurrence
// follow it, separated by tabs.
QString bookKeyPrefix(const QString &bookPath);

StateContents parse(const QByteArray &text);
QByteArray format(const StateContents &contents);
// The file at `path`, empty when it cannot be read.
StateContents read(const QString &path);
// Merges `changes` into `contents`: a place read later than the one there wins.
void merge(StateContents &contents, const QMap<QString, SavedPlace> &changes);
// Keeps the `count` places read most recently.
void keepNewest(StateContents &contents, int count);

} // namespace StateFile
