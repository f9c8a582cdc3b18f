// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/chapterinput.h"

#include <QFile>

#include <algorithm>
#include <stdexcept>

std::shared_ptr<BookFile> BookFile::open(const QString &path)
{
    std::FILE *file = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file)
        return nullptr;
    // Larger than the default so a chapter's objects are read in few system calls.
    std::setvbuf(file, nullptr, _IOFBF, 64 * 1024);
    return std::shared_ptr<BookFile>(new BookFile(file));
}

BookFile::~BookFile()
{
    std::fclose(m_file);
}

size_t BookFile::readAt(qpdf_offset_t offset, char *buffer, size_t length)
{
    if (fseeko(m_file, offset, SEEK_SET) != 0)
        throw std::runtime_error("the book file cannot be read");
    const size_t got = std::fread(buffer, 1, length, m_file);
    if (got < length && std::ferror(m_file))
        throw std::runtime_error("the book file cannot be read");
    return got;
}

ChapterInput::ChapterInput(std::shared_ptr<BookFile> book, qpdf_offset_t start,
                           qpdf_offset_t length, std::string name)
    : m_book(std::move(book)), m_start(start), m_length(length), m_name(std::move(name))
{
}

qpdf_offset_t ChapterInput::findAndSkipNextEOL()
{
    char chunk[1024];
    qpdf_offset_t eol = -1;
    for (;;) {
        const qpdf_offset_t chunkStart = m_position;
        const size_t got = read(chunk, sizeof chunk);
        if (got == 0)
            return eol < 0 ? m_position : eol;
        for (size_t i = 0; i < got; ++i) {
            const bool lineEnd = chunk[i] == '\r' || chunk[i] == '\n';
            if (eol < 0 && lineEnd) {
                eol = chunkStart + qpdf_offset_t(i);
            } else if (eol >= 0 && !lineEnd) {
                m_position = chunkStart + qpdf_offset_t(i);
                return eol;
            }
        }
    }
}

void ChapterInput::seek(qpdf_offset_t offset, int whence)
{
    qpdf_offset_t target = offset;
    if (whence == SEEK_CUR)
        target += m_position;
    else if (whence == SEEK_END)
        target += m_length;
    if (target < 0)
        throw std::runtime_error(m_name + ": seek before the chapter's start");
    m_position = target;
}

size_t ChapterInput::read(char *buffer, size_t length)
{
    last_offset = m_position;
    if (m_position >= m_length)
        return 0;
    const size_t wanted =
        size_t(std::min<qpdf_offset_t>(qpdf_offset_t(length), m_length - m_position));
    const size_t got = m_book->readAt(m_start + m_position, buffer, wanted);
    m_position += qpdf_offset_t(got);
    return got;
}

void ChapterInput::unreadCh(char)
{
    if (m_position > 0)
        --m_position;
}
