// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/pdfview/pagecontent.h"

#include "core/layout/pagelayout.h"
#include "core/links/pdflinks.h"

#include <poppler-qt6.h>

namespace
{
// Pages whose links and words are kept: enough for the pages in view and a few behind.
const int PagesKept = 32;
} // namespace

PageContent::PageContent(std::unique_ptr<Poppler::Document> document)
    : m_document(std::move(document)), m_links(PagesKept), m_words(PagesKept)
{
    for (int page = 0; page < m_document->numPages(); ++page) {
        const std::unique_ptr<Poppler::Page> p = m_document->page(page);
        m_sizes << (p ? p->pageSizeF() : QSizeF());
    }
}

PageContent::~PageContent() = default;

int PageContent::pageCount() const
{
    return int(m_sizes.size());
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
    if (const std::unique_ptr<Poppler::Page> p = m_document->page(page)) {
        for (const std::unique_ptr<Poppler::Link> &link : p->links()) {
            PageLink ours = linkOf(*link);
            ours.area = link->linkArea().normalized();
            found->append(ours);
        }
    }
    const QList<PageLink> result = *found; // the cache owns `found` from here on
    m_links.insert(page, found);
    return result;
}

PageLink PageContent::linkOf(const Poppler::Link &link) const
{
    PageLink ours;
    if (link.linkType() == Poppler::Link::Browse) {
        const QString url = static_cast<const Poppler::LinkBrowse &>(link).url();
        if (PdfLinks::isOpenableWebAddress(url))
            ours = {QRectF(), PageLink::Kind::Web, -1, -1, url};
        return ours;
    }
    if (link.linkType() != Poppler::Link::Goto)
        return ours;
    const auto &go = static_cast<const Poppler::LinkGoto &>(link);
    if (go.isExternal())
        return ours;
    Poppler::LinkDestination destination = go.destination();
    if (!destination.destinationName().isEmpty()) {
        const std::unique_ptr<Poppler::LinkDestination> named =
            m_document->linkDestination(destination.destinationName());
        if (!named)
            return ours;
        destination = *named;
    }
    const int page = destination.pageNumber() - 1;
    if (page < 0 || page >= pageCount())
        return ours;
    const double top = destination.isChangeTop() ? qBound(0.0, destination.top(), 1.0) : -1;
    return {QRectF(), PageLink::Kind::Page, page, top, QStringLiteral("第 %1 页").arg(page + 1)};
}

QList<PageWord> PageContent::words(int page)
{
    if (const QList<PageWord> *kept = m_words.object(page))
        return *kept;
    auto *found = new QList<PageWord>;
    if (const std::unique_ptr<Poppler::Page> p = m_document->page(page)) {
        const QSizeF size = p->pageSizeF();
        for (const std::unique_ptr<Poppler::TextBox> &box : p->textList()) {
            found->append({box->text(), PageLayout::toNormalised(box->boundingBox(), size),
                           box->hasSpaceAfter()});
        }
    }
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
