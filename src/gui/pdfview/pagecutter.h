// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QList>
#include <QString>

// Pages of the document shown cut into a PDF of their own by `quillmoor-book pages`, run as a
// separate program: the pages go to the printer as the document has them, text and fonts
// included, and qpdf, which cuts them, never runs in the window's process, so a document it
// cannot read never takes the window down.
struct PageCutter {
    // The file the document shown was read from: a PDF, or the chapter's bytes of its book.
    struct Source {
        QString path;
        qint64 offset = 0;
        qint64 length = -1; // -1: to the end of the file
        QString password;   // given to the program on its standard input, never as an argument
    };

    // Writes pages `pages` (from 0) of `source`, turned clockwise by `quarterTurns` further, to
    // `outPath` with `program`. Empty when written; otherwise the reason, as the program gave
    // it. A cut that fails writes nothing.
    static QString cut(const QString &program, const Source &source, const QList<int> &pages,
                       int quarterTurns, const QString &outPath);
};
