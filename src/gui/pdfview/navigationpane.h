// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/readingplace.h"
#include "gui/pdfview/outlinesource.h"
#include "pdf/document.h"

#include <QList>
#include <QSet>
#include <QSizeF>
#include <QTabWidget>

#include <memory>

class OutlineReader;
class PageRenderer;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The pane beside the pages: an outline (a tree, objectName "outline": an entry's name, then its
// page) and page thumbnails, drawn only as they come into view. A click on either chooses a place
// to go to. The window may add pages of its own after these, which stay while documents change.
//
// The tree reads its source one level at a time, on a thread of its own, and lists each level as
// it comes: the top level when the source is set, an entry's children when it is first opened.
// Entries the source asks to show opened are opened only near the top, so no outline is ever read
// to its depth. While a level is being read the tree shows the busy cursor. The entry and the
// thumbnail of the page being read are the current ones.
class NavigationPane : public QTabWidget
{
    Q_OBJECT

public:
    explicit NavigationPane(QWidget *parent = nullptr);
    ~NavigationPane() override;

    // The tree of `source`; none for nullptr. Without an outline the pane turns to its
    // thumbnails.
    void setOutline(std::shared_ptr<OutlineSource> source);
    // The thumbnails of the pages, drawn through `opener` on their own thread.
    void setPages(const Pdf::Document::Opener &opener, const QList<QSizeF> &pageSizes);
    void clearPages();
    void setColours(PageColours colours);
    // True from the outline being set until its top level comes empty.
    bool hasOutline() const;
    // The chapter shown (-1 for none): its top-level entry is opened, and the current entry is
    // looked for among its entries.
    void showChapter(int chapter);
    // The page being read, from 1: the deepest entry read so far that leads to it or to a page
    // before it in the chapter shown becomes the current entry, and its thumbnail the current
    // one.
    void showPage(int page);
    // True while a page of the window's is shown.
    bool hasPageShown() const;

signals:
    // `top` is a fraction of the page's height, below 0 for the page's top.
    void placeChosen(int page, double top);
    // An entry of the outline was clicked.
    void entryChosen(const OutlineSource::Entry &entry);
    // The top level of the outline came, and hasOutline() may have changed.
    void outlineRead();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fill(QTreeWidgetItem *parent);
    void place(const QList<int> &path, const QList<OutlineSource::Entry> &entries);
    QTreeWidgetItem *itemAt(const QList<int> &path) const;
    void openAsked();
    void showReading();
    void openChapterShown();
    void turnToOutline();
    void fillWaitingOutline();
    void choose(QTreeWidgetItem *item);
    void markCurrentEntry();
    void markCurrentThumbnail();
    void listThumbnails();
    void requestVisibleThumbnails();

    QTreeWidget *m_outline = nullptr;
    QListWidget *m_thumbnails = nullptr;
    PageRenderer *m_renderer = nullptr;
    std::unique_ptr<OutlineReader> m_reader;
    int m_chapter = -1;
    int m_page = 0;
    int m_reading = 0; // levels asked for and not yet come
    bool m_topLevelReading = false;
    int m_listed = 0;                     // entries in the tree
    QList<QTreeWidgetItem *> m_toOpen;    // asked to be shown opened, in the tree's order
    QTreeWidgetItem *m_opening = nullptr; // of those, the one whose level is being read
    // A top level too long to list before the pane is shown waits until it is.
    bool m_outlineWaiting = false;
    QList<QSizeF> m_sizes;
    QSet<int> m_drawn;
    PageColours m_colours = PageColours::Normal;
};
