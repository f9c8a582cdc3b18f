// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QCache>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>

// A link of a page as the view treats it. Areas are in the page's own normalised coordinates
// (0 to 1 from its top left corner, before any rotation of the view).
struct PageLink {
    // File: a place in another file, which the window may know (a chapter of its book).
    enum class Kind { Page, Web, File, Refused };
    QRectF area;
    Kind kind = Kind::Refused;
    int page = -1;       // Page: counted from 0; File: in that file, or -1 for a name
    double top = -1;     // Page, File: a fraction of the page's height, or below 0 for its top
    QString target;      // Web: the address; File: the file's name as the link gives it
    QString destination; // File: the named destination there, or empty for `page`
};

using PageWord = Pdf::Word;

// A place in the text: a word of a page.
struct TextPoint {
    int page = -1;
    int word = -1;
    bool operator<(const TextPoint &other) const
    {
        return page != other.page ? page < other.page : word < other.word;
    }
    bool operator==(const TextPoint &other) const
    {
        return page == other.page && word == other.word;
    }
};

// What the view reads of a document besides its pictures: page sizes, links and words, on the
// thread that shows it, from a document used by that thread alone.
class PageContent
{
public:
    explicit PageContent(std::unique_ptr<Pdf::Document> document);
    ~PageContent();

    int pageCount() const;
    QList<QSizeF> pageSizes() const;
    // The page's own label when the document gives one other than its number (from 1), else
    // empty. Every page's is read at the first look.
    QString label(int page);
    // The first page (from 0) whose label is `label`, or -1.
    int pageOfLabel(const QString &label);
    // The links the view follows: a page of the document, or a web address it may open.
    QList<PageLink> links(int page);
    QList<PageWord> words(int page);
    // The word of `page` under `point`; between words the last one before it in reading order
    // (-1 when there is none), or with `after` the first one after it.
    int wordAt(int page, QPointF point, bool after);
    // The words from `from` to `to`, both included, a line break between lines; nothing when
    // `to` comes before `from`.
    QString text(TextPoint from, TextPoint to);
    const Pdf::Document &document() const { return *m_document; }
    // The same document, for what else reads it on this thread (the print preview).
    std::shared_ptr<const Pdf::Document> sharedDocument() const { return m_document; }

private:
    std::shared_ptr<Pdf::Document> m_document;
    QList<QSizeF> m_sizes;
    std::optional<QStringList> m_labels;
    QCache<int, QList<PageLink>> m_links;
    QCache<int, QList<PageWord>> m_words;
};
