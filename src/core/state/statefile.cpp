// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/statefile.h"

#include "core/state/sidefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace
{

const QByteArray Header = "quillmoor-state 1";
// The kind and the fields naming the document, then the place: READ PAGE TOP ZOOM TURNS, and
// SPREAD on lines written since the two-page layouts came.
const int PdfNameFields = 2;
const int ChapterNameFields = 5;
const int PlaceFields = 5;
const int RecentFields = 3;
const int ColoursFields = 3;
const QByteArray ColourNames[] = {"normal", "night", "warm"};

int nameFieldsOf(const QByteArray &kind)
{
    return kind == "pdf" ? PdfNameFields : ChapterNameFields;
}

bool hasPlaceFields(const QList<QByteArray> &fields)
{
    const qsizetype place = fields.size() - nameFieldsOf(fields.at(0));
    return place == PlaceFields || place == PlaceFields + 1;
}

QByteArray encoded(const QString &field)
{
    return QUrl::toPercentEncoding(field);
}

QString decoded(const QByteArray &field)
{
    return QUrl::fromPercentEncoding(field);
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'g', 10);
}

// The fields after the document's name: READ PAGE TOP ZOOM TURNS [SPREAD].
bool readPlace(const QList<QByteArray> &fields, SavedPlace *place)
{
    bool ok[6] = {true, true, true, true, true, true};
    place->readAt = fields.at(0).toLongLong(&ok[0]);
    place->page = fields.at(1).toInt(&ok[1]);
    place->top = fields.at(2).toDouble(&ok[2]);
    place->look.zoom = fields.at(3).toDouble(&ok[3]);
    place->look.quarterTurns = fields.at(4).toInt(&ok[4]);
    const int spread = fields.size() > PlaceFields ? fields.at(5).toInt(&ok[5]) : 0;
    place->look.spread = PageLayout::Spread(spread);
    return std::all_of(std::begin(ok), std::end(ok), [](bool each) { return each; }) &&
           place->page >= 1 && place->look.quarterTurns >= 0 && place->look.quarterTurns < 4 &&
           place->look.zoom >= -1 && spread >= 0 &&
           spread <= int(PageLayout::Spread::TwoPagesCover);
}

// The key of a line of a known kind with its fields; empty when the line names no document.
QString keyOf(const QList<QByteArray> &fields)
{
    if (!hasPlaceFields(fields) || fields.at(1).isEmpty())
        return QString();
    if (fields.at(0) == "pdf")
        return StateFile::pdfKey(decoded(fields.at(1)));
    if (fields.at(0) == "chapter") {
        bool lengthOk = false;
        bool occurrenceOk = false;
        const qint64 length = fields.at(3).toLongLong(&lengthOk);
        const int occurrence = fields.at(4).toInt(&occurrenceOk);
        if (lengthOk && occurrenceOk && length >= 0 && occurrence >= 0)
            return StateFile::chapterKey(decoded(fields.at(1)), decoded(fields.at(2)), length,
                                         occurrence);
    }
    return QString();
}

bool isKnownKind(const QByteArray &kind)
{
    return kind == "pdf" || kind == "chapter";
}

// A recent line: an absolute path and a time that reads; anything else is dropped.
void readRecent(const QList<QByteArray> &fields, StateContents &contents)
{
    bool ok = false;
    const QString path = fields.size() == RecentFields ? decoded(fields.at(1)) : QString();
    const qint64 openedAt = fields.value(2).toLongLong(&ok);
    if (ok && openedAt >= 0 && QDir::isAbsolutePath(path))
        contents.recent.insert(path, openedAt);
}

// A colours line: a name known and a time that reads; anything else is dropped.
void readColours(const QList<QByteArray> &fields, StateContents &contents)
{
    bool ok = false;
    const qint64 chosenAt = fields.value(2).toLongLong(&ok);
    const auto *name = std::find(std::begin(ColourNames), std::end(ColourNames), fields.value(1));
    if (fields.size() == ColoursFields && ok && chosenAt > 0 && name != std::end(ColourNames))
        contents.colours = {chosenAt, PageColours(name - std::begin(ColourNames))};
}

void mergeRecent(StateContents &contents, const QMap<QString, RecentChange> &changes)
{
    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        const auto there = contents.recent.constFind(change.key());
        const bool later = there == contents.recent.cend() || *there <= change->at;
        if (later && change->forgotten)
            contents.recent.remove(change.key());
        else if (later)
            contents.recent.insert(change.key(), change->at);
    }
}

// The recent documents' paths, the most recently opened first; one time ties by path.
QStringList newestFirst(const QMap<QString, qint64> &recent)
{
    QList<std::pair<qint64, QString>> opened;
    for (auto entry = recent.cbegin(); entry != recent.cend(); ++entry)
        opened.append({-entry.value(), entry.key()});
    std::sort(opened.begin(), opened.end());
    QStringList paths;
    for (const auto &entry : opened)
        paths.append(entry.second);
    return paths;
}

} // namespace

QString StateFile::pdfKey(const QString &path)
{
    return QStringLiteral("pdf\t") + QString::fromLatin1(encoded(path));
}

QString StateFile::chapterKey(const QString &bookPath, const QString &name, qint64 length,
                              int occurrence)
{
    // Joined, not formatted: the encoded fields hold "%".
    return bookKeyPrefix(bookPath) + QString::fromLatin1(encoded(name)) + '\t' +
           QString::number(length) + '\t' + QString::number(occurrence);
}

QString StateFile::bookKeyPrefix(const QString &bookPath)
{
    return QStringLiteral("chapter\t") + QString::fromLatin1(encoded(bookPath)) + '\t';
}

StateContents StateFile::parse(const QByteArray &text)
{
    StateContents contents;
    QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines.takeFirst() != Header)
        return contents;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        if (line.isEmpty())
            continue;
        if (fields.at(0) == "recent") {
            readRecent(fields, contents);
            continue;
        }
        if (fields.at(0) == "colours") {
            readColours(fields, contents);
            continue;
        }
        if (!isKnownKind(fields.at(0))) {
            contents.otherLines.append(QString::fromUtf8(line));
            continue;
        }
        const QString key = keyOf(fields);
        SavedPlace place;
        if (!key.isEmpty() && readPlace(fields.mid(nameFieldsOf(fields.at(0))), &place))
            contents.places.insert(key, place);
    }
    return contents;
}

QByteArray StateFile::format(const StateContents &contents)
{
    QByteArray text = Header + '\n';
    for (auto place = contents.places.cbegin(); place != contents.places.cend(); ++place) {
        const SavedPlace &saved = place.value();
        text += place.key().toUtf8() + '\t' + QByteArray::number(saved.readAt) + '\t' +
                QByteArray::number(saved.page) + '\t' + number(saved.top) + '\t' +
                number(saved.look.zoom) + '\t' + QByteArray::number(saved.look.quarterTurns) +
                '\t' + QByteArray::number(int(saved.look.spread)) + '\n';
    }
    for (auto entry = contents.recent.cbegin(); entry != contents.recent.cend(); ++entry)
        text += "recent\t" + encoded(entry.key()) + '\t' + QByteArray::number(entry.value()) + '\n';
    if (contents.colours.at > 0)
        text += "colours\t" + ColourNames[int(contents.colours.colours)] + '\t' +
                QByteArray::number(contents.colours.at) + '\n';
    for (const QString &line : contents.otherLines)
        text += line.toUtf8() + '\n';
    return text;
}

StateContents StateFile::read(const QString &path)
{
    // Anything but a plain file of its own (a pipe would wait for a writer) reads as empty.
    QByteArray bytes;
    if (SideFile::read(path, MaximumSize, bytes) != SideFile::Reading::Read)
        return StateContents();
    return parse(bytes);
}

QString StateFile::absolutePath(const QString &path)
{
    return QDir::cleanPath(QFileInfo(path).absoluteFilePath());
}

void StateFile::merge(StateContents &contents, const StateChanges &changes)
{
    for (auto change = changes.places.cbegin(); change != changes.places.cend(); ++change) {
        const auto there = contents.places.constFind(change.key());
        if (there == contents.places.cend() || there->readAt <= change->readAt)
            contents.places.insert(change.key(), change.value());
    }
    mergeRecent(contents, changes.recent);
    if (changes.colours.at >= contents.colours.at && changes.colours.at > 0)
        contents.colours = changes.colours;
    const QStringList dropped = newestFirst(contents.recent).mid(MaximumRecent);
    for (const QString &path : dropped)
        contents.recent.remove(path);
}

QStringList StateFile::recentPaths(const StateContents &contents)
{
    return newestFirst(contents.recent).mid(0, MaximumRecent);
}

void StateFile::keepNewest(StateContents &contents, int count)
{
    if (contents.places.size() <= count)
        return;
    QList<qint64> times;
    for (const SavedPlace &place : std::as_const(contents.places))
        times.append(place.readAt);
    std::nth_element(times.begin(), times.begin() + count - 1, times.end(), std::greater<>());
    const qint64 oldestKept = times.at(count - 1);
    // Places read at the same moment as the oldest kept go in key order until `count` remain.
    int sameKept = int(std::count(times.begin(), times.begin() + count, oldestKept));
    for (auto place = contents.places.begin(); place != contents.places.end();) {
        const bool older = place->readAt < oldestKept;
        const bool sameBeyond = place->readAt == oldestKept && sameKept-- <= 0;
        place = older || sameBeyond ? contents.places.erase(place) : std::next(place);
    }
}
