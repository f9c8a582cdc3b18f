// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pagecut.h"

#include "pdfwrite/cagedwork.h"
#include "pdfwrite/chapterinput.h"
#include "pdfwrite/chapterobjects.h"
#include "pdfwrite/pdfdocument.h"
#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QDataStream>
#include <QFileInfo>

#include <set>

namespace
{

PageCutResult failure(const QString &file, const QString &cause)
{
    return {false, file, cause};
}

// Unlike PdfDocument::open, an encrypted source is taken: its pages go to a printer.
QString openSource(QPDF &pdf, const std::shared_ptr<BookFile> &file, const PageSource &source,
                   qint64 length)
{
    pdf.setSuppressWarnings(true);
    try {
        pdf.processInputSource(
            std::make_shared<ChapterInput>(file, source.offset, length, source.path.toStdString()),
            source.password.toUtf8().constData());
    } catch (const QPDFExc &error) {
        if (error.getErrorCode() == qpdf_e_password)
            return QStringLiteral("the password is wrong");
        return PdfDocument::reasonOf(error);
    } catch (const std::exception &error) {
        return PdfDocument::reasonOf(error);
    }
    return PdfDocument::pageTreeProblem(pdf);
}

// The quarter turns added to the page's own, as /Rotate takes them: 0, 90, 180 or 270.
void turnPage(QPDFObjectHandle page, int quarterTurns)
{
    QPDFObjectHandle own = page.getKey("/Rotate");
    const long long degrees = (own.isInteger() ? own.getIntValue() : 0) + 90LL * quarterTurns;
    page.replaceKey("/Rotate", QPDFObjectHandle::newInteger(((degrees % 360) + 360) % 360));
}

QString missingPage(const QList<int> &pages, size_t count)
{
    std::set<int> seen;
    for (const int page : pages) {
        if (page < 0 || size_t(page) >= count)
            return QStringLiteral("no page %1 (the document has %2)")
                .arg(page + 1)
                .arg(qulonglong(count));
        if (!seen.insert(page).second)
            return QStringLiteral("page %1 is asked for twice").arg(page + 1);
    }
    return pages.isEmpty() ? QStringLiteral("no pages asked for") : QString();
}

// Reads the source and writes the chosen pages into `out`.
PageCutResult cut(const std::shared_ptr<BookFile> &file, const PageSource &source, qint64 length,
                  const QList<int> &pages, int quarterTurns, PdfOutput &out, const QString &outPath)
{
    QPDF pdf;
    if (const QString reason = openSource(pdf, file, source, length); !reason.isEmpty())
        return failure(source.path, reason);
    try {
        // A page may take its media box, resources or turn from the page tree it leaves.
        pdf.pushInheritedAttributesToPage();
        const std::vector<QPDFPageObjectHelper> all = QPDFPageDocumentHelper(pdf).getAllPages();
        if (const QString reason = missingPage(pages, all.size()); !reason.isEmpty())
            return failure(source.path, reason);
        const int root = out.allocate();
        ChapterObjects objects(out, root, nullptr);
        std::vector<int> numbers;
        for (const int page : pages) {
            turnPage(all[size_t(page)].getObjectHandle(), quarterTurns);
            numbers.push_back(objects.addPage(all[size_t(page)].getObjectHandle()));
        }
        objects.writePending();
        out.close(root, numbers, std::string());
    } catch (const PdfOutput::WriteFailed &error) {
        return failure(outPath, QString::fromStdString(error.what()));
    } catch (const std::exception &error) {
        return failure(source.path, PdfDocument::reasonOf(error));
    }
    return {true, outPath, QString()};
}

QByteArray encoded(const PageCutResult &result)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << result.ok << result.file << result.cause;
    return bytes;
}

// The cut made by a child in `cage`; what it answers is checked, as it read a hostile file.
PageCutResult cutCaged(const CagedWork::Cage &cage, const std::shared_ptr<BookFile> &file,
                       const PageSource &source, qint64 length, const QList<int> &pages,
                       int quarterTurns, PdfOutput &out, const QString &outPath)
{
    const CagedWork::Outcome outcome = CagedWork::run(cage, [&](std::atomic<int> &) {
        return encoded(cut(file, source, length, pages, quarterTurns, out, outPath));
    });
    if (outcome.kind != CagedWork::Outcome::Answered)
        return failure(source.path, CagedWork::reasonOf(outcome));
    QDataStream in(outcome.answer);
    PageCutResult result;
    in >> result.ok >> result.file >> result.cause;
    if (in.status() != QDataStream::Ok || !in.atEnd())
        return failure(source.path, QStringLiteral("its reading answered with nonsense"));
    return result;
}

} // namespace

PageCutResult CutPages(const PageSource &source, const QList<int> &pages, int quarterTurns,
                       const QString &outPath, const CagedWork::Cage &cage)
{
    if (PdfDocument::sameFile(source.path, outPath))
        return failure(outPath, QStringLiteral("is the document itself"));
    const qint64 length =
        source.length >= 0 ? source.length : QFileInfo(source.path).size() - source.offset;
    const std::shared_ptr<BookFile> file = BookFile::open(source.path);
    if (!file)
        return failure(source.path, QStringLiteral("cannot be opened"));
    try {
        PdfOutput out(outPath);
        const PageCutResult result =
            cage ? cutCaged(cage, file, source, length, pages, quarterTurns, out, outPath)
                 : cut(file, source, length, pages, quarterTurns, out, outPath);
        if (result.ok)
            out.commit();
        return result;
    } catch (const PdfOutput::WriteFailed &error) {
        return failure(outPath, QString::fromStdString(error.what()));
    }
}
