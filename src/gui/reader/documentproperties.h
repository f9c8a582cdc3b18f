// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"
#include "pdf/worker.h"

#include <QDialog>
#include <QSizeF>

class QGroupBox;
class QLabel;
class QTreeWidget;

// What the window knows of the document shown, besides what the document says of itself.
struct ShownDocument {
    Pdf::Document::Opener opener;
    QSizeF pageSize;      // of the page being read, in points
    qint64 fileSize = -1; // the PDF file's, or in a book the chapter's length
    // In a book; no chapters for a plain PDF.
    QString chapterName;
    int chapterCount = 0;
    qint64 bookSize = -1;
    // The book's file and every chapter's range in it, for the book's page count.
    QString bookPath;
    QList<std::pair<qint64, qint64>> chapterRanges; // offset from 0, length
};

// "文档属性": what the document shown says of itself (its information, version, fonts and
// encryption), the page being read and the file; in a book, of the chapter shown and of the
// book. Reading the fonts walks every page, so the document is asked on a thread of its own and
// the dialog fills in when the answer comes; what the window knows shows at once.
class DocumentProperties : public QDialog
{
    Q_OBJECT

public:
    explicit DocumentProperties(QWidget *parent);

    void showFor(const ShownDocument &shown);

private:
    QLabel *addField(QWidget *box, const char *name, const QString &label);
    void showKnown(const ShownDocument &shown);
    void ask(const ShownDocument &shown);
    void fill(quint64 generation, const Pdf::Properties &properties);
    void fillBookPages(quint64 generation, int pages, int unread);

    QGroupBox *m_documentBox = nullptr;
    QGroupBox *m_bookBox = nullptr;
    QTreeWidget *m_fonts = nullptr;
    // The thread asking the document: declared last, it goes first, so no answer comes to a
    // dialog half gone.
    Pdf::Worker m_asking;
};
