// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/layout/pagelayout.h"
#include "gui/pdfview/pagecache.h"
#include "gui/pdfview/pagecontent.h"
#include "gui/pdfview/pagerenderer.h"
#include "search/searchmatches.h"

#include <QAbstractScrollArea>
#include <QAbstractSlider>

// The pages of the document, one below another or in spreads, scrolled continuously. Pages are
// drawn by a PageRenderer; until a page is ready it shows as a plain white sheet, or scaled from an
// earlier zoom. A page that would take more than LargestWholePage bytes is drawn as its visible
// part only; any other page that the view's edge cuts is drawn first as the part that shows,
// then whole. A link under the pointer shows its whole target as a tooltip; a click on a link to
// a page asks for that place (pageLinkFollowed); dragging selects text.
class PageArea : public QAbstractScrollArea
{
    Q_OBJECT

public:
    enum class ZoomMode { Fixed, FitWidth, FitPage };
    static constexpr qint64 LargestWholePage = 16 * 1024 * 1024;

    explicit PageArea(QWidget *parent = nullptr);

    // A new document: the drawing thread makes its own from `opener`, and the first page is
    // drawn at once. Then `content` gives every page's size, links and words on this thread; it
    // must live until the next document is started.
    void startDocument(const Pdf::Document::Opener &opener, const QSizeF &firstPage);
    void setContent(PageContent *content);
    // While held, no page is asked of the drawing thread: a document set up in several steps
    // has only the pages it finally shows drawn. Released, they are asked for at once.
    void holdDrawing(bool held);
    // No document; `message` is shown in its place when not empty.
    void clearDocument(const QString &message);

    int pageCount() const { return m_layout.pageCount(); }
    QString message() const { return m_message; }
    // The page being read, counted from 0; -1 without a document.
    int currentPage() const { return m_current; }
    void goToPage(int page);

    double zoom() const { return m_layout.zoom(); }
    void setZoom(double zoom);
    void setZoomMode(ZoomMode mode);
    ZoomMode zoomMode() const { return m_mode; }
    void rotateBy(int quarterTurns);
    int quarterTurns() const { return m_layout.quarterTurns(); }
    // One page a row or spreads; the page being read stays in view.
    void setSpread(PageLayout::Spread spread);
    PageLayout::Spread spread() const { return m_layout.spread(); }
    // Pages drawn from now on are coloured so; the thumbnails are the pane's own.
    void setColours(PageColours colours);
    PageColours colours() const { return m_colours; }

    // Shows `page` with the fraction `top` of its height above the top of the view (below 0:
    // the page's top), and makes it current.
    void showPlace(int page, double top);
    // How far down the current page the view's top edge is, as showPlace takes it: below 0
    // while the page's top is in view.
    double topOfCurrentPage() const;
    QString selectedText();
    // The matches to highlight, the current one apart; it must outlive the document.
    void setMatches(const SearchMatches *matches) { m_matches = matches; }
    // Brings the current match into view, its page the current one.
    void showCurrentMatch();
    // Where `page` stands in the viewport, in its pixels.
    QRect shownPageRect(int page) const;

signals:
    void currentPageChanged(int page);
    // The view moved: scrolled, zoomed, turned or given a place.
    void moved();
    void pageLinkFollowed(int page, double top);
    // The reader asked to go on past the end of the document (`direction` 1) or before its
    // start (-1): a key that scrolls on, or the wheel turned on once the end was reached.
    void readPast(int direction);
    // A link to a place in another file: its name there, or its page (from 0) and top.
    void fileLinkFollowed(const QString &file, const QString &destination, int page, double top);
    void zoomChanged(double zoom);
    void webLinkActivated(const QString &address);

protected:
    void paintEvent(QPaintEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Lays out the pages anew and scrolls so that `place` is where `at` of the viewport was.
    void relayoutKeeping(const PageLayout::Place &place, QPoint at);
    void scrollOrReadPast(QAbstractSlider::SliderAction action, int direction);
    void wheelPastTheEnds(int delta);
    bool isAtEnd(int direction) const;
    void showPages(const QList<QSizeF> &sizes);
    void updateScrollBars();
    QPoint scrollOffset() const;
    QRect visibleContent() const;
    void followScrolling();
    void requestVisiblePages();
    double drawScale() const;
    bool drawnInParts(int page) const;
    bool partlyShown(int page) const;
    QRect visiblePartOf(int page, bool margin) const;
    void paintPage(QPainter &painter, int page);
    void paintFocus(QPainter &painter);
    static constexpr int FocusFrameWidth = 2;
    void paintDrawn(QPainter &painter, const QRect &rect, const PageCache::Entry &entry);
    void paintUnshowable(QPainter &painter, const QRect &rect);
    void paintSelection(QPainter &painter, int page);
    void paintMatches(QPainter &painter, int page);
    QRectF shownArea(int page, const QRectF &onPage) const;
    void accept(const PageRenderer::Job &job, const QImage &image);
    // The page nearest a point of the view, and the point in that page's own coordinates.
    PageLayout::Place pagePointAt(QPoint viewPoint) const;
    const PageLink *linkAt(QPoint viewPoint, QList<PageLink> &links) const;
    TextPoint textPointAt(QPoint viewPoint, bool after) const;
    void follow(const PageLink &link);
    void copySelection();
    void takeSelection();
    void clearSelection();

    PageLayout m_layout;
    PageCache m_cache;
    PageRenderer *m_renderer = nullptr;
    QAction *m_copy = nullptr;
    PageColours m_colours = PageColours::Normal;
    ZoomMode m_mode = ZoomMode::FitWidth;
    int m_current = -1;
    // Set while the view scrolls itself to a place: the page current stays as it was chosen.
    bool m_placing = false;
    bool m_drawingHeld = false;
    bool m_shown = false;  // between the show and hide events
    double m_toldZoom = 1; // the zoom zoomChanged told last
    QString m_message;
    PageContent *m_content = nullptr;
    const SearchMatches *m_matches = nullptr;
    int m_wheelPastEnd = 0; // how far the wheel turned on at an end
    QPoint m_pressedAt;
    bool m_dragging = false;
    TextPoint m_selectionStart;
    TextPoint m_selectionEnd;
};
