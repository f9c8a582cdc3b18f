// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/presentationwindow.h"

#include "gui/pdfview/pdfview.h"

#include <QKeyEvent>
#include <QPainter>

// A window of its own, owned by the view, so it goes with it.
PresentationWindow::PresentationWindow(PdfView &view)
    : QWidget(&view, Qt::Window), m_view(view), m_renderer(new PageRenderer(this))
{
    setObjectName(QStringLiteral("presentationWindow"));
    setWindowTitle(view.window()->windowTitle());
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::BlankCursor);
    // A page turned, or a chapter read on into, is drawn anew.
    connect(&m_view, &PdfView::placeShown, this, [this](int page) {
        if (page != m_drawnPage)
            drawPage();
    });
    connect(&m_view, &PdfView::documentChanged, this, &PresentationWindow::startDocument);
    connect(m_renderer, &PageRenderer::rendered, this, &PresentationWindow::accept);
    // The first page is asked for once the window has its size.
    m_renderer->setDocument(m_view.documentOpener());
}

void PresentationWindow::startDocument()
{
    m_renderer->setDocument(m_view.documentOpener());
    drawPage();
}

void PresentationWindow::drawPage()
{
    m_drawnPage = m_view.currentPage();
    m_wanted = m_view.fittedPage(m_drawnPage, size(), devicePixelRatioF());
    if (m_wanted.page < 0) {
        m_page = QImage();
        return update();
    }
    m_renderer->request({m_wanted});
}

// Only the page last asked for is shown: a page turned past before it came stays unshown.
void PresentationWindow::accept(const PageRenderer::Job &job, const QImage &image)
{
    if (job.page != m_wanted.page || job.scale != m_wanted.scale ||
        job.quarterTurns != m_wanted.quarterTurns || job.colours != m_wanted.colours)
        return;
    m_page = image;
    m_page.setDevicePixelRatio(devicePixelRatioF());
    update();
}

void PresentationWindow::resizeEvent(QResizeEvent *)
{
    drawPage();
}

void PresentationWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_page.isNull())
        return;
    const QSizeF shown = m_page.deviceIndependentSize();
    painter.drawImage(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                      m_page);
}

void PresentationWindow::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_PageDown:
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_Down:
        return m_view.turnPage(1);
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
    case Qt::Key_Left:
    case Qt::Key_Up:
        return m_view.turnPage(-1);
    case Qt::Key_Escape:
        close();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void PresentationWindow::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_view.turnPage(1);
}
