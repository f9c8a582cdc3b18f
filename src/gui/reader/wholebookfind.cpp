// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/reader/wholebookfind.h"

#include "core/document/documentsession.h"
#include "gui/pdfview/pdfview.h"
#include "gui/reader/bookresults.h"
#include "search/bookfind.h"

WholeBookFind::WholeBookFind(PdfView &view, DocumentSession &session, QObject *parent)
    : QObject(parent), m_view(view), m_session(session)
{
    m_find = new BookFind(this);
    m_results = new BookResults;
    m_results->setObjectName(QStringLiteral("bookResults"));
    m_view.addNavigationPage(m_results, QStringLiteral("搜索"));
    m_view.setScopeNames(QStringLiteral("本章"), QStringLiteral("全书"));

    connect(&m_session, &DocumentSession::contentsChanged, this, &WholeBookFind::takeBook);
    connect(&m_session, &DocumentSession::pdfOpened, this, &WholeBookFind::forgetBook);
    connect(&m_view, &PdfView::outerFindRequested, this, &WholeBookFind::findInBook);
    connect(&m_view, &PdfView::unlocked, this, &WholeBookFind::notePassword);
    // Each chapter shown, by a result or by any other way, shows the matches of the text sought.
    connect(&m_view, &PdfView::documentChanged, this, [this] {
        if (!m_bookPath.isEmpty())
            m_view.markMatches(m_searched);
    });
    connect(&m_view, &PdfView::scopeChosen, this, &WholeBookFind::offerResults);
    connect(m_find, &BookFind::found, this,
            [this](const QList<BookSearch::Match> &matches, int chaptersDone) {
                m_results->add(matches, chaptersDone);
                showCount();
            });
    connect(m_find, &BookFind::skipped, m_results, &BookResults::addSkipped);
    connect(m_find, &BookFind::finished, m_results, &BookResults::finish);
    connect(m_find, &BookFind::bookUnreadable, m_results, &BookResults::stopForChangedBook);
    connect(m_results, &BookResults::stopRequested, this, &WholeBookFind::stop);
    connect(m_results, &BookResults::chosen, this, &WholeBookFind::goToResult);
}

// A book whose index names no chapter has nothing to search.
void WholeBookFind::takeBook()
{
    forgetBook();
    if (m_session.contents().lines.isEmpty())
        return;
    m_bookPath = m_session.documentPath();
    m_view.offerOuterScope(true);
    offerResults();
}

void WholeBookFind::forgetBook()
{
    stop();
    m_searched.clear();
    m_results->clear();
    m_bookPath.clear();
    m_passwords.clear();
    m_view.offerOuterScope(false);
    offerResults();
}

// A text not searched in the book yet starts the search; the same text opens another result.
void WholeBookFind::findInBook(const QString &text, int direction)
{
    if (m_bookPath.isEmpty())
        return;
    if (text != m_searched)
        return start(text);
    const ReadingPlace place = m_session.navigator().place();
    m_results->chooseFrom(place.chapter, place.page - 1, direction);
}

void WholeBookFind::start(const QString &text)
{
    m_searched = text;
    if (m_searched.isEmpty())
        return;
    m_view.markMatches(m_searched);
    m_results->begin(m_searched, int(m_session.contents().lines.size()));
    m_find->start(m_bookPath, m_session.contents(), m_searched, m_passwords);
    m_view.openNavigationPage(m_results);
    showCount();
}

// A chapter unlocked in the view is searched with its password from then on.
void WholeBookFind::notePassword(const QString &password)
{
    if (!m_bookPath.isEmpty() && m_session.chapter() >= 0)
        m_passwords.insert(m_session.chapter(), password);
}

void WholeBookFind::stop()
{
    if (!m_find->isRunning())
        return;
    m_find->stop();
    m_results->stop();
}

void WholeBookFind::goToResult(const BookSearch::Match &match)
{
    m_session.navigator().goTo(ReadingPlace{match.chapter, match.page + 1, -1},
                               FoundText{m_searched, match.onPage});
    showCount();
}

void WholeBookFind::showCount()
{
    m_view.showOuterMatchCount(m_searched.isEmpty() ? QString()
                                                    : QStringLiteral("%1 / %2")
                                                          .arg(m_results->chosenNumber())
                                                          .arg(m_results->matchCount()));
}

// The view's own "搜索" page lists the chapter's find; this one the book's, each in its scope.
void WholeBookFind::offerResults()
{
    m_view.setNavigationPageShown(m_results, !m_bookPath.isEmpty() && m_view.isOuterScope());
}
