// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagecontent.h"

#include "core/links/pdflinks.h"

namespace
{
// Pages whose links and words are kept: enough for the pages in view and a few behind.
const int PagesKept = 32;

PageLink followed(const Pdf::Link &link)
{
    switch (link.kind) {
    case Pdf::Link::Kind::Page:
        return {link.area,
                PageLink::Kind::Page,
                link.page,
                link.top,
                QStringLiteral("第 %1 页").arg(link.page + 1),
                QString()};
    case Pdf::Link::Kind::Web:
        if (PdfLinks::isOpenableWebAddress(link.url))
            return {link.area, PageLink::Kind::Web, -1, -1, link.url, QString()};
        break;
    case Pdf::Link::Kind::File:
        return {link.area, PageLink::Kind::File, link.page, link.top, link.url, link.destination};
    case Pdf::Link::Kind::Other:
        break;
    }
    return {link.area, PageLink::Kind::Refused, -1, -1, QString(), QString()};
}

} // namespace

PageContent::PageContent(std::unique_ptr<Pdf::Document> document)
    : m_document(std::move(document)), m_sizes(m_document->pageSizes()), m_links(PagesKept),
      m_words(PagesKept)
{
}

PageContent::~PageContent() = default;

int PageContent::pageCount() const
{
    return int(m_sizes.size());
}

QString PageContent::label(int page)
{
    if (!m_labels)
        m_labels = m_document->pageLabels();
    const QString label = m_labels->value(page);
    return label == QString::number(page + 1) ? QString() : label;
}

int PageContent::pageOfLabel(const QString &label)
{
    for (int page = 0; page < pageCount(); ++page) {
        if (!label.isEmpty() && this->label(page) == label)
            return page;
    }
    return -1;
}

QList<QSizeF> PageContent::pageSizes() const
{
    return m_sizes;
}

QList<PageLink> PageContent::links(int page)
{
    if (const QList<PageLink> *kept = m_links.object(page))
        return *kept;
    auto *found = new QList<PageLink>;
    for (const Pdf::Link &link : m_document->links(page))
        found->append(followed(link));
    const QList<PageLink> result = *found; // the cache owns `found` from here on
    m_links.insert(page, found);
    return result;
}

QList<PageWord> PageContent::words(int page)
{
    if (const QList<PageWord> *kept = m_words.object(page))
        return *kept;
    auto *found = new QList<PageWord>(m_document->words(page));
    const QList<PageWord> result = *found; // the cache owns `found` from here on
    m_words.insert(page, found);
    return result;
}

int PageContent::wordAt(int page, QPointF point, bool after)
{
    const QList<PageWord> all = words(page);
    int before = -1;
    for (int i = 0; i < all.size(); ++i) {
        const QRectF &box = all.at(i).box;
        if (box.contains(point))
            return i;
        // Before the point: on an earlier line, or on its line and to its left.
        const bool earlierLine = box.bottom() < point.y();
        const bool sameLine = box.top() <= point.y() && point.y() <= box.bottom();
        if (earlierLine || (sameLine && box.right() <= point.x()))
            before = i;
    }
    return after ? before + 1 : before;
}

QString PageContent::text(TextPoint from, TextPoint to)
{
    if (to < from)
        return QString();
    QString result;
    for (int page = qMax(from.page, 0); page <= to.page && page < pageCount(); ++page) {
        const QList<PageWord> all = words(page);
        const int first = page == from.page ? qMax(from.word, 0) : 0;
        const int last = page == to.page ? qMin(to.word, int(all.size()) - 1) : all.size() - 1;
        for (int i = first; i <= last; ++i) {
            const PageWord &word = all.at(i);
            result += word.text;
            const bool lineEnds = i + 1 < all.size() && all.at(i + 1).box.top() > word.box.bottom();
            if (i < last)
                result += lineEnds          ? QStringLiteral("\n")
                          : word.spaceAfter ? QStringLiteral(" ")
                                            : QString();
        }
        if (page < to.page && !result.isEmpty())
            result += QLatin1Char('\n');
    }
    return result;
}
