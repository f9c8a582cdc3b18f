// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/bookreader.h"

#include "core/book/safewrite.h"
#include "core/book/scratchfolder.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QtEndian>

namespace
{

QString tr(const char *text)
{
    return QCoreApplication::translate("BookReader", text);
}

BookContents failed(BookContents contents, const QString &error)
{
    contents.ok = false;
    contents.error = error;
    contents.indexBytes.clear();
    contents.lines.clear();
    return contents;
}

} // namespace

bool BookContents::chapterReadable(int number) const
{
    if (!ok || number < 0 || number >= lines.size())
        return false;
    const ContentsIndex::Line &line = lines.at(number);
    return line.valid && qint64(line.start) - 1 + line.length <= chapterAreaSize;
}

BookContents BookReader::readContents(ByteSource &book)
{
    BookContents contents;
    contents.fileSize = book.size();
    if (contents.fileSize < 4)
        return failed(contents, tr("the file is shorter than its four-byte trailer"));
    uchar trailer[4];
    if (!book.readAt(contents.fileSize - 4, reinterpret_cast<char *>(trailer), 4))
        return failed(contents, tr("the trailer cannot be read"));
    contents.indexLength = qFromLittleEndian<qint32>(trailer);
    const qint64 length = contents.indexLength;
    if (length <= 0 || length > contents.fileSize - 4 || length > ContentsIndex::MaxIndexLength)
        return failed(contents, tr("the trailer gives an index length of %1, which does not fit "
                                   "a file of %2 bytes")
                                    .arg(length)
                                    .arg(contents.fileSize));
    contents.chapterAreaSize = contents.fileSize - 4 - length;
    contents.indexBytes.resize(length);
    if (!book.readAt(contents.chapterAreaSize, contents.indexBytes.data(), length))
        return failed(contents, tr("the index cannot be read"));
    contents.lines = ContentsIndex::parse(contents.indexBytes);
    contents.ok = true;
    return contents;
}

BookContents BookReader::readContents(const QString &bookPath, const ScratchFolder *scratch)
{
    FileByteSource file(bookPath);
    if (!file.open()) {
        BookContents contents;
        contents.error = file.errorString();
        return contents;
    }
    BookContents contents = readContents(file);
    contents.modified = QFileInfo(bookPath).lastModified();
    if (!contents.ok || !scratch)
        return contents;
    const std::optional<QByteArray> index = scratch->roundTripIndex(contents.indexBytes);
    if (!index)
        return failed(contents, tr("the scratch index file cannot be written"));
    return contents;
}

bool BookReader::isUnchanged(const QString &bookPath, const BookContents &contents, QString *error)
{
    const QFileInfo book(bookPath);
    const bool rewritten = contents.modified.isValid() && book.lastModified() != contents.modified;
    if (!book.isReadable() || book.size() != contents.fileSize || rewritten) {
        *error = tr("the book cannot be read again, or has changed since its index was read");
        return false;
    }
    return true;
}

bool BookReader::copyChapter(const QString &bookPath, const BookContents &contents, int number,
                             QIODevice &out, QString *error)
{
    if (!contents.chapterReadable(number)) {
        *error =
            tr("chapter %1 has a damaged index line or a range outside the book").arg(number + 1);
        return false;
    }
    const ContentsIndex::Line &line = contents.lines.at(number);
    QFile book(bookPath);
    if (!isUnchanged(bookPath, contents, error))
        return false;
    if (!book.open(QIODevice::ReadOnly)) {
        *error = tr("the book cannot be read again, or has changed since its index was read");
        return false;
    }
    SafeWrite::CopyResult copied = book.seek(line.start - 1)
                                       ? SafeWrite::copyBytes(book, out, line.length)
                                       : SafeWrite::CopyResult::ReadFailed;
    // A file keeps the last bytes in its buffer: flush them, so success means they were written.
    auto *file = qobject_cast<QFileDevice *>(&out);
    if (copied == SafeWrite::CopyResult::Copied && file && !file->flush())
        copied = SafeWrite::CopyResult::WriteFailed;
    if (copied == SafeWrite::CopyResult::ReadFailed) {
        *error = tr("the chapter's bytes cannot be read: %1")
                     .arg(SafeWrite::errorText(book, tr("the book ends early")));
        return false;
    }
    if (copied != SafeWrite::CopyResult::Copied) {
        *error = tr("the chapter's bytes cannot be written: %1")
                     .arg(SafeWrite::errorText(out, tr("not all of them were taken")));
        return false;
    }
    return true;
}
