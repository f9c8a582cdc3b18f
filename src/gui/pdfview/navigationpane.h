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

class PageRenderer;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The pane beside the pages: an outline (a tree, objectName "outline": an entry's name, then its
// page) and page thumbnails, drawn only as they come into view. A click on either chooses a place
// to go to. The window may add pages of its own after these, which stay while documents change.
//
// The tree reads its source one level at a time: the top level when the source is set, an
// entry's children when it is first opened. Entries the source asks to show opened are opened
// only near the top, so no outline is ever read to its depth. The entry and the thumbnail of the
// page being read are the current ones.
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void fill(QTreeWidgetItem *parent);
    void fillWaitingOutline();
    void choose(QTreeWidgetItem *item);
    void markCurrentEntry();
    void markCurrentThumbnail();
    void listThumbnails();
    void requestVisibleThumbnails();

    QTreeWidget *m_outline = nullptr;
    QListWidget *m_thumbnails = nullptr;
    PageRenderer *m_renderer = nullptr;
    std::shared_ptr<OutlineSource> m_source;
    int m_chapter = -1;
    int m_page = 0;
    int m_filling = 0; // fills under way, one inside another
    int m_listed = 0;  // entries in the tree
    // A top level too long to list before the pane is shown waits until it is.
    bool m_outlineWaiting = false;
    QList<QSizeF> m_sizes;
    QSet<int> m_drawn;
    PageColours m_colours = PageColours::Normal;
};
