// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookreader.h"
#include "core/document/documentkind.h"

#include <QString>

// What the reader has open: nothing, a PDF, or a book with its contents and the chapter chosen.
// The kind is decided once, from the path, when the document is opened; a path of no kind is kept
// as the path of nothing. Only a book has contents and a chapter.
struct OpenDocument {
    DocumentKind kind = DocumentKind::None;
    QString path;
    BookContents book; // read when the book was opened, or again when it was changed
    int chapter = -1;  // the row chosen last, -1 before any; a row of no line may be chosen

    // `path` opened: of the kind its name gives, with no contents read yet and no chapter.
    static OpenDocument of(const QString &path)
    {
        return OpenDocument{Module1::DocumentKindOf(path), path, BookContents(), -1};
    }

    bool isBook() const { return kind == DocumentKind::Book; }
    bool isPdf() const { return kind == DocumentKind::Pdf; }
    // Whether `row` is a line of the open book's contents (readable or not).
    bool hasLine(int row) const { return isBook() && row >= 0 && row < book.lines.size(); }
    // Whether a chapter of the open book is chosen (a line or not).
    bool chapterChosen() const { return isBook() && chapter >= 0; }
};
