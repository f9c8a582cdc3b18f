// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/contentsindex.h"

#include "core/text/gbkcodec.h"

namespace ContentsIndex
{

namespace
{

const QString LineEnd = QStringLiteral("\r\n");

// Plain ASCII digits only, as the writer produces them; anything else is damage.
bool parseNumber(QStringView digits, qint32 *value)
{
    if (digits.isEmpty() || digits.size() > 10)
        return false;
    qint64 result = 0;
    for (const QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        result = result * 10 + (c.unicode() - '0');
    }
    if (result > 2147483647)
        return false;
    *value = qint32(result);
    return true;
}

} // namespace

QString shownName(const QString &name)
{
    if (name.size() <= ShownNameLength)
        return name;
    qsizetype cut = ShownNameLength;
    // Never half a character outside the Basic Multilingual Plane.
    if (name.at(cut - 1).isHighSurrogate())
        --cut;
    return name.left(cut) + QChar(0x2026);
}

QString safeChapterName(const QString &name)
{
    QString safe = name;
    for (QChar &c : safe) {
        if (c == StartMark || c == LengthMark || c.category() == QChar::Other_Control)
            c = QLatin1Char('?');
    }
    return safe;
}

QString storedChapterName(const QString &name)
{
    return Gbk::decode(Gbk::encode(safeChapterName(name)));
}

QString chapterFileName(const QString &name)
{
    return storedChapterName(name) + QStringLiteral(".pdf");
}

QByteArray encode(const QList<Chapter> &chapters)
{
    QString text;
    qint64 nextStart = 1;
    for (const Chapter &chapter : chapters) {
        text += safeChapterName(chapter.name) + StartMark + QString::number(nextStart) +
                LengthMark + QString::number(chapter.length) + LineEnd;
        nextStart += chapter.length;
    }
    text += LineEnd;
    return Gbk::encode(text);
}

bool fitsInBook(qint64 chapterBytes, qint64 indexLength)
{
    if (chapterBytes < 0 || indexLength < 0 || indexLength > MaxIndexLength)
        return false;
    return chapterBytes <= MaxBookSize - indexLength - 4;
}

QStringList splitLines(const QByteArray &indexBytes)
{
    QStringList lines = Gbk::decodeLines(indexBytes);
    lines.removeAll(QString());
    return lines;
}

Line parseLine(const QString &text)
{
    Line line;
    line.text = text;
    const qsizetype startMark = text.indexOf(StartMark);
    line.nameLength = startMark < 0 ? text.size() : startMark;
    const qsizetype lengthMark = text.indexOf(LengthMark);
    if (startMark < 0 || lengthMark < startMark)
        return line;
    const QStringView view(text);
    const bool numbers =
        parseNumber(view.mid(startMark + 1, lengthMark - startMark - 1), &line.start) &&
        parseNumber(view.mid(lengthMark + 1), &line.length);
    line.valid = numbers && line.start >= 1 && line.length >= 1;
    return line;
}

QList<Line> parse(const QByteArray &indexBytes)
{
    QList<Line> lines;
    for (const QString &text : splitLines(indexBytes))
        lines.append(parseLine(text));
    return lines;
}

} // namespace ContentsIndex
