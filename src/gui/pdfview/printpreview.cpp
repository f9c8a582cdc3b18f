// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/printpreview.h"

#include "gui/pdfview/pageprinter.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QVBoxLayout>

PrintPreview::PrintPreview(std::shared_ptr<const Pdf::Document> document, const QList<int> &pages,
                           int quarterTurns, const QPageLayout &layout, QWidget *parent)
    : QDialog(parent), m_document(std::move(document)), m_pages(pages.mid(0, MaxPages)),
      m_quarterTurns(quarterTurns)
{
    setObjectName(QStringLiteral("printPreview"));
    setWindowTitle(QStringLiteral("打印预览"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_printer.setPageLayout(layout);
    auto *preview = new QPrintPreviewWidget(&m_printer, this);
    preview->setObjectName(QStringLiteral("previewPages"));
    connect(preview, &QPrintPreviewWidget::paintRequested, this, &PrintPreview::draw);
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *print = buttons->addButton(QStringLiteral("打印…"), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("previewPrint"));
    buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        accept();
        emit printRequested();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *box = new QVBoxLayout(this);
    box->addWidget(preview, 1);
    if (pages.size() > MaxPages)
        box->addWidget(new QLabel(
            QStringLiteral("仅预览前%1页，共%2页").arg(MaxPages).arg(pages.size()), this));
    box->addWidget(buttons);
    resize(720, 800);
}

void PrintPreview::draw(QPrinter *printer)
{
    PagePrinter::print(*m_document, *printer, m_pages, m_quarterTurns);
}
