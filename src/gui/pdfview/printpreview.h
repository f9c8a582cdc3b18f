// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDialog>
#include <QList>
#include <QPrinter>

#include <memory>

namespace Pdf
{
class Document;
}

// "打印预览": pages of the document on the paper they would print on, in a window of the view's
// own. Its print button asks for the printer dialog (printRequested), so what it prints takes
// the road every print takes; the preview itself only draws.
class PrintPreview : public QDialog
{
    Q_OBJECT

public:
    // At most this many pages are shown: each is kept drawn while the window is open.
    static constexpr int MaxPages = 20;

    // Pages `pages` (from 0, the first MaxPages of them) of `document`, turned by `quarterTurns`,
    // on `layout` (its orientation turned with each page as it shows).
    PrintPreview(std::shared_ptr<const Pdf::Document> document, const QList<int> &pages,
                 int quarterTurns, const QPageLayout &layout, QWidget *parent);

signals:
    void printRequested();

private:
    void draw(QPrinter *printer);

    std::shared_ptr<const Pdf::Document> m_document;
    QList<int> m_pages;
    int m_quarterTurns;
    QPrinter m_printer{QPrinter::ScreenResolution};
};
