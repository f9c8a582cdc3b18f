// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/documentsession.h"
#include "services/appservices.h"

#include <QObject>
#include <QPointer>

#include <memory>

class BookmarkCommands;
class Form1;
class Form2;

// The program's windows around the open document: the reader window as a view of the session,
// the bookmark commands and the book-making window it asks for. Every book or PDF the session
// opens, by whatever road, goes to the top of the recent documents and into the desktop's list of
// files used lately.
class ReaderWindows : public QObject
{
    Q_OBJECT

public:
    // The windows, or nullptr when the reader window's view cannot be made. `services` must
    // outlive them.
    static std::unique_ptr<ReaderWindows> create(const AppServices &services);
    ~ReaderWindows() override;

    Form1 &reader() const { return *m_reader; }
    DocumentSession &session() { return m_session; }

    // Shows the book-making window, made anew unless it is open: then it comes forward as it is.
    void showBookMaker();

private:
    explicit ReaderWindows(const AppServices &services);
    void connectRequests();
    void noteOpened(const QString &path);

    AppServices m_services;
    DocumentSession m_session;
    std::unique_ptr<Form1> m_reader;
    std::unique_ptr<BookmarkCommands> m_bookmarks;
    QPointer<Form2> m_bookMaker;
};
