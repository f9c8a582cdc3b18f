// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/navigationpane.h"

#include "gui/pdfview/outlinereader.h"
#include "gui/pdfview/pagerenderer.h"

#include <QHash>
#include <QHeaderView>
#include <QKeyEvent>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QTreeWidget>

namespace
{
const int ThumbnailWidth = 120;
const int PageRole = Qt::UserRole;
const int TopRole = Qt::UserRole + 1;
const int ChapterRole = Qt::UserRole + 2;
const int FilledRole = Qt::UserRole + 3;
// A top level longer than this (a book of that many chapters) is listed only when the pane is
// shown: each entry of the tree takes about a kilobyte.
const int TopLevelListedHidden = 10000;
// Entries a document asks to show opened are opened this many levels down at most: an outline
// may be nested deeper than any reader could walk.
const int OpenedLevels = 3;
// Nor past this many entries listed in all: a small file may ask for millions opened.
const int ListedWhileOpening = 1000;

// The index of the entry at each level from the top.
QList<int> pathOf(QTreeWidgetItem *item)
{
    QList<int> path;
    for (; item; item = item->parent()) {
        QTreeWidgetItem *parent = item->parent();
        path.prepend(parent ? parent->indexOfChild(item)
                            : item->treeWidget()->indexOfTopLevelItem(item));
    }
    return path;
}

QTreeWidgetItem *itemOf(const OutlineSource::Entry &entry)
{
    if (entry.leftOut > 0) {
        auto *rest = new QTreeWidgetItem({QStringLiteral("…")});
        rest->setToolTip(0, QStringLiteral("另有 %1 项未列出").arg(entry.leftOut));
        rest->setData(0, ChapterRole, entry.chapter);
        return rest;
    }
    auto *item =
        new QTreeWidgetItem({entry.name, entry.page > 0 ? QString::number(entry.page) : QString()});
    item->setToolTip(0, entry.name);
    item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    item->setData(0, PageRole, entry.page);
    item->setData(0, TopRole, entry.top);
    item->setData(0, ChapterRole, entry.chapter);
    item->setChildIndicatorPolicy(entry.hasChildren
                                      ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return item;
}

QPixmap blankThumbnail(const QSizeF &points)
{
    const double height = points.width() > 0 ? ThumbnailWidth * points.height() / points.width()
                                             : ThumbnailWidth * 1.4;
    QPixmap blank(ThumbnailWidth, qBound(1, qRound(height), 4 * ThumbnailWidth));
    blank.fill(Qt::white);
    return blank;
}
} // namespace

NavigationPane::NavigationPane(QWidget *parent) : QTabWidget(parent)
{
    m_outline = new QTreeWidget(this);
    m_outline->setObjectName(QStringLiteral("outline"));
    m_outline->setHeaderHidden(true);
    // A column fitted to its contents and rows of their own heights are measured again on every
    // entry added: a book's outline holds tens of thousands.
    m_outline->setUniformRowHeights(true);
    m_outline->setColumnCount(2);
    m_outline->header()->setStretchLastSection(false);
    m_outline->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_outline->header()->setSectionResizeMode(1, QHeaderView::Fixed);
    m_outline->header()->resizeSection(
        1, m_outline->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 8);
    addTab(m_outline, QStringLiteral("大纲"));
    m_thumbnails = new QListWidget(this);
    m_thumbnails->setObjectName(QStringLiteral("thumbnails"));
    m_thumbnails->setViewMode(QListView::IconMode);
    m_thumbnails->setFlow(QListView::TopToBottom);
    m_thumbnails->setWrapping(false);
    m_thumbnails->setMovement(QListView::Static);
    m_thumbnails->setIconSize(QSize(ThumbnailWidth, 4 * ThumbnailWidth));
    m_thumbnails->setSpacing(6);
    // White pages show on grey, as in the page area.
    QPalette palette = m_thumbnails->palette();
    palette.setColor(QPalette::Base, QColor(0xc8, 0xc8, 0xc8));
    m_thumbnails->setPalette(palette);
    addTab(m_thumbnails, QStringLiteral("缩略图"));
    m_renderer = new PageRenderer(this);

    connect(m_outline, &QTreeWidget::itemClicked, this, &NavigationPane::choose);
    connect(m_outline, &QTreeWidget::itemExpanded, this, &NavigationPane::fill);
    m_outline->installEventFilter(this);
    connect(m_thumbnails, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { emit placeChosen(m_thumbnails->row(item), -1); });
    connect(m_thumbnails->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &NavigationPane::requestVisibleThumbnails);
    connect(this, &QTabWidget::currentChanged, this, &NavigationPane::requestVisibleThumbnails);
    connect(m_renderer, &PageRenderer::rendered, this,
            [this](const PageRenderer::Job &job, const QImage &image) {
                if (image.isNull() || !m_thumbnails->item(job.page) || job.colours != m_colours)
                    return;
                QImage shown = image;
                shown.setDevicePixelRatio(m_thumbnails->devicePixelRatioF());
                m_thumbnails->item(job.page)->setIcon(QPixmap::fromImage(shown));
                m_drawn.insert(job.page);
            });
}

NavigationPane::~NavigationPane() = default;

void NavigationPane::setOutline(std::shared_ptr<OutlineSource> source)
{
    m_reader.reset();
    m_chapter = -1;
    m_outline->clear();
    m_listed = 0;
    m_reading = 0;
    m_topLevelReading = false;
    m_toOpen.clear();
    m_opening = nullptr;
    showReading();
    m_outlineWaiting = source && !isVisible() && source->topLevelCount() > TopLevelListedHidden;
    if (source) {
        m_reader = std::make_unique<OutlineReader>(
            std::move(source),
            [this](const QList<int> &path, const QList<OutlineSource::Entry> &entries) {
                place(path, entries);
            });
    }
    if (!m_outlineWaiting)
        fill(nullptr);
    turnToOutline();
}

void NavigationPane::setPages(const Pdf::Document::Opener &opener, const QList<QSizeF> &pageSizes)
{
    clearPages();
    m_sizes = pageSizes;
    m_renderer->setDocument(opener);
    requestVisibleThumbnails();
}

// The thumbnails drawn are drawn again in the new colours as they come into view.
void NavigationPane::setColours(PageColours colours)
{
    m_colours = colours;
    m_drawn.clear();
    requestVisibleThumbnails();
}

void NavigationPane::clearPages()
{
    m_renderer->setDocument({});
    m_thumbnails->clear();
    m_sizes.clear();
    m_drawn.clear();
    m_page = 0;
}

// An outline whose top level is still being read counts as one until it comes empty.
bool NavigationPane::hasOutline() const
{
    return m_outlineWaiting || m_topLevelReading || m_outline->topLevelItemCount() > 0;
}

// The pane opens on the outline while it has one, else on its thumbnails, unless the reader
// chose one of the window's pages.
void NavigationPane::turnToOutline()
{
    if (currentIndex() < 2)
        setCurrentWidget(hasOutline() ? static_cast<QWidget *>(m_outline) : m_thumbnails);
}

// The pages after the outline and the thumbnails are the window's.
bool NavigationPane::hasPageShown() const
{
    for (int index = 2; index < count(); ++index) {
        if (isTabVisible(index))
            return true;
    }
    return false;
}

void NavigationPane::showChapter(int chapter)
{
    m_chapter = chapter;
    openChapterShown();
    markCurrentEntry();
}

// Entries of a plain document are of no chapter (-1), and are not opened for it.
void NavigationPane::openChapterShown()
{
    if (m_chapter < 0)
        return;
    for (int row = 0; row < m_outline->topLevelItemCount(); ++row) {
        QTreeWidgetItem *item = m_outline->topLevelItem(row);
        if (item->data(0, ChapterRole).toInt() == m_chapter) {
            item->setExpanded(true);
            break;
        }
    }
}

void NavigationPane::showPage(int page)
{
    if (page == m_page)
        return;
    m_page = page;
    markCurrentEntry();
    markCurrentThumbnail();
}

// The entries below `parent` (the top level for nullptr), asked for once and placed when they
// come.
void NavigationPane::fill(QTreeWidgetItem *parent)
{
    if (!m_reader || (parent && parent->data(0, FilledRole).toBool()))
        return;
    if (parent)
        parent->setData(0, FilledRole, true);
    else
        m_topLevelReading = true;
    ++m_reading;
    showReading();
    m_reader->read(pathOf(parent));
}

// A level slow to come (a worker may take its whole deadline over one) shows the tree busy.
void NavigationPane::showReading()
{
    if (m_reading > 0)
        m_outline->setCursor(Qt::BusyCursor);
    else
        m_outline->unsetCursor();
}

// The item at `path`, the tree's root for an empty one. Items are never taken out of a tree
// that stays, so a path read is still the entry it was asked for.
QTreeWidgetItem *NavigationPane::itemAt(const QList<int> &path) const
{
    QTreeWidgetItem *item = m_outline->invisibleRootItem();
    for (int i = 0; item && i < path.size(); ++i)
        item = item->child(path.at(i));
    return item;
}

// Entries asked to be shown opened are opened only near the top. The current entry is looked for
// once every level asked for is in.
void NavigationPane::place(const QList<int> &path, const QList<OutlineSource::Entry> &entries)
{
    --m_reading;
    QTreeWidgetItem *parent = itemAt(path);
    if (!parent) {
        showReading();
        return;
    }
    if (parent == m_opening)
        m_opening = nullptr;
    QList<QTreeWidgetItem *> items;
    QList<bool> opened;
    for (const OutlineSource::Entry &entry : entries) {
        items.append(itemOf(entry));
        opened.append(entry.open);
    }
    if (path.isEmpty()) {
        m_topLevelReading = false;
        m_outline->addTopLevelItems(items);
    } else {
        parent->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
        parent->addChildren(items);
    }
    m_listed += int(items.size());
    if (path.size() + 1 < OpenedLevels) {
        QList<QTreeWidgetItem *> asked;
        for (int i = 0; i < items.size(); ++i) {
            if (opened.at(i))
                asked.append(items.at(i));
        }
        m_toOpen = asked + m_toOpen;
    }
    openAsked();
    if (path.isEmpty()) {
        openChapterShown();
        turnToOutline();
        emit outlineRead();
    }
    showReading();
    if (m_reading == 0)
        markCurrentEntry();
}

// The entries the source asks to show opened are opened one at a time, depth first, each once the
// level opened before it is in: only then does the count listed say when to stop. An entry is
// found in its parent's list by a walk from its start, so only those to be opened are touched,
// or a book of a million chapters would take hours.
void NavigationPane::openAsked()
{
    while (!m_opening && !m_toOpen.isEmpty() && m_listed < ListedWhileOpening) {
        QTreeWidgetItem *item = m_toOpen.takeFirst();
        const bool read = item->data(0, FilledRole).toBool();
        item->setExpanded(true);
        if (!read)
            m_opening = item;
    }
    if (m_listed >= ListedWhileOpening)
        m_toOpen.clear();
}

// Entries that lead out of the document are listed but go nowhere.
void NavigationPane::choose(QTreeWidgetItem *item)
{
    const int page = item->data(0, PageRole).toInt();
    if (page > 0)
        emit entryChosen({item->text(0), item->data(0, ChapterRole).toInt(), page,
                          item->data(0, TopRole).toDouble(), false, false});
}

// Of the entries at or before the page, the last in the tree's order leading furthest on: the
// deepest one where a section and its chapter start on the same page. Entries lead into the
// chapter of the entry above them, so only the chapter shown is walked, and without recursion:
// the reader may have opened an outline far down.
void NavigationPane::markCurrentEntry()
{
    QTreeWidgetItem *current = nullptr;
    int currentPage = 0;
    QList<QTreeWidgetItem *> waiting{m_outline->invisibleRootItem()};
    while (!waiting.isEmpty()) {
        QTreeWidgetItem *item = waiting.takeLast();
        const int page = item->data(0, PageRole).toInt(); // none for the root
        if (page > 0 && page <= m_page && page >= currentPage) {
            current = item;
            currentPage = page;
        }
        for (int row = item->childCount() - 1; row >= 0; --row) {
            if (item->child(row)->data(0, ChapterRole).toInt() == m_chapter)
                waiting.append(item->child(row));
        }
    }
    if (current != m_outline->currentItem())
        m_outline->setCurrentItem(current);
}

void NavigationPane::markCurrentThumbnail()
{
    if (m_page > 0 && m_page <= m_thumbnails->count())
        m_thumbnails->setCurrentRow(m_page - 1);
}

// Listed when first shown, pages of one size sharing one blank picture.
void NavigationPane::listThumbnails()
{
    QHash<QPair<int, int>, QPixmap> blanks;
    for (int page = 0; page < m_sizes.size(); ++page) {
        const QSizeF points = m_sizes.at(page);
        const QPair<int, int> key(qRound(points.width()), qRound(points.height()));
        if (!blanks.contains(key))
            blanks.insert(key, blankThumbnail(points));
        auto *item =
            new QListWidgetItem(blanks.value(key), QString::number(page + 1), m_thumbnails);
        item->setTextAlignment(Qt::AlignHCenter);
    }
    markCurrentThumbnail();
}

// The tree's "*" opens everything below the current entry, which would read the outline to its
// depth: an outline may be nested deeper than any reader could walk, or loop.
bool NavigationPane::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_outline && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Asterisk)
        return true;
    return QTabWidget::eventFilter(watched, event);
}

void NavigationPane::showEvent(QShowEvent *event)
{
    QTabWidget::showEvent(event);
    fillWaitingOutline();
    requestVisibleThumbnails();
}

// The chapter shown meanwhile is opened in the tree as it would have been.
void NavigationPane::fillWaitingOutline()
{
    if (!m_outlineWaiting)
        return;
    m_outlineWaiting = false;
    fill(nullptr);
}

// Only the thumbnails in view are drawn, at the width of the list's pictures.
void NavigationPane::requestVisibleThumbnails()
{
    if (!m_thumbnails->isVisible())
        return;
    if (m_thumbnails->count() == 0)
        listThumbnails();
    const QRect shown = m_thumbnails->viewport()->rect();
    QList<PageRenderer::Job> jobs;
    for (int page = 0; page < m_thumbnails->count(); ++page) {
        QListWidgetItem *item = m_thumbnails->item(page);
        if (m_drawn.contains(page) || !m_thumbnails->visualItemRect(item).intersects(shown))
            continue;
        const double scale = ThumbnailWidth / qMax(m_sizes.at(page).width(), 1.0) *
                             m_thumbnails->devicePixelRatioF();
        jobs.append({page, scale, 0, QRect(), m_colours});
    }
    m_renderer->request(jobs);
}
