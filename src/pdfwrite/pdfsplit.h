// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdfwrite/cagedwork.h"

#include <QString>
#include <QStringList>

// A PDF made into a book whose chapters are the PDF's top-level outline sections.
//
// The top-level entries are taken in the order of their pages (entries on one page keep their
// outline order); an entry that leads to no page is passed over, and one on the page of the
// entry before joins that chapter. A chapter runs from its entry's page to the page before the
// next chapter's, and the pages before the first entry make the chapter "前言". Each chapter is
// a PDF of its pages, its links and the named destinations on them, with its part of the outline:
// the entry's children, then each joined entry with its own. A link into another chapter leads
// into that chapter's file (chapterlinks.h).

struct SplitResult {
    bool ok = false;
    QString file;  // the file the failure concerns, or empty
    QString cause; // a short English reason
    QString bookPath;
    QStringList titles; // the chapters' titles as the outline gives them, before they are mended
};

// Writes the book `outFolder`/`bookName`.VELM from the PDF at `pdfPath`. The chapter PDFs are
// made one after another in a temporary file and the book written from them atomically
// (GenerateBook): on any failure an earlier book of that name stays as it was. A PDF without an
// outline entry that leads to a page, an encrypted PDF and one qpdf cannot read are refused
// before anything is written. Given `cage`, the PDF is read and the chapters made by a child in
// it (cagedwork.h); the book is written here, from bytes no longer parsed.
SplitResult SplitPdf(const QString &pdfPath, const QString &bookName, const QString &outFolder,
                     const CagedWork::Cage &cage = {});
