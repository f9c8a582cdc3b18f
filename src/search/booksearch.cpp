// SPDX-License-Identifier: GPL-2.0-or-later
#include "search/booksearch.h"

#include "pdf/opening.h"
#include "pdf/worker.h"

#include <QRegularExpression>
#include <QSet>

#include <array>
#include <deque>
#include <future>
#include <memory>
#include <optional>

namespace BookSearch
{

namespace
{

// What one chapter gave: its matches, or why it was skipped, or why the book cannot be read,
// or that the search was stopped in it.
struct Chapter {
    QList<Match> matches;
    QString skipped;
    Skip skip = Skip::Damaged;
    QString unreadableBook;
    bool stopped = false;
};

// Two at a time: the machines it runs on have two cores or more, and memory stays bounded by
// two chapters.
constexpr std::size_t SideBySide = 2;

QString oneLine(QString text)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n\\t]+"));
    return text.replace(lineBreaks, QStringLiteral(" "));
}

QString givenUpReason(Pdf::OpenFailure failure)
{
    if (failure == Pdf::OpenFailure::TooSlow)
        return QStringLiteral("the PDF engine took too long over it");
    if (failure == Pdf::OpenFailure::TooMuchMemory)
        return QStringLiteral("the PDF engine needed too much memory for it");
    return QStringLiteral("the PDF engine failed on it");
}

void skip(Chapter &chapter, Skip skip, const QString &reason)
{
    chapter.skip = skip;
    chapter.skipped = reason;
}

// The chapter's document, read from its range of the book; nullptr, with what was skipped, when
// it cannot be read. The book is checked before and after it is opened, so the document is that
// of the book the index was read from.
std::unique_ptr<Pdf::Document> openChapter(const QString &bookPath, const BookContents &contents,
                                           int chapter, const QString &password, Chapter &searched)
{
    if (!contents.chapterReadable(chapter)) {
        skip(searched, Skip::Damaged, QStringLiteral("damaged index line"));
        return nullptr;
    }
    if (!BookReader::isUnchanged(bookPath, contents, &searched.unreadableBook))
        return nullptr;
    const ContentsIndex::Line &line = contents.lines.at(chapter);
    Pdf::OpenFailure failure = Pdf::OpenFailure::None;
    std::unique_ptr<Pdf::Document> document =
        Pdf::openRange(bookPath, line.start - 1, line.length, &failure);
    if (!BookReader::isUnchanged(bookPath, contents, &searched.unreadableBook))
        return nullptr;
    if (!document && failure == Pdf::OpenFailure::NotPdf)
        skip(searched, Skip::Damaged, QStringLiteral("not a PDF that can be read"));
    else if (!document)
        skip(searched, Skip::GivenUp, givenUpReason(failure));
    else if (document->isLocked() && (password.isNull() || !document->unlock(password)))
        skip(searched, Skip::Locked, QStringLiteral("locked by a password"));
    else
        return document;
    return nullptr;
}

Chapter searchChapter(const QString &bookPath, const BookContents &contents, int chapter,
                      const QString &text, const QString &password,
                      const std::function<bool()> &stopNow)
{
    Chapter searched;
    const std::unique_ptr<Pdf::Document> document =
        openChapter(bookPath, contents, chapter, password, searched);
    if (!document)
        return searched;
    bool anyText = false;
    for (int page = 0; page < document->pageCount(); ++page) {
        if (stopNow && stopNow()) {
            searched.stopped = true;
            return searched;
        }
        const QString pageText = document->text(page);
        if (document->lastJobEnd() != Pdf::JobEnd::Answered) {
            skip(searched, Skip::GivenUp, givenUpReason(Pdf::failureOf(document->lastJobEnd())));
            return searched;
        }
        anyText = anyText || !pageText.trimmed().isEmpty();
        for (Match match : matchesInPage(pageText, text)) {
            match.chapter = chapter;
            match.page = page;
            match.chapterName = contents.lines.at(chapter).name();
            searched.matches.append(match);
        }
    }
    if (!anyText && document->pageCount() > 0)
        skip(searched, Skip::NoText, QStringLiteral("no page holds text"));
    return searched;
}

// A chapter's bytes and password: chapters that share them are one PDF, searched once.
struct Range {
    qint32 start = 0;
    qint32 length = 0;
    QString password;

    bool operator==(const Range &other) const
    {
        return start == other.start && length == other.length && password == other.password;
    }
};

size_t qHash(const Range &range, size_t seed = 0)
{
    return qHashMulti(seed, range.start, range.length, range.password);
}

Range rangeOf(const BookContents &contents, const Passwords &passwords, int chapter)
{
    const ContentsIndex::Line &line = contents.lines.at(chapter);
    return Range{line.start, line.length, passwords.value(chapter)};
}

// The ranges more than one chapter has, with how many have each.
QHash<Range, int> sharedRanges(const BookContents &contents, const Passwords &passwords)
{
    QHash<Range, int> counts;
    for (int chapter = 0; chapter < contents.lines.size(); ++chapter) {
        if (contents.chapterReadable(chapter))
            ++counts[rangeOf(contents, passwords, chapter)];
    }
    counts.removeIf([](const QHash<Range, int>::iterator &count) { return count.value() < 2; });
    return counts;
}

// What `first` gave, told again for `chapter`.
Chapter sameAs(const Chapter &first, int chapter, const QString &name)
{
    Chapter again = first;
    for (Match &match : again.matches) {
        match.chapter = chapter;
        match.chapterName = name;
    }
    return again;
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

int matchFrom(const QList<Match> &matches, int chosen, int chapter, int page, int direction)
{
    const int count = int(matches.size());
    const auto placeOf = [&matches](int i) {
        return std::pair(matches.at(i).chapter, matches.at(i).page);
    };
    const std::pair<int, int> here(chapter, page);
    if (count == 0)
        return -1;
    if (chosen >= 0 && chosen < count && placeOf(chosen) == here)
        return ((chosen + direction) % count + count) % count;
    if (direction > 0) {
        for (int i = 0; i < count; ++i) {
            if (placeOf(i) >= here)
                return i;
        }
        return 0;
    }
    for (int i = count - 1; i >= 0; --i) {
        if (placeOf(i) <= here)
            return i;
    }
    return count - 1;
}

Outcome run(const QString &bookPath, const BookContents &contents, const QString &text,
            const Listener &listener, QString *error, const Passwords &passwords)
{
    // Chapters are searched side by side, each on a worker with a document of its own, and told
    // in book order as they are taken in turn. A stop waits for the chapters under way, which
    // end at their next page when `stopNow` says so: the workers go before this returns.
    // A chapter whose bytes an earlier one has (an index may point a million lines at one PDF)
    // is told what that one gave, while the book is unchanged; the result is kept until the
    // last chapter that shares it.
    QHash<Range, int> shared = sharedRanges(contents, passwords);
    QHash<Range, Chapter> kept;
    QSet<Range> submitted;
    const auto sharedRange = [&](int chapter) -> std::optional<Range> {
        if (!contents.chapterReadable(chapter))
            return std::nullopt;
        const Range range = rangeOf(contents, passwords, chapter);
        return shared.contains(range) ? std::optional(range) : std::nullopt;
    };
    std::array<Pdf::Worker, SideBySide> workers;
    std::deque<std::future<Chapter>> underWay;
    int started = 0;
    for (int chapter = 0; chapter < contents.lines.size(); ++chapter) {
        for (; started < contents.lines.size() && underWay.size() < SideBySide; ++started) {
            const std::optional<Range> range = sharedRange(started);
            if (range && submitted.contains(*range))
                continue;
            if (range)
                submitted.insert(*range);
            underWay.push_back(workers[size_t(started) % SideBySide].submit(
                [&bookPath, &contents, started, &text, &listener, &passwords] {
                    return searchChapter(bookPath, contents, started, text,
                                         passwords.value(started), listener.stopNow);
                }));
        }
        const QString name = contents.lines.at(chapter).name();
        const std::optional<Range> range = sharedRange(chapter);
        Chapter searched;
        if (range && kept.contains(*range)) {
            searched = sameAs(kept.value(*range), chapter, name);
            BookReader::isUnchanged(bookPath, contents, &searched.unreadableBook);
        } else {
            searched = underWay.front().get();
            underWay.pop_front();
        }
        if (range && --shared[*range] > 0)
            kept.insert(*range, searched);
        else if (range)
            kept.remove(*range);
        if (searched.stopped)
            return Outcome::Stopped;
        if (!searched.unreadableBook.isEmpty()) {
            *error = searched.unreadableBook;
            return Outcome::BookUnreadable;
        }
        if (!searched.skipped.isEmpty())
            listener.skipped(chapter, name, searched.skipped, searched.skip);
        for (const Match &match : searched.matches)
            listener.found(match);
        if (!listener.goOn(chapter + 1))
            return Outcome::Stopped;
    }
    return Outcome::Finished;
}

} // namespace BookSearch
