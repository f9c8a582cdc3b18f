// SPDX-License-Identifier: GPL-2.0-or-later
// The engine: the document interface on poppler's Qt 6 binding, in the worker process. No other
// file of the program includes poppler.
#include "core/layout/pagelayout.h"
#include "pdf/engine.h"
#include "pdf/filerange.h"

#include <poppler-qt6.h>

#include <mutex>
#include <optional>

namespace Pdf::Engine
{

namespace
{

// Where a document's bytes are, for making it again on another thread.
struct Bytes {
    std::shared_ptr<const FileRange> file; // or, without a file:
    QByteArray memory;
};

std::unique_ptr<Poppler::Document> load(const Bytes &bytes, std::unique_ptr<QIODevice> &device,
                                        const QByteArray &password)
{
    if (!bytes.file)
        return Poppler::Document::loadFromData(bytes.memory, password, password);
    device = std::make_unique<FileRangeDevice>(bytes.file);
    return Poppler::Document::load(device.get(), password, password);
}

// A file claiming more pages than one for every this many of its bytes has its page tree walked
// to count them: a small file may claim millions (poppler believes a linearized file's count),
// each of which would cost the window a place in its layout.
const qint64 BytesOfABelievedPage = 256;

QRectF normalised(const QRectF &points, const Poppler::Page &page)
{
    return PageLayout::toNormalised(points, page.pageSizeF());
}

class PopplerDocument : public Document
{
public:
    // nullptr when the bytes are no PDF.
    static std::unique_ptr<PopplerDocument> open(const Bytes &bytes, const QByteArray &password)
    {
        std::unique_ptr<PopplerDocument> made(new PopplerDocument(bytes, password));
        made->m_document = load(bytes, made->m_device, password);
        if (!made->m_document)
            return nullptr;
        return made;
    }

    int pageCount() const override
    {
        if (!m_pageCount)
            m_pageCount = pagesHeld(m_document->numPages());
        return *m_pageCount;
    }

    QSizeF pageSize(int page) const override
    {
        const std::unique_ptr<Poppler::Page> p = pageAt(page);
        return p ? p->pageSizeF() : QSizeF();
    }

    QString pageLabel(int page) const override
    {
        const std::unique_ptr<Poppler::Page> p = pageAt(page);
        return p ? p->label() : QString();
    }

    void setSmoothing(Smoothing smoothing) override
    {
        m_document->setRenderHint(Poppler::Document::Antialiasing, smoothing != Smoothing::None);
        m_document->setRenderHint(Poppler::Document::TextAntialiasing,
                                  smoothing == Smoothing::ShapesAndText);
    }

    QImage draw(int page, double scale, int quarterTurns, const QRect &part) const override
    {
        const std::unique_ptr<Poppler::Page> p = pageAt(page);
        if (!p)
            return QImage();
        const double dpi = scale * 72.0;
        const auto rotation = Poppler::Page::Rotation(((quarterTurns % 4) + 4) % 4);
        if (part.isEmpty())
            return p->renderToImage(dpi, dpi, -1, -1, -1, -1, rotation);
        return p->renderToImage(dpi, dpi, part.x(), part.y(), part.width(), part.height(),
                                rotation);
    }

    QList<Link> links(int page) const override
    {
        QList<Link> found;
        if (const std::unique_ptr<Poppler::Page> p = pageAt(page)) {
            for (const std::unique_ptr<Poppler::Link> &link : p->links()) {
                Link ours = linkOf(*link);
                ours.area = link->linkArea().normalized();
                found.append(ours);
            }
        }
        return found;
    }

    QList<Word> words(int page) const override
    {
        QList<Word> found;
        if (const std::unique_ptr<Poppler::Page> p = pageAt(page)) {
            for (const std::unique_ptr<Poppler::TextBox> &box : p->textList())
                found.append(
                    {box->text(), normalised(box->boundingBox(), *p), box->hasSpaceAfter()});
        }
        return found;
    }

    QList<QRectF> find(int page, const QString &text) const override
    {
        QList<QRectF> found;
        if (const std::unique_ptr<Poppler::Page> p = pageAt(page)) {
            for (const QRectF &area : p->search(text, Poppler::Page::IgnoreCase))
                found << normalised(area, *p);
        }
        return found;
    }

    QString text(int page, const QRectF &region) const override
    {
        const std::unique_ptr<Poppler::Page> p = pageAt(page);
        if (!p)
            return QString();
        if (region.isEmpty())
            return p->text(QRectF());
        const QSizeF size = p->pageSizeF();
        return p->text(QRectF(region.x() * size.width(), region.y() * size.height(),
                              region.width() * size.width(), region.height() * size.height()));
    }

    QList<OutlineEntry> outline(const QList<int> &path, int limit) const override
    {
        QVector<Poppler::OutlineItem> level = m_document->outline();
        for (const int index : path) {
            if (index < 0 || index >= level.size())
                return {};
            level = level.at(index).children();
        }
        return entriesOf(level, limit);
    }

    Properties properties() const override
    {
        Properties found;
        found.title = m_document->info(QStringLiteral("Title"));
        found.author = m_document->info(QStringLiteral("Author"));
        found.subject = m_document->info(QStringLiteral("Subject"));
        found.keywords = m_document->info(QStringLiteral("Keywords"));
        found.creator = m_document->info(QStringLiteral("Creator"));
        found.producer = m_document->info(QStringLiteral("Producer"));
        found.created = m_document->date(QStringLiteral("CreationDate"));
        found.modified = m_document->date(QStringLiteral("ModDate"));
        const Poppler::Document::PdfVersion version = m_document->getPdfVersion();
        found.version = QStringLiteral("%1.%2").arg(version.major).arg(version.minor);
        found.encrypted = m_document->isEncrypted();
        for (const Poppler::FontInfo &font : m_document->fonts())
            found.fonts.append({font.name(), font.typeName(), font.isEmbedded()});
        return found;
    }

    bool isLocked() const override { return m_document->isLocked(); }

    // Newer files take the password as UTF-8, older ones as Latin-1.
    bool unlock(const QString &password) override
    {
        for (const QByteArray &encoded : {password.toUtf8(), password.toLatin1()}) {
            m_document->unlock(encoded, encoded);
            if (!m_document->isLocked()) {
                m_password = encoded;
                m_pageCount.reset();
                return true;
            }
        }
        return false;
    }

    Opener opener() const override
    {
        return [bytes = m_bytes, password = m_password]() -> std::unique_ptr<Document> {
            std::unique_ptr<PopplerDocument> made = open(bytes, password);
            if (made && made->isLocked())
                return nullptr;
            return made;
        };
    }

private:
    PopplerDocument(Bytes bytes, QByteArray password)
        : m_bytes(std::move(bytes)), m_password(std::move(password))
    {
    }

    std::unique_ptr<Poppler::Page> pageAt(int page) const
    {
        if (page < 0 || page >= pageCount())
            return nullptr;
        return m_document->page(page);
    }

    // How many of the `claimed` pages the tree holds. Poppler reads the tree in order and keeps
    // what it read, so the pages found are the first ones and a look past them costs nothing.
    int pagesHeld(int claimed) const
    {
        const qint64 bytes = m_bytes.file ? m_bytes.file->size() : m_bytes.memory.size();
        if (claimed <= 0)
            return 0;
        if (claimed <= bytes / BytesOfABelievedPage || m_document->page(claimed - 1))
            return claimed;
        int held = 0;          // pages [0, held) are there
        int missing = claimed; // page missing - 1 is not
        while (held + 1 < missing) {
            const int middle = held + (missing - held) / 2;
            if (m_document->page(middle - 1))
                held = middle;
            else
                missing = middle;
        }
        return held;
    }

    Link linkOf(const Poppler::Link &link) const
    {
        Link ours;
        if (link.linkType() == Poppler::Link::Browse) {
            ours.kind = Link::Kind::Web;
            ours.url = static_cast<const Poppler::LinkBrowse &>(link).url();
            return ours;
        }
        if (link.linkType() != Poppler::Link::Goto)
            return ours;
        const auto &go = static_cast<const Poppler::LinkGoto &>(link);
        if (go.isExternal())
            return externalLinkOf(go);
        const std::optional<Poppler::LinkDestination> destination = resolved(go.destination());
        if (!destination)
            return ours;
        const int page = destination->pageNumber() - 1;
        if (page < 0 || page >= pageCount())
            return ours;
        ours.kind = Link::Kind::Page;
        ours.page = page;
        ours.top = destination->isChangeTop() ? qBound(0.0, destination->top(), 1.0) : -1;
        return ours;
    }

    // Another file's place: by its name there, or by its page, which the link counts from 0 and
    // poppler from 1.
    static Link externalLinkOf(const Poppler::LinkGoto &go)
    {
        Link ours;
        ours.kind = Link::Kind::File;
        ours.url = go.fileName();
        const Poppler::LinkDestination destination = go.destination();
        ours.destination = destination.destinationName();
        if (ours.destination.isEmpty()) {
            ours.page = qMax(destination.pageNumber() - 1, 0);
            ours.top = destination.isChangeTop() ? qBound(0.0, destination.top(), 1.0) : -1;
        }
        return ours;
    }

    Destination destination(const QString &name) const override
    {
        const std::unique_ptr<Poppler::LinkDestination> named = m_document->linkDestination(name);
        Destination found;
        if (!named || named->pageNumber() < 1 || named->pageNumber() > pageCount())
            return found;
        found.page = named->pageNumber() - 1;
        found.top = named->isChangeTop() ? qBound(0.0, named->top(), 1.0) : -1;
        return found;
    }

    // A named destination is looked up in the document's name tree.
    std::optional<Poppler::LinkDestination>
    resolved(const Poppler::LinkDestination &destination) const
    {
        if (destination.destinationName().isEmpty())
            return destination;
        const std::unique_ptr<Poppler::LinkDestination> named =
            m_document->linkDestination(destination.destinationName());
        if (!named)
            return std::nullopt;
        return *named;
    }

    static QList<OutlineEntry> entriesOf(const QVector<Poppler::OutlineItem> &items, int limit)
    {
        QList<OutlineEntry> entries;
        for (const Poppler::OutlineItem &item : items) {
            if (entries.size() == limit) {
                OutlineEntry rest;
                rest.leftOut = int(items.size() - entries.size());
                entries.append(rest);
                break;
            }
            OutlineEntry entry;
            entry.name = item.name();
            const QSharedPointer<const Poppler::LinkDestination> destination = item.destination();
            if (destination && item.externalFileName().isEmpty()) {
                entry.page = destination->pageNumber() - 1;
                entry.top = destination->isChangeTop() ? destination->top() : -1.0;
            }
            entry.open = item.isOpen();
            entry.hasChildren = item.hasChildren();
            entries.append(entry);
        }
        return entries;
    }

    Bytes m_bytes;
    QByteArray m_password;
    mutable std::optional<int> m_pageCount;
    // Read by m_document, so it goes after it.
    std::unique_ptr<QIODevice> m_device;
    std::unique_ptr<Poppler::Document> m_document;
};

} // namespace

std::unique_ptr<Document> openDescriptor(int fd, qint64 offset, qint64 length,
                                         const QString &password)
{
    std::shared_ptr<const FileRange> file = FileRange::adopt(fd, offset, length);
    if (!file)
        return nullptr;
    std::unique_ptr<Document> document =
        PopplerDocument::open({std::move(file), QByteArray()}, QByteArray());
    if (document && document->isLocked() && !password.isNull())
        document->unlock(password);
    return document;
}

std::unique_ptr<Document> openMemory(const QByteArray &bytes)
{
    return PopplerDocument::open({nullptr, bytes}, QByteArray());
}

// Set once: a second setting would race with the engine's threads reading it.
void silenceMessages()
{
    static std::once_flag silenced;
    std::call_once(silenced, [] {
        Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
    });
}

} // namespace Pdf::Engine
