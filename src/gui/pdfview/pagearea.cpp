// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagearea.h"

#include "gui/pdfview/pagecolouring.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QPainter>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QWheelEvent>

namespace
{
const int LineStep = 40;
const double WheelZoomStep = 1.1;
// One notch of a mouse wheel, in eighths of a degree.
const int WheelTurn = 120;
const QColor Background(0x80, 0x80, 0x80);
// The characters of a tooltip's line: a long address runs off no screen.
const qsizetype TooltipLine = 64;

// A link's target whole, as it is written (an "&lt;" in it is no markup), in lines short enough
// for any screen: a tooltip of one long line would run off it and hide the address's end, which
// may be the host it leads to.
QString tooltipText(const QString &target)
{
    QStringList lines;
    for (qsizetype at = 0; at < target.size();) {
        qsizetype end = std::min(at + TooltipLine, target.size());
        if (end < target.size() && target.at(end).isLowSurrogate())
            --end;
        lines << target.mid(at, end - at).toHtmlEscaped();
        at = end;
    }
    return QStringLiteral("<p style='white-space:pre'>") + lines.join(QStringLiteral("<br>")) +
           QStringLiteral("</p>");
}
} // namespace

PageArea::PageArea(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    // Always there, so fitting the width never brings the bar that makes the pages too wide.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setMouseTracking(true);
    m_renderer = new PageRenderer(this);
    connect(m_renderer, &PageRenderer::rendered, this, &PageArea::accept);
    m_copy = new QAction(QStringLiteral("复制"), this);
    m_copy->setObjectName(QStringLiteral("copy"));
    m_copy->setShortcut(QKeySequence::Copy);
    m_copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_copy->setEnabled(false);
    connect(m_copy, &QAction::triggered, this, &PageArea::copySelection);
    addAction(m_copy);
    setContextMenuPolicy(Qt::ActionsContextMenu);
}

// The first page is asked for at once, laid out alone, and drawn while the other sizes are read.
void PageArea::startDocument(const Pdf::Document::Opener &opener, const QSizeF &firstPage)
{
    m_renderer->setDocument(opener);
    m_content = nullptr;
    clearSelection();
    m_cache.clear();
    m_message.clear();
    // A new document is read upright, at the zoom the reader chose.
    m_layout.setQuarterTurns(0);
    showPages({firstPage});
}

void PageArea::setContent(PageContent *content)
{
    m_content = content;
    showPages(content->pageSizes());
}

void PageArea::holdDrawing(bool held)
{
    m_drawingHeld = held;
    if (!held)
        requestVisiblePages();
}

void PageArea::showPages(const QList<QSizeF> &sizes)
{
    m_layout.setPages(sizes);
    m_current = sizes.isEmpty() ? -1 : 0;
    relayoutKeeping({}, QPoint());
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue((m_layout.contentSize().width() - viewport()->width()) / 2);
    emit currentPageChanged(m_current);
    viewport()->update();
}

void PageArea::clearDocument(const QString &message)
{
    m_renderer->setDocument({});
    m_content = nullptr;
    clearSelection();
    m_cache.clear();
    m_layout.setPages({});
    m_message = message;
    m_current = -1;
    updateScrollBars();
    emit currentPageChanged(m_current);
    emit moved();
    viewport()->update();
}

void PageArea::goToPage(int page)
{
    if (page < 0 || page >= pageCount())
        return;
    m_current = page;
    // Scrolling follows the page on the screen; the page asked for stays current even where
    // the scroll bar cannot bring it to the top.
    const QScopedValueRollback<bool> placing(m_placing, true);
    verticalScrollBar()->setValue(m_layout.pageRect(page).top() - PageLayout::Gap);
    emit currentPageChanged(m_current);
    emit moved();
    requestVisiblePages();
    viewport()->update();
}

void PageArea::setZoom(double zoom)
{
    m_mode = ZoomMode::Fixed;
    const QPoint centre = viewport()->rect().center();
    const PageLayout::Place place = m_layout.placeAt(scrollOffset() + centre);
    m_layout.setZoom(zoom);
    relayoutKeeping(place, centre);
}

// Fitting the page shows the page being read whole, in the middle of the view.
void PageArea::setZoomMode(ZoomMode mode)
{
    m_mode = mode;
    const QPoint centre = viewport()->rect().center();
    const bool wholePage = mode == ZoomMode::FitPage && m_current >= 0;
    relayoutKeeping(wholePage ? PageLayout::Place{m_current, QPointF(0.5, 0.5)}
                              : m_layout.placeAt(scrollOffset() + centre),
                    centre);
}

void PageArea::setSpread(PageLayout::Spread spread)
{
    if (spread == m_layout.spread())
        return;
    const QPoint centre = viewport()->rect().center();
    const bool reading = m_current >= 0;
    m_layout.setSpread(spread);
    relayoutKeeping(reading ? PageLayout::Place{m_current, QPointF(0.5, 0)} : PageLayout::Place(),
                    QPoint(centre.x(), PageLayout::Gap));
}

// Pages drawn in other colours are of no more use.
void PageArea::setColours(PageColours colours)
{
    if (colours == m_colours)
        return;
    m_colours = colours;
    m_cache.clear();
    requestVisiblePages();
    viewport()->update();
}

void PageArea::rotateBy(int quarterTurns)
{
    const QPoint centre = viewport()->rect().center();
    const PageLayout::Place place = m_layout.placeAt(scrollOffset() + centre);
    m_layout.setQuarterTurns(m_layout.quarterTurns() + quarterTurns);
    relayoutKeeping({place.page, QPointF(0.5, place.fraction.y())}, centre);
}

// Every change of the zoom, by a command, the wheel or a fitting mode, is told once.
void PageArea::relayoutKeeping(const PageLayout::Place &place, QPoint at)
{
    m_layout.setViewportWidth(viewport()->width());
    if (m_mode == ZoomMode::FitWidth)
        m_layout.setZoom(m_layout.fitWidthZoom(viewport()->width()));
    else if (m_mode == ZoomMode::FitPage)
        m_layout.setZoom(m_layout.fitPageZoom(viewport()->size()));
    {
        // Moved here in one step: no page in between becomes current.
        const QScopedValueRollback<bool> placing(m_placing, true);
        updateScrollBars();
        const QPoint target = m_layout.pointOf(place) - at;
        horizontalScrollBar()->setValue(target.x());
        verticalScrollBar()->setValue(target.y());
    }
    // The page being read stays current while any of it is in view.
    if (!m_layout.pageRect(m_current).intersects(visibleContent()))
        followScrolling();
    if (!qFuzzyCompare(m_toldZoom, m_layout.zoom())) {
        m_toldZoom = m_layout.zoom();
        emit zoomChanged(m_toldZoom);
    }
    emit moved();
    requestVisiblePages();
    viewport()->update();
}

void PageArea::updateScrollBars()
{
    const QSize content = m_layout.contentSize();
    const QSize room = viewport()->size();
    verticalScrollBar()->setRange(0, qMax(0, content.height() - room.height()));
    verticalScrollBar()->setPageStep(room.height());
    verticalScrollBar()->setSingleStep(LineStep);
    horizontalScrollBar()->setRange(0, qMax(0, content.width() - room.width()));
    horizontalScrollBar()->setPageStep(room.width());
    horizontalScrollBar()->setSingleStep(LineStep);
}

QPoint PageArea::scrollOffset() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

QRect PageArea::visibleContent() const
{
    return QRect(scrollOffset(), viewport()->size());
}

void PageArea::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const PageLayout::Place place = m_layout.placeAt(scrollOffset());
    relayoutKeeping(place, QPoint());
}

void PageArea::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    // A scroll bar shows or hides a turn of the event loop after its range changed, and the view
    // was laid out while hidden: settled first, the pages are asked for the room they will have.
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    m_shown = true;
    requestVisiblePages();
}

void PageArea::hideEvent(QHideEvent *event)
{
    QAbstractScrollArea::hideEvent(event);
    m_shown = false;
}

void PageArea::scrollContentsBy(int, int)
{
    if (m_placing)
        return viewport()->update();
    followScrolling();
    emit moved();
    requestVisiblePages();
    viewport()->update();
}

// The page being read is the one across the middle of the view.
void PageArea::followScrolling()
{
    if (pageCount() == 0)
        return;
    const int page = m_layout.pageAt(scrollOffset().y() + viewport()->height() / 2);
    if (page != m_current) {
        m_current = page;
        emit currentPageChanged(m_current);
    }
}

// The place at the top of the view, the left edge as it is.
void PageArea::showPlace(int page, double top)
{
    if (page < 0 || page >= pageCount())
        return;
    const QPoint target = m_layout.pointOf({page, QPointF(0, qMax(top, 0.0))});
    {
        const QScopedValueRollback<bool> placing(m_placing, true);
        verticalScrollBar()->setValue(target.y() - (top > 0 ? 0 : PageLayout::Gap));
    }
    m_current = page;
    emit currentPageChanged(m_current);
    emit moved();
    requestVisiblePages();
    viewport()->update();
}

double PageArea::topOfCurrentPage() const
{
    if (m_current < 0)
        return -1;
    const QRect rect = m_layout.pageRect(m_current);
    const int above = scrollOffset().y() - rect.top();
    return above > 0 && rect.height() > 0 ? double(above) / rect.height() : -1;
}

void PageArea::keyPressEvent(QKeyEvent *event)
{
    QScrollBar *vertical = verticalScrollBar();
    switch (event->key()) {
    case Qt::Key_Home:
        vertical->setValue(vertical->minimum());
        break;
    case Qt::Key_End:
        vertical->setValue(vertical->maximum());
        break;
    case Qt::Key_PageUp:
        scrollOrReadPast(QAbstractSlider::SliderPageStepSub, -1);
        break;
    case Qt::Key_PageDown:
    case Qt::Key_Space:
        scrollOrReadPast(QAbstractSlider::SliderPageStepAdd, 1);
        break;
    case Qt::Key_Up:
        scrollOrReadPast(QAbstractSlider::SliderSingleStepSub, -1);
        break;
    case Qt::Key_Down:
        scrollOrReadPast(QAbstractSlider::SliderSingleStepAdd, 1);
        break;
    case Qt::Key_Left:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
        break;
    case Qt::Key_Right:
        horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

// At either end of the document a key that would scroll on asks to read past it instead.
void PageArea::scrollOrReadPast(QAbstractSlider::SliderAction action, int direction)
{
    if (isAtEnd(direction))
        emit readPast(direction);
    else
        verticalScrollBar()->triggerAction(action);
}

// At the bottom of the document for `direction` 1, at its top for -1.
bool PageArea::isAtEnd(int direction) const
{
    const QScrollBar *vertical = verticalScrollBar();
    return vertical->value() == (direction > 0 ? vertical->maximum() : vertical->minimum());
}

void PageArea::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ControlModifier) || pageCount() == 0) {
        wheelPastTheEnds(event->angleDelta().y());
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    const int steps = event->angleDelta().y() / WheelTurn;
    if (steps == 0)
        return;
    m_mode = ZoomMode::Fixed;
    const QPoint at = event->position().toPoint();
    const PageLayout::Place place = m_layout.placeAt(scrollOffset() + at);
    m_layout.setZoom(m_layout.zoom() * std::pow(WheelZoomStep, steps));
    relayoutKeeping(place, at);
    event->accept();
}

// The wheel turned on at an end of the document: once a whole turn more has come there, the
// reader asks to read past it. A turn that brings the view to the end counts not.
void PageArea::wheelPastTheEnds(int delta)
{
    const int direction = delta < 0 ? 1 : -1;
    if (delta == 0 || !isAtEnd(direction) ||
        (m_wheelPastEnd != 0 && (m_wheelPastEnd < 0) != (delta < 0))) {
        m_wheelPastEnd = 0;
        return;
    }
    m_wheelPastEnd += delta;
    if (qAbs(m_wheelPastEnd) >= WheelTurn) {
        m_wheelPastEnd = 0;
        emit readPast(direction);
    }
}

double PageArea::drawScale() const
{
    return PageLayout::pixelsPerPoint(m_layout.zoom()) * devicePixelRatioF();
}

bool PageArea::drawnInParts(int page) const
{
    const QSizeF points = m_layout.shownPointSize(page);
    const double scale = drawScale();
    return points.width() * scale * points.height() * scale * 4 > LargestWholePage;
}

// In pixels of the drawn page at drawScale(), from its top left corner; with `margin`, half a
// view more on every side, so that scrolling a little needs no new drawing.
QRect PageArea::visiblePartOf(int page, bool margin) const
{
    const QRect rect = m_layout.pageRect(page);
    QRect around = visibleContent();
    if (margin)
        around.adjust(-around.width() / 2, -around.height() / 2, around.width() / 2,
                      around.height() / 2);
    const QRect shown = rect.intersected(around).translated(-rect.topLeft());
    const double ratio = devicePixelRatioF();
    return QRect(
        QPoint(qFloor(shown.left() * ratio), qFloor(shown.top() * ratio)),
        QPoint(qCeil((shown.right() + 1) * ratio) - 1, qCeil((shown.bottom() + 1) * ratio) - 1));
}

bool PageArea::partlyShown(int page) const
{
    const QRect rect = m_layout.pageRect(page);
    return rect.intersects(visibleContent()) && !visibleContent().contains(rect);
}

// The pages in view, the one across the middle first, then the one below and above.
void PageArea::requestVisiblePages()
{
    // A hidden view is not yet at the size it will be shown at: its pages would be drawn for
    // nothing, and the page shown first would wait for them.
    if (pageCount() == 0 || m_drawingHeld || !m_shown)
        return;
    const QRect shown = visibleContent();
    const int first = m_layout.pageAt(shown.top());
    const int last = m_layout.lastPageAt(shown.bottom());
    m_cache.dropFarFrom(first, last);
    QList<int> order;
    const int middle = qBound(first, m_current, last);
    order << middle;
    for (int distance = 1; middle - distance >= first - 1 || middle + distance <= last + 1;
         ++distance) {
        for (const int page : {middle + distance, middle - distance}) {
            if (page >= qMax(first - 1, 0) && page <= qMin(last + 1, pageCount() - 1))
                order << page;
        }
    }
    QList<PageRenderer::Job> jobs;
    QList<PageRenderer::Job> wholePages;
    const double scale = drawScale();
    for (const int page : order) {
        if (drawnInParts(page)) {
            const QRect part = visiblePartOf(page, false);
            if (!part.isEmpty() && !m_cache.find(page, scale, quarterTurns(), part))
                jobs.append({page, scale, quarterTurns(), visiblePartOf(page, true), m_colours});
            continue;
        }
        if (m_cache.find(page, scale, quarterTurns()))
            continue;
        // What shows of a page cut by the view's edge comes first, the whole page after it.
        const QRect part = visiblePartOf(page, false);
        if (partlyShown(page) && !m_cache.find(page, scale, quarterTurns(), part))
            jobs.append({page, scale, quarterTurns(), part, m_colours});
        wholePages.append({page, scale, quarterTurns(), QRect(), m_colours});
    }
    jobs << wholePages;
    m_renderer->request(jobs);
}

void PageArea::accept(const PageRenderer::Job &job, const QImage &image)
{
    if (job.colours != m_colours)
        return;
    PageCache::Entry entry{job.page, job.scale, job.quarterTurns, job.part, image, image.isNull()};
    entry.image.setDevicePixelRatio(devicePixelRatioF());
    m_cache.insert(std::move(entry));
    viewport()->update();
}

void PageArea::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Background);
    if (pageCount() == 0) {
        if (!m_message.isEmpty()) {
            painter.setPen(Qt::white);
            painter.drawText(viewport()->rect(), Qt::AlignCenter | Qt::TextWordWrap, m_message);
        }
        return;
    }
    painter.save();
    painter.translate(-scrollOffset());
    const QRect shown = visibleContent();
    for (int page = m_layout.pageAt(shown.top()); page <= m_layout.lastPageAt(shown.bottom());
         ++page) {
        paintPage(painter, page);
        paintMatches(painter, page);
        paintSelection(painter, page);
    }
    painter.restore();
    paintFocus(painter);
}

// The pages' edge in the highlight colour while they take the keys, as every focused control
// shows it.
void PageArea::paintFocus(QPainter &painter)
{
    if (!hasFocus())
        return;
    painter.setPen(QPen(palette().color(QPalette::Highlight), FocusFrameWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(viewport()->rect()).adjusted(1, 1, -1, -1));
}

void PageArea::focusInEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void PageArea::focusOutEvent(QFocusEvent *event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

PageLayout::Place PageArea::pagePointAt(QPoint viewPoint) const
{
    PageLayout::Place place = m_layout.placeAt(viewPoint + scrollOffset());
    place.fraction = PageLayout::toPageCoordinates(place.fraction, quarterTurns());
    return place;
}

// `links` holds the page's links while the pointer is used.
const PageLink *PageArea::linkAt(QPoint viewPoint, QList<PageLink> &links) const
{
    const PageLayout::Place place = pagePointAt(viewPoint);
    if (!m_content || !QRectF(0, 0, 1, 1).contains(place.fraction))
        return nullptr;
    links = m_content->links(place.page);
    for (const PageLink &link : links) {
        if (link.kind != PageLink::Kind::Refused && link.area.contains(place.fraction))
            return &link;
    }
    return nullptr;
}

TextPoint PageArea::textPointAt(QPoint viewPoint, bool after) const
{
    const PageLayout::Place place = pagePointAt(viewPoint);
    if (pageCount() == 0 || !m_content)
        return {};
    return {place.page, m_content->wordAt(place.page, place.fraction, after)};
}

void PageArea::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    m_pressedAt = event->position().toPoint();
    m_dragging = false;
    clearSelection();
    viewport()->update();
}

void PageArea::mouseMoveEvent(QMouseEvent *event)
{
    const QPoint at = event->position().toPoint();
    if (!(event->buttons() & Qt::LeftButton)) {
        QList<PageLink> links;
        const PageLink *link = linkAt(at, links);
        viewport()->setCursor(link ? Qt::PointingHandCursor : Qt::ArrowCursor);
        viewport()->setToolTip(link ? tooltipText(link->target) : QString());
        return;
    }
    if (!m_dragging && (at - m_pressedAt).manhattanLength() < QApplication::startDragDistance())
        return;
    m_dragging = true;
    // The words between the two points; one that either point falls on is included.
    m_selectionStart = textPointAt(m_pressedAt, true);
    m_selectionEnd = textPointAt(at, false);
    if (m_selectionEnd < m_selectionStart) {
        m_selectionStart = textPointAt(at, true);
        m_selectionEnd = textPointAt(m_pressedAt, false);
    }
    viewport()->update();
}

void PageArea::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && m_dragging)
        takeSelection();
    if (event->button() != Qt::LeftButton || m_dragging)
        return QAbstractScrollArea::mouseReleaseEvent(event);
    QList<PageLink> pressedLinks;
    QList<PageLink> releasedLinks;
    const PageLink *pressed = linkAt(m_pressedAt, pressedLinks);
    const PageLink *released = linkAt(event->position().toPoint(), releasedLinks);
    if (pressed && released && pressed->area == released->area)
        follow(*released);
}

void PageArea::follow(const PageLink &link)
{
    if (link.kind == PageLink::Kind::Web)
        emit webLinkActivated(link.target);
    else if (link.kind == PageLink::Kind::Page)
        emit pageLinkFollowed(link.page, link.top);
    else if (link.kind == PageLink::Kind::File)
        emit fileLinkFollowed(link.target, link.destination, link.page, link.top);
}

QRect PageArea::shownPageRect(int page) const
{
    return m_layout.pageRect(page).translated(-scrollOffset());
}

QString PageArea::selectedText()
{
    if (!m_content || m_selectionStart.page < 0 || m_selectionEnd.page < 0)
        return QString();
    return m_content->text(m_selectionStart, m_selectionEnd);
}

// A selection made is offered as the desktop's primary selection, for a middle click elsewhere;
// copying is offered only for a selection that holds text.
void PageArea::takeSelection()
{
    const QString text = selectedText();
    m_copy->setEnabled(!text.isEmpty());
    if (!text.isEmpty() && QApplication::clipboard()->supportsSelection())
        QApplication::clipboard()->setText(text, QClipboard::Selection);
}

void PageArea::clearSelection()
{
    m_selectionStart = m_selectionEnd = TextPoint();
    m_copy->setEnabled(false);
}

void PageArea::copySelection()
{
    const QString text = selectedText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

// In content pixels.
QRectF PageArea::shownArea(int page, const QRectF &onPage) const
{
    const QRect rect = m_layout.pageRect(page);
    const QRectF box = PageLayout::toShownCoordinates(onPage, quarterTurns());
    return QRectF(rect.x() + box.x() * rect.width(), rect.y() + box.y() * rect.height(),
                  box.width() * rect.width(), box.height() * rect.height());
}

void PageArea::showCurrentMatch()
{
    const SearchMatches::Match match = m_matches ? m_matches->current() : SearchMatches::Match();
    if (match.page < 0 || match.page >= pageCount())
        return;
    const QRect area = shownArea(match.page, match.area).toAlignedRect();
    const QRect shown = visibleContent();
    {
        const QScopedValueRollback<bool> placing(m_placing, true);
        if (area.top() < shown.top() || area.bottom() > shown.bottom())
            verticalScrollBar()->setValue(area.center().y() - shown.height() / 2);
        if (area.left() < shown.left() || area.right() > shown.right())
            horizontalScrollBar()->setValue(area.center().x() - shown.width() / 2);
    }
    m_current = match.page;
    emit currentPageChanged(m_current);
    emit moved();
    requestVisiblePages();
    viewport()->update();
}

void PageArea::paintMatches(QPainter &painter, int page)
{
    if (!m_matches)
        return;
    const SearchMatches::Match current = m_matches->current();
    for (const QRectF &area : m_matches->on(page)) {
        const bool isCurrent = page == current.page && area == current.area;
        painter.fillRect(shownArea(page, area),
                         isCurrent ? QColor(255, 140, 0, 120) : QColor(255, 220, 0, 110));
    }
}

void PageArea::paintSelection(QPainter &painter, int page)
{
    const TextPoint from = m_selectionStart;
    const TextPoint to = m_selectionEnd;
    if (!m_content || from.page < 0 || to < from || page < from.page || page > to.page)
        return;
    const QList<PageWord> words = m_content->words(page);
    const int first = page == from.page ? qMax(from.word, 0) : 0;
    const int last = page == to.page ? qMin(to.word, int(words.size()) - 1) : words.size() - 1;
    for (int i = first; i <= last; ++i)
        painter.fillRect(shownArea(page, words.at(i).box), QColor(0, 120, 215, 80));
}

// A page the engine gave up on says so in its place; the pages around it are drawn as ever.
void PageArea::paintUnshowable(QPainter &painter, const QRect &rect)
{
    const bool lightPaper = PageColouring::paper(m_colours).lightness() > 128;
    painter.setPen(lightPaper ? QColor(64, 64, 64) : QColor(192, 192, 192));
    painter.drawText(rect, Qt::AlignCenter | Qt::TextWordWrap, QStringLiteral("此页无法显示"));
}

void PageArea::paintPage(QPainter &painter, int page)
{
    const QRect rect = m_layout.pageRect(page);
    painter.fillRect(rect, PageColouring::paper(m_colours));
    const double scale = drawScale();
    if (drawnInParts(page)) {
        const QRect part = visiblePartOf(page, false);
        const PageCache::Entry *entry = m_cache.find(page, scale, quarterTurns(), part);
        if (!entry)
            entry = m_cache.latestPart(page, scale, quarterTurns());
        if (entry)
            paintDrawn(painter, rect, *entry);
        return;
    }
    if (const PageCache::Entry *entry = m_cache.find(page, scale, quarterTurns())) {
        paintDrawn(painter, rect, *entry);
        return;
    }
    if (const PageCache::Entry *earlier = m_cache.anyOf(page, quarterTurns())) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(QRectF(rect), earlier->image);
    }
    if (const PageCache::Entry *shown = m_cache.latestPart(page, scale, quarterTurns()))
        paintDrawn(painter, rect, *shown);
}

// A whole page at the corner of `rect`, a part where it lies on the page.
void PageArea::paintDrawn(QPainter &painter, const QRect &rect, const PageCache::Entry &entry)
{
    if (entry.failed)
        paintUnshowable(painter, rect);
    else
        painter.drawImage(rect.topLeft() + QPointF(entry.part.topLeft()) / devicePixelRatioF(),
                          entry.image);
}
