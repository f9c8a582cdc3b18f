// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagecutter.h"

#include "gui/pdfview/printchoice.h"
#include "widgets/toolfailure.h"

#include <QProcess>

namespace
{

// A cut of a few pages takes a fraction of a second; one of a whole long book some seconds.
const int CutWaitMs = 120000;

QStringList argumentsFor(const PageCutter::Source &source, const QList<int> &pages,
                         int quarterTurns, const QString &outPath)
{
    QStringList arguments{QStringLiteral("pages"),
                          source.path,
                          outPath,
                          QStringLiteral("--pages"),
                          PrintChoice::listText(pages),
                          QStringLiteral("--turns"),
                          QString::number(quarterTurns),
                          QStringLiteral("--password-stdin")};
    if (source.offset > 0 || source.length >= 0)
        arguments << QStringLiteral("--offset") << QString::number(source.offset);
    if (source.length >= 0)
        arguments << QStringLiteral("--length") << QString::number(source.length);
    return arguments;
}

QString reasonOf(QProcess &process)
{
    return ToolFailure(process, QStringLiteral("quillmoor-book pages: "),
                       QStringLiteral("打印程序异常退出"));
}

} // namespace

QString PageCutter::cut(const QString &program, const Source &source, const QList<int> &pages,
                        int quarterTurns, const QString &outPath)
{
    QProcess process;
    process.start(program, argumentsFor(source, pages, quarterTurns, outPath));
    if (!process.waitForStarted())
        return QStringLiteral("无法启动打印程序：") + program;
    process.write(source.password.toUtf8() + '\n');
    process.closeWriteChannel();
    if (!process.waitForFinished(CutWaitMs)) {
        process.kill();
        process.waitForFinished();
        return QStringLiteral("打印程序没有及时结束");
    }
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return QString();
    return reasonOf(process);
}
