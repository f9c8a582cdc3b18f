// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/navigationpane.h"

#include "gui/pdfview/pagerenderer.h"

#include <QHash>
#include <QListWidget>
#include <QPainter>
#include <QScrollBar>
#include <QTreeWidget>

namespace
{
const int ThumbnailWidth = 120;
const int PageRole = Qt::UserRole;
const int TopRole = Qt::UserRole + 1;

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
    connect(m_thumbnails, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { emit placeChosen(m_thumbnails->row(item), -1); });
    connect(m_thumbnails->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &NavigationPane::requestVisibleThumbnails);
    connect(this, &QTabWidget::currentChanged, this, &NavigationPane::requestVisibleThumbnails);
    connect(m_renderer, &PageRenderer::rendered, this,
            [this](const PageRenderer::Job &job, const QImage &image) {
                if (image.isNull() || !m_thumbnails->item(job.page))
                    return;
                QImage shown = image;
                shown.setDevicePixelRatio(m_thumbnails->devicePixelRatioF());
                m_thumbnails->item(job.page)->setIcon(QPixmap::fromImage(shown));
                m_drawn.insert(job.page);
            });
}

NavigationPane::~NavigationPane() = default;

void NavigationPane::setDocument(const QList<Pdf::OutlineEntry> &outline,
                                 const Pdf::Document::Opener &opener,
                                 const QList<QSizeF> &pageSizes)
{
    clear();
    addOutline(outline, nullptr);
    m_sizes = pageSizes;
    m_renderer->setDocument(opener, Pdf::Smoothing::Shapes);
    requestVisibleThumbnails();
}

void NavigationPane::clear()
{
    m_renderer->setDocument({}, Pdf::Smoothing::Shapes);
    m_outline->clear();
    m_thumbnails->clear();
    m_sizes.clear();
    m_drawn.clear();
}

bool NavigationPane::hasOutline() const
{
    return m_outline->topLevelItemCount() > 0;
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

// Entries that lead out of the document are listed but go nowhere.
void NavigationPane::addOutline(const QList<Pdf::OutlineEntry> &entries, QTreeWidgetItem *parent)
{
    for (const Pdf::OutlineEntry &entry : entries) {
        auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(m_outline);
        item->setText(0, entry.name);
        item->setToolTip(0, entry.name);
        item->setData(0, PageRole, entry.page);
        item->setData(0, TopRole, entry.top);
        item->setExpanded(entry.open);
        addOutline(entry.children, item);
    }
}

void NavigationPane::choose(QTreeWidgetItem *item)
{
    const int page = item->data(0, PageRole).toInt();
    if (page >= 0 && page < m_sizes.size())
        emit placeChosen(page, item->data(0, TopRole).toDouble());
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
}

void NavigationPane::showEvent(QShowEvent *event)
{
    QTabWidget::showEvent(event);
    requestVisibleThumbnails();
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
        jobs.append({page, scale, 0, QRect()});
    }
    m_renderer->request(jobs);
}
