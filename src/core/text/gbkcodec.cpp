// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/text/gbkcodec.h"

#include <QRegularExpression>
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
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    return decode(bytes).split(lineBreak);
}

} // namespace Gbk
