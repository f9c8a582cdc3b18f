// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pdfdocument.h"

#include <qpdf/FileInputSource.hh>
#include <qpdf/Pipeline.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <QFile>
#include <QSaveFile>

#include <stdexcept>

namespace
{

// Hands qpdf's output to the save file in chunks: the file is unbuffered, so a short write is
// seen at once rather than lost in commit().
class SaveFilePipeline : public Pipeline
{
public:
    explicit SaveFilePipeline(QSaveFile &file) : Pipeline("save file", nullptr), m_file(file)
    {
        m_chunk.reserve(ChunkSize);
    }
    void write(unsigned char const *data, size_t length) override
    {
        m_chunk.append(reinterpret_cast<const char *>(data), qsizetype(length));
        if (m_chunk.size() >= ChunkSize)
            flush();
    }
    void finish() override { flush(); }

private:
    static constexpr qsizetype ChunkSize = 128 * 1024;

    void flush()
    {
        if (m_file.write(m_chunk) != m_chunk.size())
            throw std::runtime_error(m_file.errorString().toStdString());
        m_chunk.clear();
    }

    QSaveFile &m_file;
    QByteArray m_chunk;
};

class StopReporter : public QPDFWriter::ProgressReporter
{
public:
    explicit StopReporter(const std::atomic<bool> *stop) : m_stop(stop) {}
    void reportProgress(int) override { PdfDocument::checkStop(m_stop); }

private:
    const std::atomic<bool> *m_stop;
};

QString openedReason(QPDF &pdf)
{
    if (pdf.isEncrypted())
        return QStringLiteral("encrypted");
    if (QPDFPageDocumentHelper(pdf).getAllPages().empty())
        return QStringLiteral("has no pages");
    return QString();
}

} // namespace

void PdfDocument::checkStop(const std::atomic<bool> *stop)
{
    if (stop && stop->load())
        throw Stopped();
}

QString PdfDocument::reasonOf(const std::exception &error)
{
    if (const auto *qpdf = dynamic_cast<const QPDFExc *>(&error)) {
        if (qpdf->getErrorCode() == qpdf_e_password)
            return QStringLiteral("encrypted");
        return QString::fromStdString(qpdf->getMessageDetail());
    }
    return QString::fromStdString(error.what());
}

QString PdfDocument::open(QPDF &pdf, const std::shared_ptr<InputSource> &input)
{
    pdf.setSuppressWarnings(true);
    try {
        pdf.processInputSource(input);
        return openedReason(pdf);
    } catch (const std::exception &error) {
        return reasonOf(error);
    }
}

QString PdfDocument::open(QPDF &pdf, const QString &path)
{
    try {
        auto input = std::make_shared<FileInputSource>();
        input->setFilename(QFile::encodeName(path).constData());
        return open(pdf, input);
    } catch (const std::exception &error) {
        return reasonOf(error);
    }
}

void PdfDocument::save(QPDF &pdf, const QString &path, const std::atomic<bool> *stop)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        throw std::runtime_error(file.errorString().toStdString());
    SaveFilePipeline output(file);
    QPDFWriter writer(pdf);
    writer.setOutputPipeline(&output);
    writer.registerProgressReporter(std::make_shared<StopReporter>(stop));
    writer.write();
    checkStop(stop);
    if (!file.commit())
        throw std::runtime_error(file.errorString().toStdString());
}
