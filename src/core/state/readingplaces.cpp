// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/readingplaces.h"

#include <QHash>
#include <QSet>

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
