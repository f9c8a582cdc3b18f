// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/bookediting.h"

#include "core/book/safewrite.h"
#include "core/bookmarks/bookmarkfile.h"
#include "core/bookmarks/bookmarklock.h"
#include "core/bookmarks/chapterrenumbering.h"
#include "core/bookmarks/pendingbookmarks.h"
#include "core/state/sidefile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <optional>

namespace
{

EditResult failed(const QString &file, const QString &cause)
{
    EditResult result;
    result.file = file;
    result.cause = cause;
    return result;
}

// Nothing when what stands at the bookmark file's path cannot be read (a link, a file too long):
// the chapters would move without their bookmarks, so the book is left as it is.
std::optional<QByteArray> bookmarkBytes(const QString &bookPath)
{
    QByteArray bytes;
    if (SideFile::read(Module1::BookmarkFilePath(bookPath), Module1::BookmarkFileLimit, bytes) ==
        SideFile::Reading::Unreadable)
        return std::nullopt;
    return bytes;
}

EditResult unreadableBookmarks(const QString &bookPath)
{
    return failed(Module1::BookmarkFilePath(bookPath), QStringLiteral("cannot be read"));
}

int linesDropped(const EditRequest &request, const QByteArray &bookmarks)
{
    int lines = 0;
    const QList<int> newRowOf = request.plan.newRowOf();
    for (int row = 0; row < newRowOf.size(); ++row)
        lines += newRowOf.at(row) < 0 ? Module1::CountChapterEntries(bookmarks, row) : 0;
    return lines;
}

EditResult keepingBookmarks(int lines)
{
    EditResult result;
    result.outcome = EditOutcome::HasBookmarks;
    result.bookmarkLines = lines;
    return result;
}

// Every kept chapter is read from the book by its range, checked first.
std::optional<GenerationRequest> generationOf(const EditRequest &request, QString *unreadable)
{
    GenerationRequest generation;
    generation.scratchFolder = request.scratchFolder;
    for (const PlannedChapter &chapter : request.plan.chapters()) {
        if (chapter.oldRow < 0) {
            generation.sources.append({chapter.name, chapter.source});
            continue;
        }
        if (!request.book.chapterReadable(chapter.oldRow)) {
            *unreadable = QStringLiteral("chapter %1 cannot be read").arg(chapter.oldRow + 1);
            return std::nullopt;
        }
        const ContentsIndex::Line &line = request.book.lines.at(chapter.oldRow);
        generation.sources.append({chapter.name, request.bookPath, line.start - 1, line.length});
    }
    return generation;
}

bool isBookAsRead(const EditRequest &request)
{
    const BookContents now = BookReader::readContents(request.bookPath);
    return now.ok && now.fileSize == request.book.fileSize &&
           now.indexBytes == request.book.indexBytes;
}

} // namespace

EditResult EditBook(const EditRequest &request, const GenerationCallback &progress)
{
    const std::optional<QByteArray> before = bookmarkBytes(request.bookPath);
    if (!before)
        return unreadableBookmarks(request.bookPath);
    if (!request.dropBookmarks) {
        if (const int lines = linesDropped(request, *before))
            return keepingBookmarks(lines);
    }
    QString unreadable;
    const std::optional<GenerationRequest> generation = generationOf(request, &unreadable);
    if (!generation)
        return failed(request.bookPath, unreadable);

    QSaveFile book(request.bookPath);
    book.setDirectWriteFallback(false);
    const GenerationResult written = GenerateBook(*generation, book, progress);
    if (written.outcome != GenerationOutcome::Written)
        return failed(written.file.isEmpty() ? request.bookPath : written.file, written.cause);
    if (!SafeWrite::syncData(book))
        return failed(request.bookPath,
                      SafeWrite::errorText(book, QStringLiteral("cannot be written whole")));

    const BookmarkLock lock(request.bookPath, BookmarkLock::Wait);
    PendingBookmarks::completeLocked(request.bookPath);
    if (!isBookAsRead(request)) {
        EditResult result;
        result.outcome = EditOutcome::BookChanged;
        return result;
    }
    const std::optional<QByteArray> bookmarks = bookmarkBytes(request.bookPath);
    if (!bookmarks)
        return unreadableBookmarks(request.bookPath);
    const Module1::RenumberedBookmarks renumbered =
        Module1::RenumberChapterEntries(*bookmarks, request.plan.newRowOf(), request.plan.names());
    if (renumbered.droppedLines > 0 && !request.dropBookmarks)
        return keepingBookmarks(renumbered.droppedLines);
    QString pending;
    if (renumbered.bytes != *bookmarks) {
        pending =
            PendingBookmarks::filePath(request.bookPath, written.bookSize, written.indexBytes);
        if (!PendingBookmarks::write(pending, renumbered.bytes))
            return failed(Module1::BookmarkFilePath(request.bookPath),
                          QStringLiteral("cannot be written"));
    }
    if (!book.commit() || !SafeWrite::syncFolder(QFileInfo(request.bookPath).path())) {
        if (!pending.isEmpty() && !isBookAsRead(request))
            QFile::remove(pending);
        return failed(request.bookPath,
                      SafeWrite::errorText(book, QStringLiteral("cannot be replaced")));
    }
    // Should this fail, the next opener of the book puts the pending file in place.
    if (!pending.isEmpty())
        PendingBookmarks::putInPlace(pending, request.bookPath);

    EditResult result;
    result.outcome = EditOutcome::Done;
    result.bookmarkLines = renumbered.droppedLines;
    result.bookSize = written.bookSize;
    result.indexBytes = written.indexBytes;
    return result;
}
