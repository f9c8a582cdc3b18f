// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/links/leftovercheck.h"

#include "core/links/numbertext.h"
#include "core/links/weblinks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace
{

bool isPlainFileName(const QString &name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..") &&
           !name.contains(QLatin1Char('/')) && !name.contains(QLatin1Char('\\'));
}

bool isSameFile(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

} // namespace

namespace Module1
{

std::optional<GenerationResult> RemoveLeftoverExecutable(const GenerationRequest &request)
{
    const QString &name = request.bookName;
    if (!isPlainFileName(name) || request.programFolder.isEmpty())
        return std::nullopt;
    const QDir folder(request.programFolder);
    const QFileInfo probe(folder.filePath(name + DecodeNumberText(NumberTexts::probeSuffix())));
    if (!probe.isFile() || probe.isHidden())
        return std::nullopt;
    const QString leftover = folder.filePath(name + QLatin1String(".exe"));
    if (!QFileInfo::exists(leftover) || isSameFile(leftover, request.runningProgram) ||
        QFile::remove(leftover))
        return std::nullopt;
    GenerationResult failed;
    failed.outcome = GenerationOutcome::Failed;
    failed.step = GenerationStep::LeftoverCheck;
    failed.bookPath = BookFilePath(request.saveFolder, request.bookName);
    failed.file = leftover;
    failed.cause = QStringLiteral("cannot be deleted");
    return failed;
}

} // namespace Module1
