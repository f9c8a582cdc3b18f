#pragma once

#include "app/appservices.h"
#include "app/dialogs.h"
#include "core/book/scratchfolder.h"
#include "core/links/webopener.h"
#include "gui/pdfview/pdfview.h"
#include "gui/pdfview/pdfviewfactory.h"

#include <QList>
#include <QStringList>

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
    QString chooseFolder(QWidget *) override
    {
        ++folderRequests;
        return folderAnswer;
    }

    QStringList messages;
    QList<FileRequest> fileRequests;
    QString fileAnswer; // empty: the user cancels
    int folderRequests = 0;
    QString folderAnswer; // empty: the user cancels
};

class FakeWebOpener : public WebOpener
{
public:
    void openAddress(const QString &address) override { addresses << address; }
    QStringList addresses;
};

class FakeViewFactory : public PdfViewFactory
{
public:
    PdfView *createView(QWidget *parent) override
    {
        ++requests;
        return fail ? nullptr : new PdfView(parent);
    }
    bool fail = false;
    int requests = 0;
};

struct FakeServices {
    AppServices services()
    {
        return AppServices{&dialogs, &webOpener, &viewFactory, &scratchFolder};
    }

    FakeDialogs dialogs;
    FakeWebOpener webOpener;
    FakeViewFactory viewFactory;
    ScratchFolder scratchFolder;
};
