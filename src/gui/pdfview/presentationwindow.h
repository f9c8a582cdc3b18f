// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QImage>
#include <QWidget>

class PdfView;

// Presents the document of a view one page at a time, fitted to the screen on black. A click,
// PgDn, Space, Right or Down turns to the next page, PgUp, Backspace, Left or Up to the one
// before, through the view, so past either end the reader reads on as the view's own buttons do
// (into the next chapter of a book). Escape closes it, the view left at the page reached.
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
    void drawPage();

    PdfView &m_view;
    QImage m_page;
    int m_drawnPage = 0; // the page m_page shows, from 1
};
