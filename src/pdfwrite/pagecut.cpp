// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pagecut.h"

#include "pdfwrite/chapterinput.h"
#include "pdfwrite/chapterobjects.h"
#include "pdfwrite/pdfdocument.h"
#include "pdfwrite/pdfoutput.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QFileInfo>

#include <set>

namespace
{

PageCutResult failure(const QString &file, const QString &cause)
{
    return {false, file, cause};
}

// Unlike PdfDocument::open, an encrypted source is taken: its pages go to a printer.
QString openSource(QPDF &pdf, const PageSource &source, qint64 length)
{
    const std::shared_ptr<BookFile> file = BookFile::open(source.path);
    if (!file)
        return QStringLiteral("cannot be opened");
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
    return QString();
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

} // namespace

PageCutResult CutPages(const PageSource &source, const QList<int> &pages, int quarterTurns,
                       const QString &outPath)
{
    if (PdfDocument::sameFile(source.path, outPath))
        return failure(outPath, QStringLiteral("is the document itself"));
    const qint64 length =
        source.length >= 0 ? source.length : QFileInfo(source.path).size() - source.offset;
    QPDF pdf;
    if (const QString reason = openSource(pdf, source, length); !reason.isEmpty())
        return failure(source.path, reason);
    try {
        // A page may take its media box, resources or turn from the page tree it leaves.
        pdf.pushInheritedAttributesToPage();
        const std::vector<QPDFPageObjectHelper> all = QPDFPageDocumentHelper(pdf).getAllPages();
        if (const QString reason = missingPage(pages, all.size()); !reason.isEmpty())
            return failure(source.path, reason);
        PdfOutput out(outPath);
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
