// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/readingplace.h"
#include "gui/pdfview/outlinesource.h"
#include "gui/pdfview/pagecutter.h"
#include "gui/pdfview/pagerenderer.h"
#include "pdf/document.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class Dialogs;
class DocumentResults;
class DocumentSearch;
class FindField;
class NavigationPane;
class QAction;
class PageArea;
class PageContent;
class PrintJobs;
class SearchMatches;
class WebOpener;
class QLabel;
class QPrinter;
class QComboBox;
class QLineEdit;
class QToolBar;
class ZoomBox;

// The reader window's PDF view: pages scroll continuously below a toolbar whose first control is
// the page box (a QLineEdit showing the current page, one-based, with "/ N" beside it), then
// previous and next page, zoom, rotation, the navigation pane (the document's outline and
// thumbnails, left of the pages) and find. Text can be selected and copied, pages printed, and a
// locked file asks its password. It offers the operations the reader window performs on its view,
// and its place in the window in twips, each value read back exactly as written.
//
// The view shows places it is given and reports the place it shows; a link, an outline entry or
// a thumbnail only asks for its place (placeRequested, or chapterPlaceRequested for an entry of
// a window's outline leading into a chapter), and the window decides. The outline pane shows the
// outline of the document shown unless the window gives one of its own. Find searches
// the document shown; the window may offer a second scope beside it, whose finding is the
// window's own.
//
// LoadFile opens its file once and reads everything from that open file, so the file may be
// deleted as soon as LoadFile has returned. Every load reads the file afresh.
class PdfView : public QWidget
{
    Q_OBJECT

public:
    // Why a find found nothing in pages that are pictures only, as those of a scan.
    inline static const QString NoTextLayer = QStringLiteral("此文档的页面没有文字层，无法查找");

    explicit PdfView(QWidget *parent = nullptr);
    ~PdfView() override;

    // Shows the PDF at `path` from its first page. A file that cannot be displayed leaves the
    // view without a document, and the view says so in its own area, "无法显示此文件" with the
    // reason below it; no message box. A locked file asks its password again after a wrong one.
    // True when the file could be displayed.
    virtual bool LoadFile(const QString &path);
    // The document shown written again at `path`: the new file replaces it only once it can be
    // displayed, shown where the old one was read (a page past its end at its last page) and as
    // it looked. False, with the old document still shown, when it cannot (yet): a file still
    // being written, or locked now.
    bool reloadFile(const QString &path);
    // The same for a document already open; nullptr for none, `reason` then said.
    bool showDocument(std::unique_ptr<Pdf::Document> document, const QString &reason = QString());
    // No document and nothing said: the page box is empty.
    void closeDocument();
    void setShowToolbar(bool show);
    // Shows page `page`, counted from 1 as the page box counts. A number outside the document
    // is ignored.
    void setCurrentPage(int page);
    // Shows page `page` (from 1) with the fraction `top` of its height above the view's top
    // edge (below 0: the page's top); when `match` names a text, its place on that page is the
    // current match. A page outside the document is ignored.
    void showPlace(int page, double top, const FoundText &match = FoundText());
    // The zoom, the turn of the pages and the spread. A new document keeps the zoom and the
    // spread and is shown upright.
    PageLook look() const;
    void setLook(const PageLook &look);
    // The colours of the pages and thumbnails on the screen, chosen in the toolbar or here.
    void setColours(PageColours colours);
    PageColours colours() const;
    // No match highlighted, and the document's own find forgotten.
    void clearMatches();
    // Marks every match of `text` in the document shown as a find does, the pages staying where
    // they are: a window's own find (the whole book's) shows its matches in each chapter shown.
    void markMatches(const QString &text);

    // The place in the parent, in twips.
    void setTwipsGeometry(int left, int top, int width, int height);
    int Left() const { return m_left; }
    int Top() const { return m_top; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    void setLeft(int twips);
    void setWidth(int twips);
    void setHeight(int twips);

    // Web links of the pages go to `opener` (a mail link without what would attach a file, one
    // with a user name or password only when the reader says 是 to it), the printer dialog and
    // the questions to `dialogs`; without them web links do nothing (or only those without a user
    // name or password), nothing prints and locked files do not open.
    // `bookTool`, the quillmoor-book program, cuts the pages printed out of the document, and
    // `printJobs` takes them to a printer that takes PDF; without either they print as pictures.
    void setServices(Dialogs *dialogs, WebOpener *opener, const QString &bookTool = QString(),
                     PrintJobs *printJobs = nullptr)
    {
        m_dialogs = dialogs;
        m_webOpener = opener;
        m_bookTool = bookTool;
        m_printJobs = printJobs;
    }
    // The pages chosen in the printer dialog (every page, a range or the page being read), turned
    // as shown: to a file as the document's own pages, cut from the file they were read from.
    void print();
    // "打印预览": the pages from the one being read on, as they would print, in a window whose
    // print button opens the printer dialog as print does.
    void previewPrint();
    // The pages shown were read from the `length` bytes at `offset` of `path` (a chapter in its
    // book): what print cuts them from. LoadFile sets the whole file it loads; a window that
    // shows a copy of a chapter names the book here after it.
    void setPrintSource(const QString &path, qint64 offset, qint64 length);

    // The scope box beside the find field: the document's own scope and the window's, named by
    // the window. While it is offered and the window's is chosen, Enter, F3 and Shift+F3 ask the
    // window (outerFindRequested), and the match count shows what the window last gave. Each
    // offer or withdrawal goes back to the document's own scope.
    void setScopeNames(const QString &own, const QString &outer);
    void offerOuterScope(bool offered);
    bool isOuterScope() const;
    void showOuterMatchCount(const QString &count);
    // Pages of the window's in the navigation pane, after the outline and the thumbnails;
    // hidden until shown.
    void addNavigationPage(QWidget *page, const QString &title);
    void setNavigationPageShown(QWidget *page, bool shown);
    // Opens the pane at `page`.
    void openNavigationPage(QWidget *page);
    // The outline pane shows `source` while documents come and go, until it is taken back with
    // nullptr: then each document shows its own again, from the next one shown.
    void setOutlineSource(std::shared_ptr<OutlineSource> source);
    // The chapter of the window's outline being read: its entry is opened, and the entry of the
    // page being read is looked for among its entries.
    void setOutlineChapter(int chapter);

    // The page the page box shows, counted from 1; 0 without a document.
    int currentPage() const;
    // Its size in points; empty without a document.
    QSizeF currentPageSize() const;
    int pageCount() const;
    // How far down the current page the view's top edge is, as showPlace takes it.
    double topOfCurrentPage() const;
    bool isToolbarShown() const;
    // While on, the pages show alone, as a full screen wants them: the navigation pane is hidden
    // and the toolbar comes only while the pointer is at the view's top edge. Off, the pane
    // shows as its button says and the toolbar as setShowToolbar said last.
    void setToolbarAtTopEdge(bool on);
    // The next page (`direction` 1) or the one before (-1), reading on past either end as the
    // next- and previous-page buttons do.
    void turnPage(int direction);
    // Presents the document shown in a window of its own, full screen; nothing without one.
    void present();
    // What makes further documents on the bytes shown, for a window drawing them on a thread of
    // its own; empty without a document.
    Pdf::Document::Opener documentOpener() const;
    // The drawing of page `page` (from 1) of the document shown, turned and coloured as shown, to
    // fit within `box` pixels at `pixelRatio`; page -1 without such a page.
    PageRenderer::Job fittedPage(int page, QSize box, double pixelRatio) const;
    // The pages take the keyboard.
    void focusPages();
    // Whether the back and forward buttons have a place to go to: the window keeps the history.
    void setHistoryAvailable(bool back, bool forward);
    // Says `text` over the foot of the pages for a few seconds, the pages staying as they are:
    // why something asked of the view did not happen.
    void showNotice(const QString &text);

signals:
    // A link, an outline entry or a thumbnail chose `page` (from 1) and `top`, as showPlace
    // takes them.
    void placeRequested(int page, double top);
    // An entry of the window's outline chose `page` (from 1) and `top` of `chapter`.
    void chapterPlaceRequested(int chapter, int page, double top);
    // The view now shows `page` (from 1; 0 without a document) with its top `top` down it.
    void placeShown(int page, double top);
    // The reader went on past the last page (`direction` 1) or back before the first (-1):
    // with the keys and the wheel that scroll, or the next- and previous-page buttons.
    void readOnRequested(int direction);
    // Enter (`direction` 1), F3 (1) or Shift+F3 (-1) for `text` in the window's scope.
    void outerFindRequested(const QString &text, int direction);
    // The scope beside the find field was chosen: isOuterScope() tells which.
    void scopeChosen();
    // Another document is shown, or none.
    void documentChanged();
    // The reader chose other colours in the toolbar, or setColours set them.
    void coloursChosen(PageColours colours);
    // The document being loaded was unlocked with `password`.
    void unlocked(const QString &password);
    // A link to a place in another file: its named destination there, or its page (from 1)
    // and top. The window decides whether it knows the file.
    void fileLinkRequested(const QString &file, const QString &destination, int page, double top);
    // "文档属性…" (Ctrl+D, or the pages' context menu), while a document is shown: the window
    // knows what else to tell of it.
    void propertiesRequested();
    // The back or forward button: to the place the last jump left, or forward again.
    void backRequested();
    void forwardRequested();

private:
    bool unlock(Pdf::Document &document, const QString &path);
    // Stops every job on the document shown: it is being let go.
    void letGo();
    void createToolbar();
    QComboBox *addChoice(const char *name, const QString &tip, const QStringList &items);
    void useColours(int index);
    QAction *makeAction(const char *art, const QString &text, const char *name,
                        void (PdfView::*command)());
    QAction *addButton(const char *art, const QString &text, const char *name,
                       void (PdfView::*command)());
    void addPairedButton(QAction *first, QAction *second);
    void addShortcut(const QKeySequence &keys, void (PdfView::*command)());
    void addPropertiesCommand();
    void applyGeometry();
    void showPageNumber();
    void reportPlace();
    void goToTypedPage();
    void goToPreviousPage();
    void goToNextPage();
    void zoomIn();
    void zoomOut();
    void zoomToNextLevel(int direction);
    void fitWidth();
    void fitPage();
    void zoomTo(double zoom);
    void rotateLeft();
    void rotateRight();
    void showNavigationPane(bool show);
    void focusFindField();
    void givePagesTheKeys();
    void closeFind();
    void findNext();
    void findPrevious();
    void moveToMatch(void (SearchMatches::*move)());
    void showCurrentMatch();
    void startSearch();
    void takeMatches(int page, const QList<QRectF> &areas, const QStringList &contexts);
    void chooseMatch(int page, int onPage);
    void offerResults();
    void showMatch(int page, const FoundText &match);
    void showNothing(const QString &message);
    void showMatchCount();
    void endSearch();
    void findStayingPut(const QString &text, int firstPage);
    void offerNavigation();
    void chooseEntry(const OutlineSource::Entry &entry);
    void showZoom();
    void openWebAddress(const QString &address);
    QString printChosen(QPrinter &printer);
    QString printPdfJob(QPrinter &printer, const QList<int> &pages);
    bool eventFilter(QObject *watched, QEvent *event) override;

    QToolBar *m_toolbar = nullptr;
    QLineEdit *m_pageBox = nullptr;
    QLabel *m_pageCount = nullptr;
    ZoomBox *m_zoomBox = nullptr;
    QComboBox *m_layoutBox = nullptr;
    QComboBox *m_colourBox = nullptr;
    QComboBox *m_scope = nullptr;
    QAction *m_scopeAction = nullptr;
    FindField *m_findField = nullptr;
    DocumentSearch *m_search = nullptr;
    std::unique_ptr<SearchMatches> m_matches;
    DocumentResults *m_results = nullptr;
    QString m_searched;   // the text the matches are of
    QString m_outerCount; // the window's count for its scope
    PageArea *m_pages = nullptr;
    NavigationPane *m_navigation = nullptr;
    QAction *m_navigationButton = nullptr;
    QAction *m_back = nullptr;
    QLabel *m_pageLabel = nullptr;
    QAction *m_pageLabelAction = nullptr;
    QAction *m_pageCountAction = nullptr;
    QLabel *m_notice = nullptr;
    QTimer m_noticeTimer;
    QAction *m_forward = nullptr;
    std::shared_ptr<OutlineSource> m_windowOutline;
    std::unique_ptr<PageContent> m_content;
    WebOpener *m_webOpener = nullptr;
    Dialogs *m_dialogs = nullptr;
    QString m_bookTool;
    PrintJobs *m_printJobs = nullptr;
    PageCutter::Source m_printSource;
    bool m_toolbarAtTopEdge = false;
    bool m_matchesStayPut = false; // the matches coming in never move the pages
    bool m_toolbarWanted = true;   // as setShowToolbar said last
    int m_left = 0;
    int m_top = 0;
    int m_width = 0;
    int m_height = 0;
};
