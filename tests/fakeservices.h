// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/scratchfolder.h"
#include "core/links/webopener.h"
#include "core/state/readingplaces.h"
#include "core/state/recentdocuments.h"
#include "gui/pdfview/pdfview.h"
#include "services/appservices.h"
#include "services/dialogs.h"
#include "services/printjobs.h"
#include "services/recentfiles.h"
#include "services/viewfactory.h"

#include <QFile>
#include <QList>
#include <QPrinter>
#include <QStringList>
#include <QTemporaryDir>

// Stand-ins for the user's answers and the browser, and a view factory that can fail.
class FakeDialogs : public Dialogs
{
public:
    struct FileRequest {
        QString title;
        QString initialFolder;
        QString filter;
    };

    void showMessage(QWidget *, const QString &text) override { messages << text; }
    QString chooseFile(QWidget *, const QString &title, const QString &initialFolder,
                       const QString &filter) override
    {
        fileRequests << FileRequest{title, initialFolder, filter};
        return fileAnswer;
    }
    QString chooseSaveFile(QWidget *, const QString &title, const QString &suggestedPath,
                           const QString &filter) override
    {
        saveRequests << FileRequest{title, suggestedPath, filter};
        return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
    }
    QStringList chooseFiles(QWidget *, const QString &title, const QString &initialFolder,
                            const QString &filter) override
    {
        fileRequests << FileRequest{title, initialFolder, filter};
        return filesAnswer;
    }
    QString chooseFolder(QWidget *) override { return folderAnswer; }
    // Prints to the PDF file `printTo`, or to the printer when `printToPrinter`, with the range
    // asked for or the current page; neither cancels.
    bool setUpPrinter(QWidget *, QPrinter &printer, int pageCount) override
    {
        printedPageCount = pageCount;
        printerLayout = printer.pageLayout();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printToPrinter ? QString() : printTo);
        printer.setFromTo(printRange.first, printRange.second);
        if (printRange.first > 0)
            printer.setPrintRange(QPrinter::PageRange);
        if (printCurrentPage)
            printer.setPrintRange(QPrinter::CurrentPage);
        return printToPrinter || !printTo.isEmpty();
    }
    bool askPassword(QWidget *, const QString &, QString &password, const QString &problem) override
    {
        passwordProblems << problem;
        password = passwordAnswers.isEmpty() ? QString() : passwordAnswers.takeFirst();
        return !password.isNull();
    }
    bool askText(QWidget *, const QString &question, QString &text) override
    {
        messages << question + '|' + text;
        text = textAnswer;
        return !textAnswer.isNull();
    }
    bool askYesNo(QWidget *, const QString &question) override
    {
        messages << question;
        return yesAnswers.isEmpty() ? yesAnswer : yesAnswers.takeFirst();
    }

    QStringList messages;
    QList<FileRequest> fileRequests;
    QString fileAnswer;              // empty: the user cancels
    QStringList filesAnswer;         // empty: the user cancels
    QString textAnswer;              // null: the user cancels; the question and text to messages
    QString folderAnswer;            // empty: the user cancels
    QList<FileRequest> saveRequests; // the suggested path as the initial folder
    QStringList saveAnswers;         // taken in turn; none left: the user cancels
    QString printTo;
    std::pair<int, int> printRange{0, 0};
    bool printCurrentPage = false;
    bool printToPrinter = false;
    int printedPageCount = 0;
    QPageLayout printerLayout;
    QStringList passwordAnswers;  // taken in turn; none left: the user cancels
    QStringList passwordProblems; // what each question said above it
    bool yesAnswer = false;       // questions go to `messages` too
    QList<bool> yesAnswers;       // taken in turn before yesAnswer
};

// A printer that takes PDF jobs when `takes` says so, keeping what each job sent.
class FakePrintJobs : public PrintJobs
{
public:
    bool takesPdf(const QPrinter &) override { return takes; }
    QString submitPdf(const QPrinter &, const QString &title, const QString &pdfPath) override
    {
        QFile file(pdfPath);
        jobs << std::pair(title, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        return answer;
    }
    bool takes = true;
    QString answer; // empty: the printer took the job
    QList<std::pair<QString, QByteArray>> jobs;
};

class FakeWebOpener : public WebOpener
{
public:
    void openAddress(const QString &address) override { addresses << address; }
    QStringList addresses;
};

// A view that keeps the bytes of every file it is asked to load, read before a chapter's
// scratch file is deleted.
class RecordingView : public PdfView
{
public:
    using PdfView::PdfView;
    bool LoadFile(const QString &path) override
    {
        QFile file(path);
        loads << (file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
        return PdfView::LoadFile(path);
    }
    QList<QByteArray> loads;
};

class FakeRecentFiles : public RecentFiles
{
public:
    void addOpened(const QString &path) override { added << path; }
    QStringList added;
};

class FakeViewFactory : public PdfViewFactory
{
public:
    PdfView *createView(QWidget *parent) override
    {
        return view = fail ? nullptr : new RecordingView(parent);
    }
    bool fail = false;
    RecordingView *view = nullptr;
};

struct FakeServices {
    AppServices services()
    {
        return AppServices{&dialogs,       &webOpener,     &viewFactory,
                           &scratchFolder, &readingPlaces, &recentDocuments,
                           &recentFiles,   bookTool,       &printJobs};
    }
    // Writes the book tool the window runs: a shell script of `body`, given the arguments.
    bool writeBookTool(const QByteArray &body) const
    {
        QFile tool(bookTool);
        return tool.open(QIODevice::WriteOnly) && tool.write("#!/bin/sh\n" + body) > 0 &&
               tool.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }

    FakeDialogs dialogs;
    FakeWebOpener webOpener;
    FakeViewFactory viewFactory;
    ScratchFolder scratchFolder;
    QTemporaryDir stateFolder;
    ReadingPlaces readingPlaces{stateFolder.path()};
    RecentDocuments recentDocuments{stateFolder.path()};
    FakeRecentFiles recentFiles;
    FakePrintJobs printJobs;
    // Missing until written: the program cannot be started.
    QString bookTool = stateFolder.filePath(QStringLiteral("quillmoor-book"));
};
