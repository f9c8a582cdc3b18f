// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdfwrite/cagedwork.h"

#include <QList>
#include <QString>

// Pages of a PDF cut out as a PDF of their own, for printing: each chosen page as the document
// has it, its fonts and drawing untouched, turned further by the quarter turns the reader gave
// the view (added to the page's own /Rotate). A link to a page left out leads nowhere; the outline
// and named destinations stay behind, as no printer reads them.
//
// The source is a whole PDF file or a chapter's bytes inside its book, read in place. An
// encrypted source opens with `password` (an empty one opens a file locked for changes only); the
// pages come out in the clear, as a printer takes them.

struct PageSource {
    QString path;
    qint64 offset = 0;  // from 0
    qint64 length = -1; // -1: to the end of the file
    QString password;
};

struct PageCutResult {
    bool ok = false;
    QString file;  // the file the failure concerns
    QString cause; // a short English reason
};

// Writes pages `pages` (from 0, each at most once, in the order given) of `source` to `outPath`,
// atomically: on any failure nothing is written and an earlier file there stays. A page the source
// does not have, and an output naming the source itself, fail before anything is written. Given
// `cage`, the source is read by a child in it (cagedwork.h).
PageCutResult CutPages(const PageSource &source, const QList<int> &pages, int quarterTurns,
                       const QString &outPath, const CagedWork::Cage &cage = {});
