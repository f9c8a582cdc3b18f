// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdfwrite/pdfdocument.h"

#include <qpdf/QPDFExc.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QFile>

#include <set>
#include <utility>
#include <vector>

#include <sys/stat.h>

namespace
{

// qpdf walks the page tree by recursion: a tree deep enough would overflow its stack.
constexpr int PageTreeDepthBound = 1000;

// Whether the page tree goes deeper than the bound, walked without recursion, each node once.
bool pageTreeTooDeep(QPDF &pdf)
{
    std::vector<std::pair<QPDFObjectHandle, int>> pending{{pdf.getRoot().getKey("/Pages"), 1}};
    std::set<QPDFObjGen> seen;
    while (!pending.empty()) {
        auto [node, depth] = pending.back();
        pending.pop_back();
        if (depth > PageTreeDepthBound)
            return true;
        if (!node.isDictionary() || (node.isIndirect() && !seen.insert(node.getObjGen()).second))
            continue;
        QPDFObjectHandle kids = node.getKey("/Kids");
        for (int i = 0; kids.isArray() && i < kids.getArrayNItems(); ++i)
            pending.emplace_back(kids.getArrayItem(i), depth + 1);
    }
    return false;
}

QString openedReason(QPDF &pdf)
{
    if (pdf.isEncrypted())
        return QStringLiteral("encrypted");
    if (const QString problem = PdfDocument::pageTreeProblem(pdf); !problem.isEmpty())
        return problem;
    if (QPDFPageDocumentHelper(pdf).getAllPages().empty())
        return QStringLiteral("has no pages");
    return QString();
}

} // namespace

QString PdfDocument::pageTreeProblem(QPDF &pdf)
{
    if (pageTreeTooDeep(pdf))
        return QStringLiteral("its page tree is more than %1 levels deep").arg(PageTreeDepthBound);
    return QString();
}

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

bool PdfDocument::sameFile(const QString &a, const QString &b)
{
    struct stat first = {};
    struct stat second = {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &second) == 0 &&
           first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
