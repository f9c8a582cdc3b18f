// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/links/numbertext.h"

#include "core/text/gbkcodec.h"

#include <QStringList>

namespace
{

const int HiddenKey = 0x5A;

// Leading blanks are ignored and the item is read up to its first non-digit, like the
// conversion the number texts were written for; no digits at all reads as 0.
qint64 leadingNumber(QStringView item)
{
    qsizetype i = 0;
    while (i < item.size() && item.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < item.size() && (item.at(i) == QLatin1Char('-') || item.at(i) == QLatin1Char('+')))
        negative = item.at(i++) == QLatin1Char('-');
    qint64 value = 0;
    for (; i < item.size() && item.at(i).isDigit() && item.at(i).unicode() < 128; ++i) {
        value = value * 10 + (item.at(i).unicode() - '0');
        if (value > 0xFFFFFF)
            break; // far outside any character code; the rest cannot bring it back
    }
    return negative ? -value : value;
}

QString characterOf(qint64 code)
{
    if (code < 0 || code > 0xFFFF)
        return QStringLiteral("?");
    if (code <= 0xFF)
        return Gbk::decode(QByteArray(1, char(code)));
    QByteArray pair;
    pair.append(char(code >> 8));
    pair.append(char(code & 0xFF));
    return Gbk::decode(pair);
}

} // namespace

QString Module1::DecodeNumberText(const QString &numberText)
{
    QString text;
    const QStringList items = numberText.split(QLatin1Char(','));
    for (const QString &item : items)
        text += characterOf(leadingNumber(item) ^ HiddenKey);
    return text;
}
