// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QList>
#include <QSet>
#include <QSizeF>
#include <QTabWidget>

class PageRenderer;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

// The pane beside the pages: the document's own outline (a tree, objectName "outline") and page
// thumbnails, drawn only as they come into view. A click on either chooses a place to go to.
// The window may add pages of its own after these, which stay while documents change.
class NavigationPane : public QTabWidget
{
    Q_OBJECT

public:
    explicit NavigationPane(QWidget *parent = nullptr);
    ~NavigationPane() override;

    // The document's outline, and an opener for the thumbnails' own thread.
    void setDocument(const QList<Pdf::OutlineEntry> &outline, const Pdf::Document::Opener &opener,
                     const QList<QSizeF> &pageSizes);
    void clear();
    bool hasOutline() const;
    // True while a page of the window's is shown.
    bool hasPageShown() const;

signals:
    // `top` is a fraction of the page's height, below 0 for the page's top.
    void placeChosen(int page, double top);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void addOutline(const QList<Pdf::OutlineEntry> &entries, QTreeWidgetItem *parent);
    void choose(QTreeWidgetItem *item);
    void listThumbnails();
    void requestVisibleThumbnails();

    QTreeWidget *m_outline = nullptr;
    QListWidget *m_thumbnails = nullptr;
    PageRenderer *m_renderer = nullptr;
    QList<QSizeF> m_sizes;
    QSet<int> m_drawn;
};
