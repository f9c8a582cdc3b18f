// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QSet>
#include <QSizeF>
#include <QTabWidget>

#include <memory>

class BookResults;
class PageRenderer;
class QListWidget;
class QTreeWidget;
class QTreeWidgetItem;

namespace Poppler
{
class Document;
class OutlineItem;
} // namespace Poppler

// The pane beside the pages: the document's own outline (a tree, objectName "outline") and page
// thumbnails, drawn only as they come into view. A click on either chooses a place to go to.
// While a book is open a third tab lists the results of a search of the whole book; they stay
// while its chapters are shown one after another.
class NavigationPane : public QTabWidget
{
    Q_OBJECT

public:
    explicit NavigationPane(QWidget *parent = nullptr);
    ~NavigationPane() override;

    // Reads the outline from `reading` now; `drawing` goes to the thumbnails' own thread.
    void setDocument(Poppler::Document &reading, std::unique_ptr<Poppler::Document> drawing,
                     const QList<QSizeF> &pageSizes);
    void clear();
    bool hasOutline() const;

    BookResults *results() const { return m_results; }
    void setResultsTabShown(bool shown);
    void showResultsTab();

signals:
    // `top` is a fraction of the page's height, below 0 for the page's top.
    void placeChosen(int page, double top);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void addOutline(const QVector<Poppler::OutlineItem> &items, QTreeWidgetItem *parent);
    void choose(QTreeWidgetItem *item);
    void listThumbnails();
    void requestVisibleThumbnails();

    QTreeWidget *m_outline = nullptr;
    QListWidget *m_thumbnails = nullptr;
    BookResults *m_results = nullptr;
    PageRenderer *m_renderer = nullptr;
    QList<QSizeF> m_sizes;
    QSet<int> m_drawn;
    quint64 m_generation = 0;
};
