// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/bookmarks/bookmarkediting.h"

namespace
{

bool isBlankLine(const QString &line)
{
    for (const QChar c : line) {
        if (c != QLatin1Char(' '))
            return false;
    }
    return true;
}

QStringList linesAppendedSince(const QStringList &loaded, const QStringList &now)
{
    if (now.size() <= loaded.size() || !Module1::OnlyAppendedTo(loaded, now))
        return {};
    return now.mid(loaded.size());
}

} // namespace

bool Module1::OnlyAppendedTo(const QStringList &loadedLines, const QStringList &currentLines)
{
    return currentLines.mid(0, loadedLines.size()) == loadedLines;
}

QString Module1::EditableBookmarkText(const QStringList &fileLines)
{
    QString text;
    for (const QString &line : fileLines) {
        if (!isBlankLine(line))
            text += line + QLatin1Char('\n');
    }
    return text;
}

QString Module1::WithFullWidthBrackets(QString text)
{
    text.replace(QLatin1Char('['), QChar(0xFF3B));
    text.replace(QLatin1Char(']'), QChar(0xFF3D));
    return text;
}

// The text box breaks lines with LF; the file with CR LF.
QString Module1::SavedBookmarkText(const QString &editedText, const QStringList &loadedLines,
                                   const QStringList &currentLines)
{
    const QStringList added = linesAppendedSince(loadedLines, currentLines);
    QString text = editedText;
    if (!added.isEmpty() && !text.endsWith(QLatin1Char('\n')))
        text += QLatin1Char('\n');
    text += EditableBookmarkText(added);
    return text.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
}
