// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QDateTime>
#include <QImage>
#include <QList>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace Pdf
{

// Places on a page are in the page's own normalised coordinates: 0 to 1 from its top left
// corner, before any rotation of a view. Pages are counted from 0.

struct Link {
    // File: a place in another file, named by the link as `url`.
    enum class Kind { Page, Web, File, Other };
    QRectF area;
    Kind kind = Kind::Other;
    int page = -1;       // Page: inside the document; File: inside that file, or -1 for a name
    double top = -1;     // Page, File: a fraction of the page's height, or below 0 for its top
    QString url;         // Web: the address as the file gives it; File: the file's name
    QString destination; // File: the named destination there, or empty for `page`
};

// Where a named destination of a document leads: a page (-1: nowhere) and top, as Link's.
struct Destination {
    int page = -1;
    double top = -1;
};

struct Word {
    QString text;
    QRectF box;
    bool spaceAfter = false;
};

// One entry of a document's outline, without the entries below it: an outline may be nested
// deeper than any reader could walk, or loop back on itself, so it is read one level at a time.
struct OutlineEntry {
    QString name;
    int page = -1;   // -1: the entry leads out of the document, or nowhere
    double top = -1; // as Link::top
    bool open = false;
    bool hasChildren = false;
    // Above 0 on the entry that stands for the rest of a level cut short: how many entries the
    // level holds after those given.
    int leftOut = 0;
};

// The entries of one outline level listed at most, the one standing for the rest aside: a small
// file may hold millions in one level, more than a reader could look through.
constexpr int OutlineLevelLimit = 100000;

struct FontUse {
    QString name;
    QString type; // as the engine names it: "Type 1", "TrueType", "CID Type 0C"…
    bool embedded = false;
};

// What a document says about itself, as its information dictionary and its header say it.
// Texts it does not give are empty, dates it does not give are invalid.
struct Properties {
    QString title;
    QString author;
    QString subject;
    QString keywords;
    QString creator;
    QString producer;
    QDateTime created;
    QDateTime modified;
    QString version; // "1.7"; empty when the document could not be read
    bool encrypted = false;
    QList<FontUse> fonts; // every font of every page, each once
};

// How a job on a document ended. A document read in a worker process gives up a job that takes
// the worker past a limit, or whose worker fails; the job then gives what an unreadable page
// gives.
enum class JobEnd {
    Answered,
    TooSlow,       // past its deadline
    TooMuchMemory, // the worker grew past the memory limit
    Failed,        // the worker crashed, could not be started, or said something malformed
};

// How the edges of what is drawn are smoothed.
enum class Smoothing { None, Shapes, ShapesAndText };

// One open PDF document: what a view, a search or a printer reads of it. A document is used by
// one thread at a time; `opener` makes further documents on the same bytes, one for each thread
// that reads them. Nothing here fails loudly: a page that cannot be read is empty, has no size,
// no words and no links, and draws as a null image.
class Document
{
public:
    using Opener = std::function<std::unique_ptr<Document>()>;

    virtual ~Document() = default;

    virtual int pageCount() const = 0;
    // In points (1/72 inch); empty for a page that cannot be read.
    virtual QSizeF pageSize(int page) const = 0;
    // Every page's, in one go.
    virtual QList<QSizeF> pageSizes() const
    {
        QList<QSizeF> sizes;
        for (int page = 0; page < pageCount(); ++page)
            sizes << pageSize(page);
        return sizes;
    }
    // The page's label as the document names it ("iv", "A-3"); empty when it names none.
    virtual QString pageLabel(int page) const = 0;
    // Every page's, in one go.
    virtual QStringList pageLabels() const
    {
        QStringList labels;
        for (int page = 0; page < pageCount(); ++page)
            labels << pageLabel(page);
        return labels;
    }

    virtual void setSmoothing(Smoothing smoothing) = 0;
    // The page at `scale` pixels per point, turned clockwise by `quarterTurns`. `part` is the
    // rectangle to draw in pixels of the page so drawn; empty for the whole page.
    virtual QImage draw(int page, double scale, int quarterTurns, const QRect &part) const = 0;

    virtual QList<Link> links(int page) const = 0;
    // In reading order.
    virtual QList<Word> words(int page) const = 0;
    // The places of `text` on the page, letter case ignored, in reading order.
    virtual QList<QRectF> find(int page, const QString &text) const = 0;
    // The text within `region`; the whole page's for an empty region.
    virtual QString text(int page, const QRectF &region = QRectF()) const = 0;
    // One level of the outline: the entries below the entry at `path`, which holds the index of
    // the entry at each level from the top; the top level for an empty path, nothing for a path
    // that leads nowhere. Each call reads only the levels on its path, never deeper, so a level
    // far down costs the length of its path and an outline that loops still gives each level
    // once; read only what is shown. A level longer than `limit` is cut there.
    virtual QList<OutlineEntry> outline(const QList<int> &path = {},
                                        int limit = OutlineLevelLimit) const = 0;
    // The place the document's named destination `name` leads to.
    virtual Destination destination(const QString &name) const = 0;

    // Reading the fonts walks every page: a long document takes a while, so ask off the thread
    // that shows it. Empty (no version) when it could not be read.
    virtual Properties properties() const = 0;

    // A locked document shows nothing until unlocked; false for a wrong password.
    virtual bool isLocked() const = 0;
    virtual bool unlock(const QString &password) = 0;

    // Makes another document on the same bytes, unlocked as this one is, or nullptr when that
    // fails. It may be called on any thread, also while this document is in use.
    virtual Opener opener() const = 0;

    // How the last job ended: an empty answer is the page's own only when it was answered. A
    // page whose job was given up is not tried again by this document nor by any its opener
    // made, so a page that hangs the engine costs one deadline, not one for each look at it.
    virtual JobEnd lastJobEnd() const { return JobEnd::Answered; }
    // Ends at once, and for good, every job on this document and on those its opener made: for
    // a document let go while other threads may still wait on it. Any thread may call it.
    virtual void stopAll() const {}
};

} // namespace Pdf
