// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <qpdf/InputSource.hh>

#include <QString>

#include <cstdio>
#include <memory>
#include <string>

// One open book file, read by every chapter's input source in turn. The chapters share the one
// stream, so a book of thousands of chapters holds one descriptor, and each read places the
// stream first (within the stream's buffer that costs no system call).
class BookFile
{
public:
    // Null when the file cannot be opened.
    static std::shared_ptr<BookFile> open(const QString &path);
    ~BookFile();
    BookFile(const BookFile &) = delete;
    BookFile &operator=(const BookFile &) = delete;

    // Reads up to `length` bytes at `offset` of the file; what was read.
    size_t readAt(qpdf_offset_t offset, char *buffer, size_t length);

private:
    explicit BookFile(std::FILE *file) : m_file(file) {}
    std::FILE *m_file;
};

// The bytes [start, start + length) of a book file as a whole PDF for qpdf: offsets count from
// the chapter's first byte and the chapter's end is the end of the input, so nothing is copied
// out and memory does not follow the chapter's size.
class ChapterInput : public InputSource
{
public:
    ChapterInput(std::shared_ptr<BookFile> book, qpdf_offset_t start, qpdf_offset_t length,
                 std::string name);

    qpdf_offset_t findAndSkipNextEOL() override;
    std::string const &getName() const override { return m_name; }
    qpdf_offset_t tell() override { return m_position; }
    void seek(qpdf_offset_t offset, int whence) override;
    void rewind() override { m_position = 0; }
    size_t read(char *buffer, size_t length) override;
    void unreadCh(char ch) override;

private:
    std::shared_ptr<BookFile> m_book;
    qpdf_offset_t m_start;
    qpdf_offset_t m_length;
    qpdf_offset_t m_position = 0;
    std::string m_name;
};
