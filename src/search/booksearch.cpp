// SPDX-License-Identifier: GPL-2.0-or-later
#include "search/booksearch.h"

#include <QBuffer>
#include <QRegularExpression>

#include <poppler-qt6.h>

#include <memory>

namespace BookSearch
{

namespace
{

// The chapter's bytes; null, with the reason, when the book cannot be read again or has changed
// since its index was read.
QByteArray chapterBytes(const QString &bookPath, const BookContents &contents, int chapter,
                        QString *reason)
{
    QBuffer bytes;
    bytes.open(QIODevice::WriteOnly);
    if (!BookReader::copyChapter(bookPath, contents, chapter, bytes, reason))
        return QByteArray();
    return bytes.data();
}

QString oneLine(QString text)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n\\t]+"));
    return text.replace(lineBreaks, QStringLiteral(" "));
}

} // namespace

QList<Match> matchesInPage(const QString &pageText, const QString &text)
{
    QList<Match> matches;
    if (text.isEmpty())
        return matches;
    for (qsizetype at = pageText.indexOf(text, 0, Qt::CaseInsensitive); at >= 0;
         at = pageText.indexOf(text, at + text.size(), Qt::CaseInsensitive)) {
        const qsizetype from = qMax<qsizetype>(0, at - ContextLength);
        Match match;
        match.onPage = int(matches.size());
        match.context = oneLine(pageText.mid(from, at - from + text.size() + ContextLength));
        matches.append(match);
    }
    return matches;
}

Outcome run(const QString &bookPath, const BookContents &contents, const QString &text,
            const Listener &listener, QString *error)
{
    // A damaged chapter is reported once, through `skipped`, not in poppler's words too.
    Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
    for (int chapter = 0; chapter < contents.lines.size(); ++chapter) {
        const QString &name = contents.lines.at(chapter).name;
        QString reason;
        if (!contents.chapterReadable(chapter)) {
            listener.skipped(chapter, name, QStringLiteral("damaged index line"));
        } else {
            const QByteArray bytes = chapterBytes(bookPath, contents, chapter, &reason);
            if (bytes.isNull()) {
                *error = reason;
                return Outcome::BookUnreadable;
            }
            const std::unique_ptr<Poppler::Document> document =
                Poppler::Document::loadFromData(bytes);
            if (!document || document->isLocked()) {
                listener.skipped(chapter, name, QStringLiteral("not a PDF that can be read"));
            } else {
                for (int page = 0; page < document->numPages(); ++page) {
                    const std::unique_ptr<Poppler::Page> content = document->page(page);
                    if (!content)
                        continue;
                    for (Match match : matchesInPage(content->text(QRectF()), text)) {
                        match.chapter = chapter;
                        match.page = page;
                        match.chapterName = name;
                        listener.found(match);
                    }
                }
            }
        }
        if (!listener.goOn(chapter + 1))
            return Outcome::Stopped;
    }
    return Outcome::Finished;
}

} // namespace BookSearch
