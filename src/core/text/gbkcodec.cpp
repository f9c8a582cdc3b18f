// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/text/gbkcodec.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace Gbk
{

QByteArray encode(const QString &text)
{
    QStringEncoder encoder("GBK");
    QByteArray bytes = encoder.encode(text);
    if (!encoder.isValid())
        return text.toLatin1(); // no GBK in this Qt: keep ASCII readable rather than lose all
    return bytes;
}

QString unencodable(const QString &text)
{
    QString lost;
    for (const char32_t codePoint : text.toUcs4()) {
        const QString character = QString::fromUcs4(&codePoint, 1);
        if (decode(encode(character)) != character && !lost.contains(character))
            lost += character;
    }
    return lost;
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder("GBK");
    QString text = decoder.decode(bytes);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes);
    return text;
}

QStringList decodeLines(const QByteArray &bytes)
{
    // Split by hand: a bookmark file or an index may hold a million lines.
    const QString text = decode(bytes);
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        const QChar c = text.at(at);
        if (c != QLatin1Char('\r') && c != QLatin1Char('\n'))
            continue;
        lines.append(text.mid(start, at - start));
        if (c == QLatin1Char('\r') && at + 1 < text.size() && text.at(at + 1) == QLatin1Char('\n'))
            ++at;
        start = at + 1;
    }
    lines.append(text.mid(start));
    return lines;
}

} // namespace Gbk
