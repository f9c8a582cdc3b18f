// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pdfoutput.h"

#include "core/book/safewrite.h"

#include <cstdio>
#include <stdexcept>

namespace
{

// Written out in chunks of this size: the file is unbuffered, so a short write shows at once.
constexpr size_t ChunkSize = 128 * 1024;

} // namespace

PdfOutput::PdfOutput(const QString &path)
    : Pipeline("book export", nullptr), m_saved(std::make_unique<QSaveFile>(path)),
      m_file(m_saved.get())
{
    if (!m_saved->open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw WriteFailed(m_saved->errorString().toStdString());
    start();
}

PdfOutput::PdfOutput(QFileDevice &file) : Pipeline("book export", nullptr), m_file(&file)
{
    start();
}

void PdfOutput::start()
{
    m_chunk.reserve(ChunkSize);
    // The binary comment tells a transfer program that the file is not text.
    write(std::string("%PDF-1.7\n%\xbf\xf7\xa2\xfe\n"));
}

int PdfOutput::allocate()
{
    m_offsets.push_back(-1);
    return int(m_offsets.size());
}

void PdfOutput::beginObject(int number)
{
    m_offsets.at(size_t(number) - 1) = m_position;
    write(std::to_string(number) + " 0 obj\n");
}

void PdfOutput::writeObject(int number, const std::string &body)
{
    beginObject(number);
    write(body);
    write(std::string("\nendobj\n"));
}

void PdfOutput::write(unsigned char const *data, size_t length)
{
    m_chunk.append(reinterpret_cast<const char *>(data), length);
    m_position += qint64(length);
    if (m_chunk.size() >= ChunkSize)
        flush();
}

void PdfOutput::write(const std::string &text)
{
    write(reinterpret_cast<unsigned char const *>(text.data()), text.size());
}

void PdfOutput::flush()
{
    if (m_file->write(m_chunk.data(), qint64(m_chunk.size())) != qint64(m_chunk.size())) {
        throw WriteFailed(
            SafeWrite::errorText(*m_file, QStringLiteral("cannot be written whole")).toStdString());
    }
    m_chunk.clear();
}

void PdfOutput::close(int pagesRoot, const std::vector<int> &pages,
                      const std::string &catalogEntries)
{
    std::string kids;
    for (const int page : pages)
        kids += std::to_string(page) + " 0 R ";
    writeObject(pagesRoot, "<</Type /Pages /Kids [" + kids + "] /Count " +
                               std::to_string(pages.size()) + ">>");
    const int catalog = allocate();
    writeObject(catalog, "<</Type /Catalog /Pages " + std::to_string(pagesRoot) + " 0 R" +
                             catalogEntries + ">>");
    const qint64 table = m_position;
    write("xref\n0 " + std::to_string(m_offsets.size() + 1) + "\n0000000000 65535 f \n");
    char entry[32];
    for (const qint64 offset : m_offsets) {
        if (offset < 0)
            throw std::logic_error("an object of the export was never written");
        std::snprintf(entry, sizeof entry, "%010lld 00000 n \n", static_cast<long long>(offset));
        write(std::string(entry));
    }
    write("trailer\n<< /Size " + std::to_string(m_offsets.size() + 1) + " /Root " +
          std::to_string(catalog) + " 0 R >>\nstartxref\n" + std::to_string(table) + "\n%%EOF\n");
    flush();
}

void PdfOutput::commit()
{
    if (!SafeWrite::syncData(*m_saved) || !m_saved->commit())
        throw WriteFailed(m_saved->errorString().toStdString());
}
