// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"
#include "pdfwrite/cagedwork.h"

#include <QString>

#include <atomic>
#include <functional>

// A book written out as one standard PDF: every chapter's pages in book order, their links and
// named destinations (each chapter's names under the prefix "cN-", N from 1, so two chapters may
// use one name), an outline of one entry per chapter titled with its index name holding the
// chapter's own outline, then the entry "书签" holding the book's bookmarks, and page labels
// that put "N-" before each chapter's own labels ("N-1", "N-2", ... for a chapter without any).
// A link into the file of a chapter of the book, as a split writes it (chapterlinks.h), leads to
// that chapter's page or named destination.
//
// Each chapter is read in place from the book file. An encrypted chapter, one qpdf cannot read
// and one without pages refuse the export: nothing is written.

struct ExportResult {
    enum Outcome { Written, ChapterRefused, Failed, Stopped };
    Outcome outcome = Failed;
    int chapter = -1; // the refused chapter, 0-based
    QString file;     // the book or the output file, as the failure concerns them
    QString cause;    // a short English reason
};

struct ExportControl {
    // After each chapter is copied, then once more with `done` == `count` before the writing.
    std::function<void(int done, int count)> progress;
    // Checked between pages and while the file is written; set, it stops the export.
    const std::atomic<bool> *stop = nullptr;
    // Given, the chapters are read by a child in this cage (cagedwork.h): a chapter that takes
    // more memory than the bound, or breaks its reader, is refused with the reason.
    CagedWork::Cage cage;
};

// Writes the export of the book at `bookPath` to `outPath`, atomically (see PdfOutput). `outPath`
// naming the book itself, under any name, fails before anything is read.
ExportResult ExportBook(const QString &bookPath, const BookContents &contents,
                        const QString &outPath, const ExportControl &control = {});
