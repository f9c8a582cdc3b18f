// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/sources/sourcefiles.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace SourceFiles
{

QString chapterNameOf(const QString &path)
{
    QString name = QFileInfo(path).fileName();
    return name.remove(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

bool isPdfPath(const QString &path)
{
    return path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive);
}

void sortInFolderOrder(QStringList &fileNames)
{
    QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(false);
    // Names that differ only in letter case collate equal; a plain comparison between them keeps
    // the order from depending on the order the file system lists them in.
    std::sort(fileNames.begin(), fileNames.end(), [&collator](const QString &a, const QString &b) {
        const int order = collator.compare(a, b);
        return order != 0 ? order < 0 : a < b;
    });
}

QStringList pdfFilesInFolder(const QString &folder)
{
    const QDir dir(folder);
    QStringList names =
        dir.entryList({QStringLiteral("*.pdf")}, QDir::Files | QDir::Readable, QDir::NoSort);
    // The name filter already ignores letter case; keep only names that really end in ".pdf".
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString &name) { return !isPdfPath(name); }),
                names.end());
    sortInFolderOrder(names);
    QStringList paths;
    for (const QString &name : names)
        paths.append(dir.filePath(name));
    return paths;
}

} // namespace SourceFiles
