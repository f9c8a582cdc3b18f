// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/chapterplan.h"

#include "core/sources/sourcefiles.h"

ChapterPlan::ChapterPlan(const BookContents &book) : m_oldCount(int(book.lines.size()))
{
    for (int row = 0; row < m_oldCount; ++row)
        m_chapters.append({row, book.lines.at(row).name(), QString()});
}

PlanRefusal ChapterPlan::add(const QStringList &files, int at)
{
    if (files.isEmpty())
        return PlanRefusal::NothingAdded;
    if (at == 0)
        at = int(m_chapters.size()) + 1;
    if (at < 1 || at > m_chapters.size() + 1)
        return PlanRefusal::NoSuchPlace;
    for (const QString &file : files) {
        if (!SourceFiles::isPdfPath(file))
            return PlanRefusal::NotAPdf;
    }
    for (const QString &file : files)
        m_chapters.insert(
            at++ - 1, {-1, ContentsIndex::safeChapterName(SourceFiles::chapterNameOf(file)), file});
    return PlanRefusal::None;
}

PlanRefusal ChapterPlan::remove(int number)
{
    if (!isChapter(number))
        return PlanRefusal::NoSuchChapter;
    if (m_chapters.size() == 1)
        return PlanRefusal::OnlyChapter;
    m_chapters.removeAt(number - 1);
    return PlanRefusal::None;
}

PlanRefusal ChapterPlan::move(int number, int to)
{
    if (!isChapter(number))
        return PlanRefusal::NoSuchChapter;
    if (!isChapter(to))
        return PlanRefusal::NoSuchPlace;
    m_chapters.move(number - 1, to - 1);
    return PlanRefusal::None;
}

PlanRefusal ChapterPlan::rename(int number, const QString &name)
{
    if (!isChapter(number))
        return PlanRefusal::NoSuchChapter;
    if (name.contains(QLatin1Char('&')))
        return PlanRefusal::AmpersandInName;
    m_chapters[number - 1].name = ContentsIndex::safeChapterName(name);
    return PlanRefusal::None;
}

QList<int> ChapterPlan::newRowOf() const
{
    QList<int> rows(m_oldCount, -1);
    for (int row = 0; row < m_chapters.size(); ++row) {
        if (m_chapters.at(row).oldRow >= 0)
            rows[m_chapters.at(row).oldRow] = row;
    }
    return rows;
}

QStringList ChapterPlan::names() const
{
    QStringList names;
    for (const PlannedChapter &chapter : m_chapters)
        names.append(chapter.name);
    return names;
}

namespace
{

int occurrenceOf(const QList<ContentsIndex::Line> &lines, int row)
{
    int occurrence = 0;
    for (int before = 0; before < row; ++before) {
        occurrence += lines.at(before).length == lines.at(row).length &&
                      lines.at(before).nameView() == lines.at(row).nameView();
    }
    return occurrence;
}

bool hasName(const QList<ContentsIndex::Line> &lines, QStringView name)
{
    for (const ContentsIndex::Line &line : lines) {
        if (line.nameView() == name)
            return true;
    }
    return false;
}

} // namespace

int FindChapterAgain(const QList<ContentsIndex::Line> &before, int row,
                     const QList<ContentsIndex::Line> &now)
{
    if (row < 0 || row >= before.size())
        return -1;
    const ContentsIndex::Line &line = before.at(row);
    int occurrence = occurrenceOf(before, row);
    int named = -1;
    for (int at = 0; at < now.size(); ++at) {
        if (now.at(at).nameView() != line.nameView())
            continue;
        if (now.at(at).length == line.length && occurrence-- == 0)
            return at;
        named = named < 0 ? at : named;
    }
    if (named >= 0)
        return named;
    if (row < now.size() && now.at(row).length == line.length &&
        !hasName(before, now.at(row).nameView()))
        return row;
    return -1;
}
