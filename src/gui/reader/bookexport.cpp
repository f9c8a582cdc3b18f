// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/bookexport.h"

#include "core/bookmarks/bookmarkfile.h"
#include "services/dialogs.h"
#include "widgets/toolfailure.h"

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace
{

const QString Title = QStringLiteral("导出为PDF");
const QString Suffix = QStringLiteral(".pdf");
// How long a stopped export may take to remove its temporary file before it is killed.
const int StopWaitMs = 3000;

// "progress DONE COUNT" as the tool prints it: DONE and COUNT, or nothing for another line.
std::optional<std::pair<int, int>> progressOf(const QByteArray &line)
{
    const QList<QByteArray> words = line.simplified().split(' ');
    bool doneRead = false;
    bool countRead = false;
    if (words.size() != 3 || words.first() != "progress")
        return std::nullopt;
    const int done = words.at(1).toInt(&doneRead);
    const int count = words.at(2).toInt(&countRead);
    if (!doneRead || !countRead)
        return std::nullopt;
    return std::make_pair(done, count);
}

bool sharesBookmarks(const QString &bookPath, const QString &pdfPath)
{
    return QFileInfo(Module1::BookmarkFilePath(bookPath)).absoluteFilePath() ==
           QFileInfo(Module1::BookmarkFilePath(pdfPath)).absoluteFilePath();
}

} // namespace

BookExport::BookExport(const QString &program, Dialogs &dialogs, QWidget *owner)
    : QObject(owner), m_program(program), m_dialogs(dialogs), m_owner(owner)
{
    createPanel(owner);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &BookExport::readProgress);
    connect(&m_process, &QProcess::finished, this, &BookExport::finish);
    connect(&m_process, &QProcess::errorOccurred, this, &BookExport::failToStart);
}

// The panel, a window of the owner, may be gone already: only the child is ended.
BookExport::~BookExport()
{
    m_process.disconnect(this);
    stop();
}

void BookExport::createPanel(QWidget *owner)
{
    m_panel = new QDialog(owner);
    m_panel->setObjectName(QStringLiteral("exportPanel"));
    m_panel->setWindowTitle(Title);
    m_target = new QLabel(m_panel);
    m_progress = new QProgressBar(m_panel);
    m_progress->setObjectName(QStringLiteral("exportProgress"));
    m_progress->setFormat(QStringLiteral("%v / %m 章"));
    m_progress->setMinimumWidth(320);
    auto *stopButton = new QPushButton(QStringLiteral("停止"), m_panel);
    stopButton->setObjectName(QStringLiteral("stopExport"));
    auto *layout = new QVBoxLayout(m_panel);
    layout->addWidget(m_target);
    layout->addWidget(m_progress);
    layout->addWidget(stopButton, 0, Qt::AlignRight);
    connect(stopButton, &QPushButton::clicked, this, &BookExport::stop);
    connect(m_panel, &QDialog::rejected, this, &BookExport::stop);
}

void BookExport::start(const QString &bookPath)
{
    if (isRunning())
        return;
    // Beside the book, but never of the book's own name: a PDF and a book of one name share one
    // bookmark file, whose lines for the book would show as the PDF's bookmarks.
    const QFileInfo book(bookPath);
    const QString suggested =
        book.dir().filePath(book.completeBaseName() + QStringLiteral("（全书）") + Suffix);
    m_out = m_dialogs.chooseSaveFile(m_owner, Title, suggested, QStringLiteral("PDF文件(*.pdf)"));
    if (m_out.isEmpty())
        return;
    if (!m_out.endsWith(Suffix, Qt::CaseInsensitive))
        m_out += Suffix;
    if (sharesBookmarks(bookPath, m_out) &&
        !m_dialogs.askYesNo(
            m_owner,
            QStringLiteral("“%1”与电子书共用书签文件“%2”：电子书的书签会显示为此PDF的书签，"
                           "在此PDF中添加的书签也会写入电子书的书签中。仍要导出吗？")
                .arg(QFileInfo(m_out).fileName(),
                     QFileInfo(Module1::BookmarkFilePath(bookPath)).fileName())))
        return;
    m_stopping = false;
    m_target->setText(QStringLiteral("正在导出：") + QFileInfo(m_out).fileName());
    // Busy until the first chapter is done.
    m_progress->setRange(0, 0);
    m_panel->show();
    m_running = true;
    emit runningChanged(true);
    m_process.start(m_program,
                    {QStringLiteral("export"), bookPath, m_out, QStringLiteral("--progress")});
}

void BookExport::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_stopping = true;
    m_process.terminate();
    if (!m_process.waitForFinished(StopWaitMs)) {
        m_process.kill();
        m_process.waitForFinished();
    }
}

void BookExport::readProgress()
{
    while (m_process.canReadLine()) {
        if (const auto progress = progressOf(m_process.readLine())) {
            m_progress->setRange(0, progress->second);
            m_progress->setValue(progress->first);
        }
    }
}

void BookExport::finish(int exitCode, QProcess::ExitStatus status)
{
    if (m_stopping)
        end(QString());
    else if (status == QProcess::NormalExit && exitCode == 0)
        end(QStringLiteral("已导出为PDF：") + m_out);
    else
        end(QStringLiteral("导出失败：") + failure());
}

// A program that did start and then failed ends through `finish`.
void BookExport::failToStart(QProcess::ProcessError error)
{
    if (error == QProcess::FailedToStart)
        end(QStringLiteral("无法启动导出程序：") + m_program);
}

void BookExport::end(const QString &message)
{
    m_panel->hide();
    m_running = false;
    emit runningChanged(false);
    if (!message.isEmpty())
        m_dialogs.showMessage(m_owner, message);
}

QString BookExport::failure()
{
    return ToolFailure(m_process, QStringLiteral("quillmoor-book export: "),
                       QStringLiteral("导出程序异常退出"));
}
