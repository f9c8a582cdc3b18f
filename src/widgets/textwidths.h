// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QStringView>

#include <functional>
#include <optional>

// The width of the widest of many lines in one font, as QFontMetrics::horizontalAdvance gives
// it, without laying out every line: a line of simple characters (Latin, Greek, Cyrillic, CJK
// and the common signs) is as wide as the sum of its characters' advances and of the kerning of
// each pair of neighbours, each measured once and kept. A line with any other character (marks,
// surrogates, controls, scripts shaped by context), with two overlapping pairs that are both
// kerned or joined (a ligature may span three characters), and the line found widest are
// measured whole.
class TextWidths
{
public:
    explicit TextWidths(const QFont &font);

    // The width of the widest of lines 0 to count - 1; 0 when there is none.
    int widest(int count, const std::function<QString(int)> &textOf);
    // The width of one line by the sum, or measured whole: what `widest` takes for each line.
    int width(QStringView text);

private:
    // In 1/64 pixels; nothing for a line that must be measured whole.
    std::optional<qint64> summed(QStringView text);
    qint64 advance(QChar c);
    qint64 kerning(QChar first, QChar second);

    QFont m_font;
    QFontMetricsF m_metrics;
    QHash<char16_t, qint64> m_advances;
    QHash<quint32, qint64> m_kernings;
};
