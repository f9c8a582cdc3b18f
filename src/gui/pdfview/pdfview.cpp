#include "gui/pdfview/pdfview.h"

#include "core/layout/twips.h"
#include "widgets/artwork.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace
{
const double ZoomStep = 1.25;
const double SmallestScale = 0.1;
const double LargestScale = 8.0;
} // namespace

PdfView::PdfView(QWidget *parent) : QWidget(parent)
{
    // The view lies over the side panel while the panel is hidden: nothing of it may show
    // through the toolbar.
    setAutoFillBackground(true);
    m_view = new QPdfView(this);
    m_view->setObjectName(QStringLiteral("pages"));
    m_view->setPageMode(QPdfView::PageMode::MultiPage);
    m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
    m_view->installEventFilter(this);
    createToolbar();

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolbar);
    layout->addWidget(m_view, 1);

    connect(m_view->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this,
            &PdfView::showPageNumber);
    showPageNumber();
}

PdfView::~PdfView() = default;

void PdfView::createToolbar()
{
    m_toolbar = new QToolBar(this);
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setIconSize(QSize(16, 16));
    m_toolbar->setMovable(false);

    addButton("previous-page", QStringLiteral("上一页"), "previousPage",
              &PdfView::goToPreviousPage);
    m_pageBox = new QLineEdit(m_toolbar);
    m_pageBox->setObjectName(QStringLiteral("pageBox"));
    m_pageBox->setFixedWidth(48);
    m_pageBox->setAlignment(Qt::AlignCenter);
    m_toolbar->addWidget(m_pageBox);
    m_pageCount = new QLabel(m_toolbar);
    m_pageCount->setObjectName(QStringLiteral("pageCount"));
    m_pageCount->setContentsMargins(4, 0, 4, 0);
    m_toolbar->addWidget(m_pageCount);
    addButton("next-page", QStringLiteral("下一页"), "nextPage", &PdfView::goToNextPage);
    m_toolbar->addSeparator();
    addButton("zoom-out", QStringLiteral("缩小"), "zoomOut", &PdfView::zoomOut);
    addButton("zoom-in", QStringLiteral("放大"), "zoomIn", &PdfView::zoomIn);
    addButton("fit-width", QStringLiteral("适合宽度"), "fitWidth", &PdfView::fitWidth);

    connect(m_pageBox, &QLineEdit::returnPressed, this, &PdfView::goToTypedPage);
}

void PdfView::addButton(const char *art, const QString &text, const char *name,
                        void (PdfView::*command)())
{
    QAction *action = m_toolbar->addAction(Artwork::icon(QLatin1String(art)), text, this, command);
    action->setObjectName(QLatin1String(name));
}

bool PdfView::LoadFile(const QString &path)
{
    QPdfDocument *document = openDocument(path);
    const bool shown = document->status() == QPdfDocument::Status::Ready;
    // A fresh document for every file: a document reused for another file keeps state of the
    // first that the view does not expect.
    m_view->setDocument(document);
    delete m_replaced;
    m_replaced = m_document;
    m_document = document;
    // The view keeps the page it showed in its navigator across documents.
    m_view->pageNavigator()->clear();
    m_view->verticalScrollBar()->setValue(0);
    m_view->horizontalScrollBar()->setValue(0);
    showPageNumber();
    return shown;
}

QPdfDocument *PdfView::openDocument(const QString &path)
{
    auto *document = new QPdfDocument(this);
    document->load(path);
    return document;
}

void PdfView::setShowToolbar(bool show)
{
    m_toolbar->setVisible(show);
}

bool PdfView::isToolbarShown() const
{
    return !m_toolbar->isHidden();
}

void PdfView::setCurrentPage(int page)
{
    if (page < 1 || page > pageCount())
        return;
    m_view->pageNavigator()->jump(page - 1, QPointF(), m_view->zoomFactor());
}

int PdfView::currentPage() const
{
    return pageCount() > 0 ? m_view->pageNavigator()->currentPage() + 1 : 0;
}

int PdfView::pageCount() const
{
    if (!m_document || m_document->status() != QPdfDocument::Status::Ready)
        return 0;
    return m_document->pageCount();
}

void PdfView::setTwipsGeometry(int left, int top, int width, int height)
{
    m_left = left;
    m_top = top;
    m_width = width;
    m_height = height;
    applyGeometry();
}

void PdfView::setLeft(int twips)
{
    m_left = twips;
    applyGeometry();
}

void PdfView::setWidth(int twips)
{
    m_width = twips;
    applyGeometry();
}

void PdfView::setHeight(int twips)
{
    m_height = twips;
    applyGeometry();
}

void PdfView::applyGeometry()
{
    setGeometry(Twips::toPixelRect(m_left, m_top, qMax(m_width, 0), qMax(m_height, 0)));
}

void PdfView::showPageNumber()
{
    const int count = pageCount();
    m_pageBox->setText(count > 0 ? QString::number(currentPage()) : QString());
    m_pageCount->setText(count > 0 ? QStringLiteral("/ %1").arg(count) : QString());
}

void PdfView::goToTypedPage()
{
    bool ok = false;
    const int page = m_pageBox->text().trimmed().toInt(&ok);
    if (ok)
        setCurrentPage(page);
    // A number outside the document, or no number, puts the shown page back in the box.
    showPageNumber();
}

void PdfView::goToPreviousPage()
{
    setCurrentPage(currentPage() - 1);
}

void PdfView::goToNextPage()
{
    setCurrentPage(currentPage() + 1);
}

void PdfView::zoomIn()
{
    zoomBy(ZoomStep);
}

void PdfView::zoomOut()
{
    zoomBy(1 / ZoomStep);
}

void PdfView::fitWidth()
{
    m_view->setZoomMode(QPdfView::ZoomMode::FitToWidth);
}

void PdfView::zoomBy(double step)
{
    if (pageCount() < 1)
        return;
    QScrollBar *bar = m_view->verticalScrollBar();
    // Pages grow or shrink around the same place of the document.
    const double position = bar->maximum() > 0 ? double(bar->value()) / bar->maximum() : 0;
    const double scale = qBound(SmallestScale, shownScale() * step, LargestScale);
    m_view->setZoomMode(QPdfView::ZoomMode::Custom);
    m_view->setZoomFactor(scale);
    bar->setValue(qRound(position * bar->maximum()));
}

// The zoom factor the pages are drawn at: fit-to-width computes its own, from the viewport.
double PdfView::shownScale() const
{
    if (m_view->zoomMode() == QPdfView::ZoomMode::Custom)
        return m_view->zoomFactor();
    const double pointsWide = m_document->pagePointSize(qMax(currentPage() - 1, 0)).width();
    const double pixelsPerPoint = logicalDpiX() / 72.0;
    const QMargins margins = m_view->documentMargins();
    const int room = m_view->viewport()->width() - margins.left() - margins.right();
    if (pointsWide <= 0 || room <= 0)
        return 1.0;
    return room / (pointsWide * pixelsPerPoint);
}

bool PdfView::eventFilter(QObject *watched, QEvent *event)
{
    // The scroll area pages up and down itself but leaves Home and End alone.
    if (watched == m_view && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Home || key == Qt::Key_End) {
            QScrollBar *bar = m_view->verticalScrollBar();
            bar->setValue(key == Qt::Key_Home ? bar->minimum() : bar->maximum());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
