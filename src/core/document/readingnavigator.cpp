// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/document/readingnavigator.h"

#include "core/state/readingplaces.h"

ReadingNavigator::ReadingNavigator(const OpenDocument &shown,
                                   std::function<void(int row)> showChapter, QObject *parent)
    : QObject(parent), m_shown(shown), m_showChapter(std::move(showChapter))
{
}

void ReadingNavigator::startDocument()
{
    m_place = ReadingPlace();
    m_pageCount = 0;
    m_placeKey.clear();
    m_history.clear();
    m_lastRead = m_places && m_shown.isBook()
                     ? m_places->lastReadChapter(m_shown.path, m_shown.book.lines)
                     : -1;
}

void ReadingNavigator::startShowing(int row)
{
    m_pageCount = 0;
    m_placeKey = keyOf(row);
    if (m_shown.isBook() && row >= 0)
        m_lastRead = row;
}

void ReadingNavigator::followChapters(const std::function<int(int)> &newRowOf)
{
    m_lastRead = m_lastRead >= 0 ? newRowOf(m_lastRead) : -1;
    m_history.clear();
    if (m_shown.chapter < 0)
        return;
    const int row = newRowOf(m_shown.chapter);
    if (row >= 0) {
        m_place.chapter = row;
        return;
    }
    m_place = ReadingPlace();
    m_pageCount = 0;
    m_placeKey.clear();
}

void ReadingNavigator::followEdit(const QList<ContentsIndex::Line> &before,
                                  const QList<ContentsIndex::Line> &after, const QList<int> &rows)
{
    if (m_places)
        m_places->followChapters(m_shown.path, before, after, rows);
}

// The PDF's key, or in a book chapter `row`'s; none for a book without one.
QString ReadingNavigator::keyOf(int row) const
{
    if (m_shown.isPdf())
        return ReadingPlaces::pdfKey(m_shown.path);
    if (m_shown.isBook() && row >= 0)
        return ReadingPlaces::chapterKey(m_shown.path, m_shown.book.lines, row);
    return QString();
}

std::optional<SavedPlace> ReadingNavigator::rememberedAt(int row) const
{
    return m_places ? m_places->placeOf(keyOf(row)) : std::nullopt;
}

void ReadingNavigator::showRemembered(const std::optional<SavedPlace> &saved)
{
    if (!saved || m_pageCount < 1)
        return;
    ReadingPlace place{m_shown.isBook() ? m_shown.chapter : -1, saved->page, saved->top};
    if (place.page > m_pageCount)
        place = ReadingPlace{place.chapter, m_pageCount, -1};
    emit lookRestored(saved->look);
    show(place, FoundText());
}

// Looked up before the chapter is shown, whose first page is noted as it is shown.
void ReadingNavigator::chooseChapter(int row)
{
    const std::optional<SavedPlace> saved = rememberedAt(row);
    noteJump(ReadingPlace{row, 1, -1});
    m_place = ReadingPlace{row, 1, -1};
    m_showChapter(row);
    showRemembered(saved);
}

// A page of a PDF, or of a chapter in a book.
bool ReadingNavigator::isPlace(const ReadingPlace &place) const
{
    return place.page > 0 && (!m_shown.isBook() || place.chapter >= 0);
}

void ReadingNavigator::goTo(const ReadingPlace &place, const FoundText &match)
{
    ReadingPlace target = place;
    if (!m_shown.isBook())
        target.chapter = -1;
    // Where the view shows what it showed before a chapter was chosen, a page of it is taken
    // for what it is.
    const bool here = !m_shown.isBook() || target.chapter == m_shown.chapter;
    if (target.page < 1 || (!here && target.chapter < 0) ||
        (here && m_pageCount > 0 && target.page > m_pageCount))
        return;
    noteJump(target);
    show(target, match);
}

// A jump to where the reader is already is no step.
void ReadingNavigator::noteJump(const ReadingPlace &to)
{
    if (isPlace(m_place) && !(m_place == to))
        m_history.jumped(m_place);
}

// The view reports the new chapter's pages while it is shown, so the chapter before can be
// shown at its last.
void ReadingNavigator::readOn(int direction)
{
    const int row = m_shown.chapter + direction;
    if (!m_shown.chapterChosen() || !m_shown.hasLine(row))
        return;
    m_place = ReadingPlace{row, 1, -1};
    m_showChapter(row);
    // Reading backwards goes on from the end of the chapter before, as it would within one.
    if (direction < 0 && m_pageCount > 0)
        show(ReadingPlace{row, m_pageCount, ReadingPlace::PageFoot}, FoundText());
}

void ReadingNavigator::goBack()
{
    if (m_history.canGoBack())
        show(m_history.back(m_place), FoundText());
}

void ReadingNavigator::goForward()
{
    if (m_history.canGoForward())
        show(m_history.forward(m_place), FoundText());
}

void ReadingNavigator::show(const ReadingPlace &place, const FoundText &match)
{
    if (m_shown.isBook() && place.chapter != m_shown.chapter)
        m_showChapter(place.chapter);
    m_place = place;
    emit placeChanged(place, match);
}

void ReadingNavigator::notePlaceShown(int page, double top, int pageCount, const PageLook &look)
{
    m_pageCount = pageCount;
    m_place = ReadingPlace{m_shown.isBook() ? m_shown.chapter : -1, page, top};
    if (m_places && page > 0 && !m_placeKey.isEmpty())
        m_places->note(m_placeKey, page, top, look);
}
