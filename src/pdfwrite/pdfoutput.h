// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <qpdf/Pipeline.hh>

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A PDF file written object by object as its objects become known, so memory holds the
// cross-reference offsets and no object once written: numbers are handed out first, each object
// is written once under its number, and the cross-reference table and trailer close the file.
// Written to a path, the file is a temporary beside the target, synced and renamed only by
// commit(); destroyed before that, it leaves nothing. Written into an open file, the PDF starts at
// the file's place then and ends where close() leaves it (a split's chapters, one after another).
// Write failures throw WriteFailed.
class PdfOutput : public Pipeline
{
public:
    struct WriteFailed : std::runtime_error {
        using std::runtime_error::runtime_error;
    };

    explicit PdfOutput(const QString &path);
    explicit PdfOutput(QFileDevice &file);

    int allocate();
    // Writes object `number` (from allocate) whose body is `body`.
    void writeObject(int number, const std::string &body);
    // Starts object `number`; the body follows through write().
    void beginObject(int number);
    void write(unsigned char const *data, size_t length) override;
    void write(const std::string &text);
    void finish() override {}
    qint64 position() const { return m_position; }

    // Writes the page tree `pagesRoot` (from allocate) of `pages` in order, the catalog with
    // `catalogEntries` (PDF text) besides it, the cross-reference table and the trailer, every
    // byte handed to the file. Every allocated number must have been written.
    void close(int pagesRoot, const std::vector<int> &pages, const std::string &catalogEntries);
    // Syncs the file written to a path and puts it in place, after close().
    void commit();

private:
    void start();
    void flush();

    std::unique_ptr<QSaveFile> m_saved; // written to a path
    QFileDevice *m_file;
    std::string m_chunk;
    qint64 m_position = 0;
    std::vector<qint64> m_offsets; // by number - 1; -1 while not written
};
