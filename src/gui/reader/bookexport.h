// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

class Dialogs;
class QDialog;
class QLabel;
class QProgressBar;
class QWidget;

// "导出为PDF(X)": the open book written as one PDF by `quillmoor-book export BOOK OUT --progress`,
// run as a child process so that a book it cannot read never takes the reader down. The tool
// prints "progress DONE COUNT" after each chapter and writes OUT atomically: an export stopped or
// failed leaves no part of OUT and keeps an earlier one.
//
// While it runs, a small window of the owner shows the chapters done and a stop button; closing
// that window stops too. A stop is quiet; an export that ends says where the PDF is, or why there
// is none. One export runs at a time.
class BookExport : public QObject
{
    Q_OBJECT

public:
    // `program` is the quillmoor-book program; `dialogs` must outlive the export.
    BookExport(const QString &program, Dialogs &dialogs, QWidget *owner);
    // Stops an export still running.
    ~BookExport() override;

    bool isRunning() const { return m_running; }

    // Asks where to write the PDF of the book at `bookPath`, beside it by default, and starts
    // writing it there; a name chosen without ".pdf" gets it. Nothing when the user cancels or an
    // export runs.
    void start(const QString &bookPath);
    // Ends the running export, quietly: asked to stop, then killed when it does not.
    void stop();

signals:
    void runningChanged(bool running);

private:
    void createPanel(QWidget *owner);
    void readProgress();
    void finish(int exitCode, QProcess::ExitStatus status);
    void failToStart(QProcess::ProcessError error);
    void end(const QString &message);
    QString failure();

    QString m_program;
    Dialogs &m_dialogs;
    QWidget *m_owner;
    QProcess m_process;
    QString m_out;
    bool m_running = false; // from the start until the end is told, the child's start included
    bool m_stopping = false;
    QDialog *m_panel = nullptr;
    QLabel *m_target = nullptr;
    QProgressBar *m_progress = nullptr;
};
