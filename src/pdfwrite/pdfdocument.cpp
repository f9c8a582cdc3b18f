// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pdfdocument.h"

#include <qpdf/FileInputSource.hh>
#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QFile>

#include <sys/stat.h>

namespace
{

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

bool PdfDocument::sameFile(const QString &a, const QString &b)
{
    struct stat first = {};
    struct stat second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
