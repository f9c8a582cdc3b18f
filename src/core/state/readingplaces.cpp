// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/readingplaces.h"

QString ReadingPlaces::pdfKey(const QString &path)
{
    return StateFile::pdfKey(StateFile::absolutePath(path));
}

QString ReadingPlaces::chapterKey(const QString &bookPath, const QList<ContentsIndex::Line> &lines,
                                  int row)
{
    const ContentsIndex::Line &line = lines.at(row);
    int occurrence = 0;
    for (int before = 0; before < row; ++before) {
        if (lines.at(before).name == line.name && lines.at(before).length == line.length)
            ++occurrence;
    }
    return StateFile::chapterKey(StateFile::absolutePath(bookPath), line.name, line.length,
                                 occurrence);
}

std::optional<SavedPlace> ReadingPlaces::placeOf(const QString &key) const
{
    const auto found = contents().places.constFind(key);
    if (found == contents().places.cend())
        return std::nullopt;
    return *found;
}

int ReadingPlaces::lastReadChapter(const QString &bookPath,
                                   const QList<ContentsIndex::Line> &lines) const
{
    int last = -1;
    qint64 lastReadAt = 0;
    for (int row = 0; row < lines.size(); ++row) {
        const std::optional<SavedPlace> place = placeOf(chapterKey(bookPath, lines, row));
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
