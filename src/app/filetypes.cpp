// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/filetypes.h"

#include "core/state/basefolder.h"
#include "widgets/artwork.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QStringList>

// The resources live in a static library: nothing would pull them into the program unless
// something refers to them. The macro cannot stand inside a namespace.
static void initDesktopResources()
{
    Q_INIT_RESOURCE(desktop);
}

namespace
{

const char DesktopFileName[] = "quillmoor.desktop";
const char BookType[] = "application/x-velm";
const char PdfType[] = "application/pdf";
const char DefaultsGroup[] = "[Default Applications]";

// True when `path` holds `contents` afterwards and was written now.
bool writeIfChanged(const QString &path, const QByteArray &contents)
{
    QFile existing(path);
    if (existing.open(QIODevice::ReadOnly) && existing.readAll() == contents)
        return false;
    existing.close();
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return false;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(contents) == contents.size() &&
           file.commit();
}

void runTool(const char *tool, const QString &folder)
{
    const QString program = QStandardPaths::findExecutable(QString::fromLatin1(tool));
    if (program.isEmpty())
        return;
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.start(program, {folder});
    if (process.waitForStarted() && !process.waitForFinished(10000))
        process.kill();
    process.waitForFinished(1000);
}

// The desktop entry and the MIME package come from the same files the package installs.
QByteArray resource(const QString &name)
{
    static const bool loaded = (initDesktopResources(), true);
    Q_UNUSED(loaded);
    QFile file(QStringLiteral(":/desktop/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool needsQuotes(const QString &argument)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    for (const QChar c : argument) {
        if (reserved.contains(c))
            return true;
    }
    return false;
}

QString quotedArgument(const QString &argument)
{
    QString quoted;
    for (const QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// The escapes of a string value of a desktop entry.
QString escapedValue(const QString &value)
{
    QString escaped;
    for (const QChar c : value) {
        if (c == QLatin1Char('\\'))
            escaped += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            escaped += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            escaped += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            escaped += QStringLiteral("\\r");
        else
            escaped += c;
    }
    return escaped;
}

QByteArray desktopEntry(const QString &programPath, const QString &iconPath)
{
    QString entry = QString::fromUtf8(resource(QStringLiteral("quillmoor.desktop.in")));
    entry.replace(QStringLiteral("@EXEC@"), FileTypes::execValue(programPath));
    entry.replace(QStringLiteral("@ICON@"), escapedValue(iconPath));
    return entry.toUtf8();
}

bool isGroupHeader(const QByteArray &line)
{
    return line.trimmed().startsWith('[');
}

QByteArray keyOf(const QByteArray &line)
{
    const int equals = line.indexOf('=');
    return equals < 0 ? QByteArray() : line.left(equals).trimmed();
}

} // namespace

QString FileTypes::execValue(const QString &programPath)
{
    QString program = needsQuotes(programPath) ? quotedArgument(programPath) : programPath;
    program.replace(QLatin1Char('%'), QStringLiteral("%%"));
    return escapedValue(program) + QStringLiteral(" %f");
}

QByteArray FileTypes::withDefaults(const QByteArray &mimeappsList)
{
    const QByteArray desktop(DesktopFileName);
    const QList<QByteArray> ours{QByteArray(BookType) + '=' + desktop,
                                 QByteArray(PdfType) + '=' + desktop};
    QList<QByteArray> lines = mimeappsList.split('\n');
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();

    qsizetype group = -1;
    for (qsizetype i = 0; i < lines.size() && group < 0; ++i) {
        if (lines.at(i).trimmed() == DefaultsGroup)
            group = i;
    }
    if (group < 0) {
        if (!lines.isEmpty() && !lines.constLast().trimmed().isEmpty())
            lines.append(QByteArray());
        lines.append(DefaultsGroup);
        lines.append(ours);
        return lines.join('\n') + '\n';
    }

    // The group runs to the next group header; its last line that holds anything is where
    // missing keys go.
    qsizetype end = group + 1;
    while (end < lines.size() && !isGroupHeader(lines.at(end)))
        ++end;
    for (const QByteArray &line : ours) {
        const QByteArray key = keyOf(line);
        bool placed = false;
        for (qsizetype i = group + 1; i < end; ++i) {
            if (keyOf(lines.at(i)) != key)
                continue;
            if (placed) {
                lines.removeAt(i--);
                --end;
            } else {
                lines[i] = line;
                placed = true;
            }
        }
        if (!placed) {
            qsizetype at = end;
            while (at > group + 1 && lines.at(at - 1).trimmed().isEmpty())
                --at;
            lines.insert(at, line);
            ++end;
        }
    }
    return lines.join('\n') + '\n';
}

void Module1::RegisterFileTypes(const QString &programPath)
{
    const QDir data(Module1::XdgBaseFolder("XDG_DATA_HOME", QStringLiteral(".local/share")));
    const QDir config(Module1::XdgBaseFolder("XDG_CONFIG_HOME", QStringLiteral(".config")));
    const QDir mime(data.filePath(QStringLiteral("mime")));
    const QDir applications(data.filePath(QStringLiteral("applications")));
    const QString iconPath = applications.filePath(QStringLiteral("quillmoor.svg"));

    // A database is brought up to date when its source changed, or when an earlier update
    // never finished.
    const bool typeChanged =
        writeIfChanged(mime.filePath(QStringLiteral("packages/quillmoor-velm.xml")),
                       resource(QStringLiteral("quillmoor-velm.xml")));
    if (typeChanged || !mime.exists(QStringLiteral("mime.cache")))
        runTool("update-mime-database", mime.path());
    writeIfChanged(iconPath, Artwork::source(QStringLiteral("quillmoor")));
    const bool entryChanged = writeIfChanged(applications.filePath(QLatin1String(DesktopFileName)),
                                             desktopEntry(programPath, iconPath));
    if (entryChanged || !applications.exists(QStringLiteral("mimeinfo.cache")))
        runTool("update-desktop-database", applications.path());

    const QString mimeapps = config.filePath(QStringLiteral("mimeapps.list"));
    QFile current(mimeapps);
    // The user's other associations are kept: a list that exists but cannot be read is left
    // alone rather than replaced.
    QByteArray before;
    if (current.exists()) {
        if (!current.open(QIODevice::ReadOnly))
            return;
        before = current.readAll();
    }
    writeIfChanged(mimeapps, FileTypes::withDefaults(before));
}
