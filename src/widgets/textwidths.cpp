// SPDX-License-Identifier: GPL-2.0-or-later
#include "widgets/textwidths.h"

#include <QFontMetrics>

namespace
{

// Characters that are drawn one glyph each, whatever stands around them but for kerning.
bool isSimple(QChar c)
{
    if (c.isSurrogate() || c.isMark() || c.category() == QChar::Other_Control ||
        c.category() == QChar::Other_Format)
        return false;
    switch (c.script()) {
    case QChar::Script_Common:
    case QChar::Script_Latin:
    case QChar::Script_Greek:
    case QChar::Script_Cyrillic:
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Bopomofo:
        return true;
    default:
        return false;
    }
}

// QFontMetricsF gives the layout's fixed-point width, in 1/64 pixels, as a real number.
qint64 fixed(qreal pixels)
{
    return qRound64(pixels * 64);
}

} // namespace

TextWidths::TextWidths(const QFont &font) : m_font(font), m_metrics(font) {}

int TextWidths::widest(int count, const std::function<QString(int)> &textOf)
{
    int widest = 0;
    qint64 widestSum = -1;
    int widestRow = -1;
    for (int row = 0; row < count; ++row) {
        const QString text = textOf(row);
        const std::optional<qint64> sum = summed(text);
        if (!sum)
            widest = qMax(widest, QFontMetrics(m_font).horizontalAdvance(text));
        else if (*sum > widestSum) {
            widestSum = *sum;
            widestRow = row;
        }
    }
    if (widestRow >= 0)
        widest = qMax(widest, QFontMetrics(m_font).horizontalAdvance(textOf(widestRow)));
    return widest;
}

int TextWidths::width(QStringView text)
{
    const std::optional<qint64> sum = summed(text);
    // Rounded as the layout rounds its fixed-point width.
    return sum ? int((*sum + 32) / 64) : QFontMetrics(m_font).horizontalAdvance(text.toString());
}

std::optional<qint64> TextWidths::summed(QStringView text)
{
    qint64 sum = 0;
    qint64 kerned = 0;
    for (qsizetype at = 0; at < text.size(); ++at) {
        if (!isSimple(text.at(at)))
            return std::nullopt;
        sum += advance(text.at(at));
        const qint64 before = kerned;
        kerned = at > 0 ? kerning(text.at(at - 1), text.at(at)) : 0;
        // Two overlapping pairs that both differ from their characters' advances may be one
        // ligature of three characters ("ffi"), which no pair tells.
        if (before != 0 && kerned != 0)
            return std::nullopt;
        sum += kerned;
    }
    return sum;
}

qint64 TextWidths::advance(QChar c)
{
    auto known = m_advances.constFind(c.unicode());
    if (known == m_advances.cend())
        known = m_advances.insert(c.unicode(), fixed(m_metrics.horizontalAdvance(QString(c))));
    return *known;
}

qint64 TextWidths::kerning(QChar first, QChar second)
{
    const quint32 key = quint32(first.unicode()) << 16 | second.unicode();
    auto known = m_kernings.constFind(key);
    if (known == m_kernings.cend()) {
        const qint64 pair = fixed(m_metrics.horizontalAdvance(QString(first) + second));
        known = m_kernings.insert(key, pair - advance(first) - advance(second));
    }
    return *known;
}
