// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "gui/pdfview/pagerenderer.h"

#include <QImage>
#include <QWidget>

class PdfView;

// Presents the document of a view one page at a time, fitted to the screen on black. A click,
// PgDn, Space, Right or Down turns to the next page, PgUp, Backspace, Left or Up to the one
// before, through the view, so past either end the reader reads on as the view's own buttons do
// (into the next chapter of a book). Escape closes it, the view left at the page reached. Pages
// are drawn off the window's thread as the view's are; a page turned to shows the one before it
// until it is drawn.
class PresentationWindow : public QWidget
{
    Q_OBJECT

public:
    // `view` owns this.
    explicit PresentationWindow(PdfView &view);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void startDocument();
    void drawPage();
    void accept(const PageRenderer::Job &job, const QImage &image);

    PdfView &m_view;
    PageRenderer *m_renderer;
    PageRenderer::Job m_wanted; // the drawing of the page being presented
    QImage m_page;
    int m_drawnPage = 0; // the page being presented, from 1
};
