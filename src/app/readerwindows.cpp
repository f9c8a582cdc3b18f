// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/readerwindows.h"

#include "core/state/readingplaces.h"
#include "core/state/recentdocuments.h"
#include "gui/bookmarks/bookmarkcommands.h"
#include "gui/maker/form2.h"
#include "gui/pdfview/pdfview.h"
#include "gui/reader/form1.h"
#include "services/dialogs.h"
#include "services/recentfiles.h"
#include "services/viewfactory.h"
#include "widgets/controls.h"

#include <QFileInfo>

std::unique_ptr<ReaderWindows> ReaderWindows::create(const AppServices &services)
{
    PdfView *view = services.viewFactory->createView(nullptr);
    if (!view)
        return nullptr;
    view->setServices(services.dialogs, services.webOpener, services.bookTool, services.printJobs);
    if (services.readingPlaces) {
        view->setColours(services.readingPlaces->colours());
        QObject::connect(view, &PdfView::coloursChosen, services.readingPlaces,
                         &ReadingPlaces::setColours);
    }
    std::unique_ptr<ReaderWindows> windows(new ReaderWindows(services));
    windows->m_reader = std::make_unique<Form1>(services, windows->m_session, view);
    windows->m_bookmarks = std::make_unique<BookmarkCommands>(
        *windows->m_reader, *windows->m_reader->view(), windows->m_session, *services.dialogs);
    windows->connectRequests();
    return windows;
}

ReaderWindows::ReaderWindows(const AppServices &services)
    : m_services(services), m_session(services.scratchFolder)
{
    m_session.setReadingPlaces(services.readingPlaces);
    connect(&m_session, &DocumentSession::documentOpened, this, &ReaderWindows::noteOpened);
}

// The book-making window has no owner window, so it goes first; it cancels a book being written
// and waits for it.
ReaderWindows::~ReaderWindows()
{
    delete m_bookMaker;
}

void ReaderWindows::connectRequests()
{
    connect(m_reader.get(), &Form1::bookMakerRequested, this, &ReaderWindows::showBookMaker);
    connect(m_reader.get(), &Form1::addBookmarkRequested, m_bookmarks.get(),
            &BookmarkCommands::addBookmark);
    connect(m_reader.get(), &Form1::organiseBookmarksRequested, m_bookmarks.get(),
            &BookmarkCommands::organiseBookmarks);
}

// A path of no kind is taken by the session only as a path, and one that names no file opened
// nothing either.
void ReaderWindows::noteOpened(const QString &path)
{
    if (Module1::DocumentKindOf(path) == DocumentKind::None || !QFileInfo(path).isFile())
        return;
    if (m_services.recentDocuments)
        m_services.recentDocuments->noteOpened(path);
    if (m_services.recentFiles)
        m_services.recentFiles->addOpened(path);
}

void ReaderWindows::showBookMaker()
{
    if (!m_bookMaker) {
        m_bookMaker = new Form2(m_services);
        m_bookMaker->Form_Load();
    }
    m_bookMaker->setWindowState(m_bookMaker->windowState() & ~Qt::WindowMinimized);
    Controls::bringForward(m_bookMaker);
}
