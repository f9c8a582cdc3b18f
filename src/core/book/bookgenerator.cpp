// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/bookgenerator.h"

#include "core/book/contentsindex.h"
#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

namespace
{

class Generation
{
public:
    Generation(const GenerationRequest &request, const GenerationCallback &callback,
               const QString &bookPath)
        : m_request(request), m_callback(callback)
    {
        m_result.bookPath = bookPath;
    }

    GenerationResult run(QIODevice &book);

private:
    bool measureSources();
    bool prepareIndex();
    bool writeBook(QIODevice &book);
    bool copySource(QIODevice &book, int number);
    bool report();
    bool fail(GenerationStep step, const QString &file, const QString &cause);

    const GenerationRequest &m_request;
    const GenerationCallback &m_callback;
    GenerationResult m_result;
    GenerationProgress m_progress;
    QList<qint64> m_lengths;
    QByteArray m_indexBytes;
};

GenerationResult Generation::run(QIODevice &book)
{
    if (measureSources() && prepareIndex() && writeBook(book))
        m_result.outcome = GenerationOutcome::Written;
    return m_result;
}

bool Generation::measureSources()
{
    const QList<SourceEntry> &sources = m_request.sources;
    if (sources.size() > ContentsIndex::MaxChapters)
        return fail(GenerationStep::Measuring, QString(),
                    QStringLiteral("more than %1 chapters").arg(ContentsIndex::MaxChapters));
    for (const SourceEntry &source : sources) {
        const QFileInfo info(source.path);
        if (!info.exists())
            return fail(GenerationStep::Measuring, source.path, QStringLiteral("does not exist"));
        if (!info.isFile())
            return fail(GenerationStep::Measuring, source.path, QStringLiteral("is not a file"));
        const qint64 length = source.length < 0 ? info.size() : source.length;
        if (length == 0)
            return fail(GenerationStep::Measuring, source.path, QStringLiteral("is empty"));
        if (source.offset < 0 || source.offset + length > info.size())
            return fail(GenerationStep::Measuring, source.path, QStringLiteral("is too short"));
        m_lengths.append(length);
        m_progress.bytesTotal += length;
    }
    m_progress.chapterCount = int(sources.size());
    return true;
}

bool Generation::prepareIndex()
{
    QList<ContentsIndex::Chapter> chapters;
    for (int i = 0; i < m_lengths.size(); ++i)
        chapters.append({m_request.sources.at(i).name, m_lengths.at(i)});
    const QByteArray index = ContentsIndex::encode(chapters);
    if (!ContentsIndex::fitsInBook(m_progress.bytesTotal, index.size()))
        return fail(GenerationStep::Measuring, QString(),
                    QStringLiteral("the book would be 2 GiB or larger"));
    const std::optional<QByteArray> readBack =
        ScratchFolder(m_request.scratchFolder).roundTripIndex(index);
    if (!readBack)
        return fail(GenerationStep::ScratchIndex,
                    ScratchFolder(m_request.scratchFolder).indexFilePath(),
                    QStringLiteral("cannot be written or read back"));
    m_indexBytes = *readBack;
    if (m_request.sources.isEmpty())
        return fail(GenerationStep::Opening, QString(), QStringLiteral("the source list is empty"));
    return true;
}

bool Generation::writeBook(QIODevice &book)
{
    // Unbuffered: a buffered QSaveFile can lose a short write in commit() and report success.
    if (!book.isOpen() && !book.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(GenerationStep::Opening, m_result.bookPath, book.errorString());
    for (int i = 0; i < m_request.sources.size(); ++i) {
        if (!copySource(book, i))
            return false;
        ++m_progress.chaptersDone;
        m_progress.chapterBytesDone = 0;
        m_progress.chapterBytes = 0;
        if (!report())
            return false;
    }
    uchar trailer[4];
    qToLittleEndian<qint32>(qint32(m_indexBytes.size()), trailer);
    if (book.write(m_indexBytes) != m_indexBytes.size() ||
        book.write(reinterpret_cast<const char *>(trailer), 4) != 4)
        return fail(GenerationStep::Finishing, m_result.bookPath,
                    SafeWrite::errorText(book, QStringLiteral("cannot be written whole")));
    m_result.bookSize = m_progress.bytesTotal + m_indexBytes.size() + 4;
    m_result.indexBytes = m_indexBytes;
    return true;
}

// The bytes copied must be exactly the bytes measured, or the index would not match the book.
bool Generation::copySource(QIODevice &book, int number)
{
    const SourceEntry &entry = m_request.sources.at(number);
    const QString &path = entry.path;
    const qint64 length = m_lengths.at(number);
    const bool whole = entry.length < 0;
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return fail(GenerationStep::Copying, path, source.errorString());
    if ((whole && source.size() != length) || source.size() < entry.offset + length ||
        !source.seek(entry.offset))
        return fail(GenerationStep::Copying, path,
                    QStringLiteral("changed size while the book was written"));
    const qint64 before = m_progress.bytesDone;
    const SafeWrite::CopyResult copied =
        SafeWrite::copyBytes(source, book, length, [&](qint64 done) {
            m_progress.bytesDone = before + done;
            m_progress.chapterBytesDone = done;
            m_progress.chapterBytes = length;
            return report();
        });
    switch (copied) {
    case SafeWrite::CopyResult::Copied:
        break;
    case SafeWrite::CopyResult::Stopped:
        return false; // cancelled: report() has said so
    case SafeWrite::CopyResult::ReadFailed:
        return fail(GenerationStep::Copying, path,
                    SafeWrite::errorText(source, QStringLiteral("cannot be read whole")));
    case SafeWrite::CopyResult::WriteFailed:
        return fail(GenerationStep::Copying, m_result.bookPath,
                    SafeWrite::errorText(book, QStringLiteral("cannot be written whole")));
    }
    char extra;
    if (whole && source.read(&extra, 1) != 0)
        return fail(GenerationStep::Copying, path,
                    QStringLiteral("changed size while the book was written"));
    return true;
}

bool Generation::report()
{
    if (!m_callback || m_callback(m_progress))
        return true;
    m_result.outcome = GenerationOutcome::Cancelled;
    m_result.step = GenerationStep::Copying;
    return false;
}

bool Generation::fail(GenerationStep step, const QString &file, const QString &cause)
{
    m_result.outcome = GenerationOutcome::Failed;
    m_result.step = step;
    m_result.file = file;
    m_result.cause = cause;
    return false;
}

} // namespace

QString BookFilePath(const QString &saveFolder, const QString &bookName)
{
    return saveFolder + QLatin1Char('/') + bookName + QLatin1String(".VELM");
}

GenerationResult GenerateBook(const GenerationRequest &request, QIODevice &book,
                              const GenerationCallback &progress)
{
    return Generation(request, progress, QString()).run(book);
}

GenerationResult GenerateBook(const GenerationRequest &request, const GenerationCallback &progress)
{
    GenerationResult result;
    result.bookPath = BookFilePath(request.saveFolder, request.bookName);
    if (request.bookName.trimmed().isEmpty() || request.saveFolder.trimmed().isEmpty()) {
        result.outcome = GenerationOutcome::FieldsMissing;
        return result;
    }
    QSaveFile book(result.bookPath);
    book.setDirectWriteFallback(false);
    result = Generation(request, progress, result.bookPath).run(book);
    // QSaveFile::commit does not notice bytes that its final flush fails to write, so the book
    // is flushed and synced here, before the rename; an unfinished temporary file goes with
    // `book`.
    const bool written = result.outcome == GenerationOutcome::Written;
    if (written && !(SafeWrite::syncData(book) && book.commit())) {
        result.outcome = GenerationOutcome::Failed;
        result.step = GenerationStep::Finishing;
        result.file = result.bookPath;
        result.cause = SafeWrite::errorText(book, QStringLiteral("cannot be written whole"));
    }
    return result;
}
