// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"

#include <QRectF>
#include <QWidget>

#include <memory>

class BookFind;
class Dialogs;
class DocumentSearch;
class FindField;
class NavigationPane;
class QAction;
class PageArea;
class PageContent;
class SearchMatches;
class WebOpener;
class QLabel;
class QComboBox;
class QLineEdit;
class QToolBar;
class ZoomBox;

namespace BookSearch
{
struct Match;
}

// The reader window's PDF view, drawn with poppler: pages scroll continuously below a toolbar
// whose first control is the page box (a QLineEdit showing the current page, one-based, with
// "/ N" beside it), then previous and next page, zoom, rotation, the navigation pane (the
// document's outline and thumbnails, left of the pages) and find. While a book is shown chapter
// by chapter, find offers a second scope beside "本章" (the chapter shown): "全书", the whole
// book, searched on a thread of its own with its results in the navigation pane. Links in the pages
// are followed, text can be selected and copied, and pages printed; a locked file asks its
// password. It offers the operations the reader window performs on its view, and its place in the
// window in twips, each value read back exactly as written.
//
// LoadFile opens everything the view needs of the file before it returns, so the file may be
// deleted as soon as it has. Every load reads the file afresh.
class PdfView : public QWidget
{
    Q_OBJECT

public:
    explicit PdfView(QWidget *parent = nullptr);
    ~PdfView() override;

    // Shows the PDF at `path` from its first page. A file that cannot be displayed leaves the
    // view without a document, and the view says so in its own area; no message box. True when
    // the file could be displayed.
    virtual bool LoadFile(const QString &path);
    void setShowToolbar(bool show);
    // Shows page `page`, counted from 1 as the page box counts. A number outside the document
    // is ignored.
    void setCurrentPage(int page);

    // The place in the parent, in twips.
    void setTwipsGeometry(int left, int top, int width, int height);
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void setLeft(int twips);
    void setWidth(int twips);
    void setHeight(int twips);

    // Web links of the pages go to `opener`, the printer dialog and the question for a password
    // to `dialogs`; without them links do nothing, nothing prints and locked files do not open.
    void setServices(Dialogs *dialogs, WebOpener *opener)
    {
        m_dialogs = dialogs;
        m_webOpener = opener;
    }
    void print();

    // The book whose chapters the view shows, which "全书" searches; an empty path, or a book
    // without chapters, for none. A new book ends the search of the one before and clears its
    // results, and find goes back to "本章".
    void setBook(const QString &path, const BookContents &contents);

    // The page the page box shows, counted from 1; 0 without a document.
    int currentPage() const;
    int pageCount() const;
    bool isToolbarShown() const;

signals:
    // A result of the whole book's search was chosen: the window is to show that chapter as a
    // chapter click does, then the view goes to the match and highlights it.
    void chapterChosen(int chapter);

private:
    void createToolbar();
    void addButton(const char *art, const QString &text, const char *name,
                   void (PdfView::*command)());
    void addShortcut(const QKeySequence &keys, void (PdfView::*command)());
    void applyGeometry();
    void showPageNumber();
    void goToTypedPage();
    void goToPreviousPage();
    void goToNextPage();
    void zoomIn();
    void zoomOut();
    void fitWidth();
    void fitPage();
    void zoomTo(double zoom);
    void rotateLeft();
    void rotateRight();
    void goBack();
    void goForward();
    void showNavigationPane(bool show);
    void focusFindField();
    void findNext();
    void findPrevious();
    void moveToMatch(void (SearchMatches::*move)());
    void startSearch();
    void takeMatches(int page, const QList<QRectF> &areas);
    void showMatchCount();
    bool isBookScope() const;
    void moveToBookResult(int by);
    void startBookSearch();
    void stopBookSearch();
    void showBookResult(const BookSearch::Match &match);
    void offerNavigation();
    void showZoom();
    void openWebAddress(const QString &address);

    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    ZoomBox *m_zoomBox = nullptr;
    QComboBox *m_scope = nullptr;
    QAction *m_scopeAction = nullptr;
    FindField *m_findField = nullptr;
    QLabel *m_matchCount = nullptr;
    DocumentSearch *m_search = nullptr;
    std::unique_ptr<SearchMatches> m_matches;
    QString m_searched; // the text the matches are of
    BookFind *m_bookFind = nullptr;
    QString m_bookPath;
    BookContents m_book;
    QString m_bookSearched; // the text the book's results are of
    PageArea *m_pages = nullptr;
    NavigationPane *m_navigation = nullptr;
    QAction *m_navigationButton = nullptr;
    std::unique_ptr<PageContent> m_content;
    WebOpener *m_webOpener = nullptr;
    Dialogs *m_dialogs = nullptr;
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
};
