// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QList>
#include <QString>

// What the navigation pane's outline tree lists, read one level at a time as the reader opens
// the tree: the outline of the document shown, or one the window makes (a book's, chapter by
// chapter). Its levels are read on a thread of their own (OutlineReader), one at a time.
class OutlineSource
{
public:
    struct Entry {
        QString name;
        int chapter = -1; // in a book, the chapter the entry leads into; -1 in a plain document
        int page = 0;     // from 1; 0 when the entry leads nowhere that can be shown
        double top = -1;  // a fraction of the page's height, below 0 for the page's top
        bool hasChildren = false;
        bool open = false; // the document asks for the entry to be shown opened
        int leftOut = 0;   // above 0 for the entry standing for the rest of a level cut short
    };

    virtual ~OutlineSource() = default;

    // The entries below the entry at `path` (the index of the entry at each level from the top),
    // the top level for an empty path; none for a path that leads nowhere.
    virtual QList<Entry> entries(const QList<int> &path) = 0;
    // How many entries the top level holds, known without reading them and on any thread; -1
    // when that is not known before the level is read.
    virtual int topLevelCount() const { return -1; }
    // Ends the reading under way on another thread, if any, at once, and those after: the
    // source is let go. Called from the thread that shows the outline.
    virtual void stop() {}

    // One level of `document`'s outline as the tree lists it, its entries leading into
    // `chapter`. An entry whose page lies outside the document leads nowhere.
    static QList<Entry> entriesOf(const Pdf::Document &document, const QList<int> &path,
                                  int chapter);
};
