// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/document/opendocument.h"
#include "core/document/readinghistory.h"
#include "core/document/readingplace.h"
#include "core/state/statefile.h"

#include <QObject>

#include <functional>
#include <optional>

class ReadingPlaces;

// The place being read in what is shown, and the ways it moves. A jump (a chapter chosen, goTo)
// is a step of the history, which back and forward walk across chapters; the navigator then says
// where to show (placeChanged). Scrolling and paging are only noted as the view reports them
// (notePlaceShown).
//
// With reading places given, the place shown of every PDF and chapter is noted there, and a PDF
// opened, or a chapter chosen from the contents, is shown at its remembered place and look (a
// page past its end at its last page). Jumps and reading on go to their own pages. The chapter
// read last is remembered with the places.
class ReadingNavigator : public QObject
{
    Q_OBJECT

public:
    // `shown` is read at every call and must outlive the navigator; `showChapter` shows a row of
    // the book shown, as a jump or the history reach it, before the place there is told.
    ReadingNavigator(const OpenDocument &shown, std::function<void(int row)> showChapter,
                     QObject *parent = nullptr);
    // `places` must outlive the navigator; nullptr keeps no places.
    void setReadingPlaces(ReadingPlaces *places) { m_places = places; }

    ReadingPlace place() const { return m_place; }
    // The row of the chapter of the open book read last, in this run or an earlier one; -1 for
    // none.
    int lastReadChapter() const { return m_lastRead; }
    // Whether there is a place to go back or forward to.
    bool canGoBack() const { return m_history.canGoBack(); }
    bool canGoForward() const { return m_history.canGoForward(); }

    // A new document is open: no place, no history; for a book, the chapter it was read at last.
    void startDocument();
    // The PDF shown, or chapter `row` of the book shown (-1 for none that can be shown), is about
    // to be shown: its place is noted under its own key from now on.
    void startShowing(int row);
    // The book shown was changed: the history's rows name nothing now, and the rows the chapters
    // shown and read last had become `newRowOf` them (-1 for a chapter gone).
    void followChapters(const std::function<int(int)> &newRowOf);
    // The book shown was changed by an edit whose plan moved its chapters `before` to `rows` of
    // `after`: their remembered places follow them.
    void followEdit(const QList<ContentsIndex::Line> &before,
                    const QList<ContentsIndex::Line> &after, const QList<int> &rows);
    // The remembered place of the PDF shown, or of chapter `row` of the book shown, read before
    // it is shown (whose first page is noted as it is shown); then shown once it is.
    std::optional<SavedPlace> rememberedAt(int row) const;
    void showRemembered(const std::optional<SavedPlace> &saved);

    // Line `row` of the book's contents chosen: a step of the history to the chapter's first
    // page, shown then at its remembered place.
    void chooseChapter(int row);
    // A jump to `place`, with `match` to show there when it names a text: a step of the history.
    // In a book a chapter other than the one shown is shown first; in the document shown, a page
    // outside it is ignored.
    void goTo(const ReadingPlace &place, const FoundText &match = FoundText());
    // In a book, reading on past the last page of the chapter shown (`direction` 1) shows the
    // next chapter from its first page, and back before its first page (-1) the chapter before
    // at the end of its last page; no step of the history. The book's first and last chapters
    // end it, as a PDF ends.
    void readOn(int direction);
    // Back to the place the last jump left, or forward again; across chapters of a book.
    void goBack();
    void goForward();
    // The view shows `page` of its `pageCount` pages, with its top `top` down the page, and with
    // `look`: the place being read, no step of the history.
    void notePlaceShown(int page, double top, int pageCount, const PageLook &look = PageLook());

signals:
    // The view is to show `place` of the document or chapter shown, and `match` there.
    void placeChanged(const ReadingPlace &place, const FoundText &match);
    // The view is to show its pages with `look`: emitted before the remembered place.
    void lookRestored(const PageLook &look);

private:
    QString keyOf(int row) const;
    bool isPlace(const ReadingPlace &place) const;
    void noteJump(const ReadingPlace &to);
    void show(const ReadingPlace &place, const FoundText &match);

    const OpenDocument &m_shown;
    std::function<void(int)> m_showChapter;
    ReadingPlace m_place;
    ReadingPlaces *m_places = nullptr;
    // The key of the PDF or chapter shown among the reading places; empty while none is.
    QString m_placeKey;
    int m_pageCount = 0; // of the document or chapter shown, as the view reported it
    int m_lastRead = -1;
    ReadingHistory m_history;
};
