// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/readingplaces.h"

#include <QHash>
#include <QSet>

QString ReadingPlaces::pdfKey(const QString &path)
{
    return StateFile::pdfKey(StateFile::absolutePath(path));
}

namespace
{

// Each row's occurrence among the rows of its name and length.
QList<int> occurrences(const QList<ContentsIndex::Line> &lines)
{
    QHash<QPair<QStringView, qint64>, int> seen;
    QList<int> occurrence;
    occurrence.reserve(lines.size());
    for (const ContentsIndex::Line &line : lines)
        occurrence.append(seen[{line.nameView(), line.length}]++);
    return occurrence;
}

} // namespace

QString ReadingPlaces::chapterKey(const QString &bookPath, const QList<ContentsIndex::Line> &lines,
                                  int row)
{
    const ContentsIndex::Line &line = lines.at(row);
    int occurrence = 0;
    for (int before = 0; before < row; ++before) {
        if (lines.at(before).length == line.length &&
            lines.at(before).nameView() == line.nameView())
            ++occurrence;
    }
    return StateFile::chapterKey(StateFile::absolutePath(bookPath), line.name(), line.length,
                                 occurrence);
}

std::optional<SavedPlace> ReadingPlaces::placeOf(const QString &key) const
{
    const auto found = contents().places.constFind(key);
    if (found == contents().places.cend())
        return std::nullopt;
    return *found;
}

// A book may hold a million lines: keys are made only for the rows whose length a chapter of
// this book saved here has, each row's occurrence counted as the rows go by.
int ReadingPlaces::lastReadChapter(const QString &bookPath,
                                   const QList<ContentsIndex::Line> &lines) const
{
    const QString path = StateFile::absolutePath(bookPath);
    const QString prefix = StateFile::bookKeyPrefix(path);
    QSet<qint64> savedLengths;
    for (auto it = contents().places.cbegin(); it != contents().places.cend(); ++it) {
        if (it.key().startsWith(prefix))
            savedLengths.insert(it.key().mid(prefix.size()).section('\t', 1, 1).toLongLong());
    }
    QHash<QPair<QString, qint64>, int> seen;
    int last = -1;
    qint64 lastReadAt = 0;
    for (int row = 0; row < lines.size() && !savedLengths.isEmpty(); ++row) {
        const ContentsIndex::Line &line = lines.at(row);
        if (!savedLengths.contains(line.length))
            continue;
        const int occurrence = seen[{line.name(), line.length}]++;
        const std::optional<SavedPlace> place =
            placeOf(StateFile::chapterKey(path, line.name(), line.length, occurrence));
        if (place && (last < 0 || place->readAt > lastReadAt)) {
            last = row;
            lastReadAt = place->readAt;
        }
    }
    return last;
}

void ReadingPlaces::note(const QString &key, int page, double top, const PageLook &look)
{
    StateChanges changes;
    changes.places.insert(key, SavedPlace{nextMoment(), page, top, look});
    change(changes);
}

void ReadingPlaces::setColours(PageColours colours)
{
    if (colours == this->colours())
        return;
    StateChanges changes;
    changes.colours = {nextMoment(), colours};
    change(changes);
}

void ReadingPlaces::followChapters(const QString &bookPath,
                                   const QList<ContentsIndex::Line> &before,
                                   const QList<ContentsIndex::Line> &after,
                                   const QList<int> &newRowOf)
{
    const QString path = StateFile::absolutePath(bookPath);
    const QList<int> oldOccurrence = occurrences(before);
    const QList<int> newOccurrence = occurrences(after);
    StateChanges changes;
    for (int row = 0; row < before.size() && row < newRowOf.size(); ++row) {
        const int newRow = newRowOf.at(row);
        if (newRow < 0 || newRow >= after.size())
            continue;
        const QString from = StateFile::chapterKey(path, before.at(row).name(),
                                                   before.at(row).length, oldOccurrence.at(row));
        const QString to = StateFile::chapterKey(path, after.at(newRow).name(),
                                                 after.at(newRow).length, newOccurrence.at(newRow));
        const std::optional<SavedPlace> place = placeOf(from);
        if (place && from != to)
            changes.places.insert(to, *place);
    }
    if (!changes.isEmpty())
        change(changes);
}
