// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/state/statefile.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace
{

const QByteArray Header = "quillmoor-state 1";
const int PdfFields = 7;
const int ChapterFields = 10;

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

// The fields after the document's name: READ PAGE TOP ZOOM TURNS.
bool readPlace(const QList<QByteArray> &fields, SavedPlace *place)
{
    bool ok[5] = {};
    place->readAt = fields.at(0).toLongLong(&ok[0]);
    place->page = fields.at(1).toInt(&ok[1]);
    place->top = fields.at(2).toDouble(&ok[2]);
    place->look.zoom = fields.at(3).toDouble(&ok[3]);
    place->look.quarterTurns = fields.at(4).toInt(&ok[4]);
    return std::all_of(std::begin(ok), std::end(ok), [](bool each) { return each; }) &&
           place->page >= 1 && place->look.quarterTurns >= 0 && place->look.quarterTurns < 4 &&
           place->look.zoom >= -1;
}

// The key of a line of a known kind with its fields; empty when the line names no document.
QString keyOf(const QList<QByteArray> &fields)
{
    if (fields.at(0) == "pdf" && fields.size() == PdfFields && !fields.at(1).isEmpty())
        return StateFile::pdfKey(decoded(fields.at(1)));
    if (fields.at(0) == "chapter" && fields.size() == ChapterFields && !fields.at(1).isEmpty()) {
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
        if (!isKnownKind(fields.at(0))) {
            contents.otherLines.append(QString::fromUtf8(line));
            continue;
        }
        const QString key = keyOf(fields);
        SavedPlace place;
        if (!key.isEmpty() && readPlace(fields.mid(fields.size() - 5), &place))
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
                number(saved.look.zoom) + '\t' + QByteArray::number(saved.look.quarterTurns) + '\n';
    }
    for (const QString &line : contents.otherLines)
        text += line.toUtf8() + '\n';
    return text;
}

StateContents StateFile::read(const QString &path)
{
    // Anything but a plain file (a pipe would wait for a writer) reads as empty.
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly) || file.size() > MaximumSize)
        return StateContents();
    return parse(file.read(MaximumSize));
}

void StateFile::merge(StateContents &contents, const QMap<QString, SavedPlace> &changes)
{
    for (auto change = changes.cbegin(); change != changes.cend(); ++change) {
        const auto there = contents.places.constFind(change.key());
        if (there == contents.places.cend() || there->readAt <= change->readAt)
            contents.places.insert(change.key(), change.value());
    }
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
