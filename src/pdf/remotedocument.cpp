// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/remotedocument.h"

#include "pdf/answers.h"
#include "pdf/workerprocess.h"

#include <QImage>

#include <limits>
#include <mutex>
#include <optional>
#include <set>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>

namespace Pdf::Remote
{

namespace
{

using namespace Protocol;

// What the documents on the same bytes share: the file, the password that unlocked it, the
// pages given up, and the workers running, so that all can be stopped at once.
struct Family {
    Fd file;
    qint64 offset = 0;
    qint64 length = -1;
    qint64 bytes = 0; // the document's, which bound the pages a worker may claim
    std::mutex mutex;
    QString password;
    std::set<int> givenUp;
    std::set<WorkerProcess *> running;
    bool stopped = false;
    // Loading for the first document the opener makes, when one was wanted alongside.
    std::unique_ptr<WorkerProcess> ahead;
};

// A request of `kind` whose fields `write` writes.
template <class Write> Message requestOf(Kind kind, Write write)
{
    Message request;
    request.kind = kind;
    QDataStream out(&request.body, QIODevice::WriteOnly);
    setVersion(out);
    write(out);
    return request;
}

// A worker told to load the family's document (its answer still to be read), or nullptr with
// `end` saying why.
std::unique_ptr<WorkerProcess> loading(Family &family, JobEnd &end)
{
    end = JobEnd::Failed;
    std::unique_ptr<WorkerProcess> worker = WorkerProcess::start();
    if (!worker)
        return nullptr;
    Message load;
    {
        const std::lock_guard lock(family.mutex);
        if (family.stopped)
            return nullptr;
        load = requestOf(Kind::Load, [&family](QDataStream &out) {
            out << family.offset << family.length << family.password;
        });
        load.fd = Fd(::fcntl(family.file.get(), F_DUPFD_CLOEXEC, 0));
        family.running.insert(worker.get());
    }
    if (load.fd.valid())
        end = worker->send(load);
    if (end != JobEnd::Answered) {
        const std::lock_guard lock(family.mutex);
        family.running.erase(worker.get());
        return nullptr;
    }
    return worker;
}

struct Mapping {
    void *start;
    size_t size;
};

void unmap(void *mapped)
{
    const auto *mapping = static_cast<Mapping *>(mapped);
    ::munmap(mapping->start, mapping->size);
    delete mapping;
}

// Maps the sealed memfd of a Draw answer for `part`; a null image when the answer does not add
// up.
QImage mappedImage(const Message &answer, const QRect &part)
{
    QDataStream in(answer.body);
    setVersion(in);
    ImageLayout layout;
    if (!readImageLayout(in, part, workerLimits().memory, layout))
        return QImage();
    const int seals = ::fcntl(answer.fd.get(), F_GET_SEALS);
    struct stat status {
    };
    const qint64 size = layout.bytes();
    if (seals < 0 || (seals & (F_SEAL_SHRINK | F_SEAL_WRITE)) != (F_SEAL_SHRINK | F_SEAL_WRITE) ||
        ::fstat(answer.fd.get(), &status) != 0 || status.st_size < size)
        return QImage();
    void *pixels = ::mmap(nullptr, size_t(size), PROT_READ, MAP_SHARED, answer.fd.get(), 0);
    if (pixels == MAP_FAILED)
        return QImage();
    auto *mapping = new Mapping{pixels, size_t(size)};
    return QImage(static_cast<const uchar *>(pixels), layout.width, layout.height,
                  layout.bytesPerLine, QImage::Format(layout.format), unmap, mapping);
}

class RemoteDocument : public Document
{
public:
    // A document made by the opener takes the worker loading ahead, if there is one.
    RemoteDocument(std::shared_ptr<Family> family, bool fromOpener)
        : m_family(std::move(family)), m_fromOpener(fromOpener)
    {
    }
    ~RemoteDocument() override { drop(); }

    // Starts the first worker; Answered also for bytes that are no PDF (then opened is false).
    // `alongside`: the first document the opener makes has a worker loading too.
    JobEnd start(bool &opened, bool alongside = false)
    {
        opened = startWorker(alongside);
        return m_end;
    }

    int pageCount() const override { return m_pageCount; }

    // One page's size is asked alone until every page's is known: the first page's comes at
    // once, while a long document's others would take a while.
    QSizeF pageSize(int page) const override
    {
        if (!m_sizes.isEmpty())
            return m_sizes.value(page);
        QSizeF size;
        askAbout(
            Kind::PageSize, page, [page](QDataStream &out) { out << qint32(page); },
            [&size](QDataStream &in) { in >> size; });
        return size;
    }

    QList<QSizeF> pageSizes() const override
    {
        if (!m_sizes.isEmpty())
            return m_sizes;
        QList<QSizeF> sizes;
        askAbout(
            Kind::PageSizes, -1, [](QDataStream &) {},
            [&](QDataStream &in) { sizes = readPageSizes(in, m_pageCount); });
        if (sizes.size() != m_pageCount)
            sizes.resize(m_pageCount);
        if (m_end == JobEnd::Answered)
            m_sizes = sizes;
        return sizes;
    }

    QString pageLabel(int page) const override
    {
        QString label;
        askAbout(
            Kind::PageLabel, page, [page](QDataStream &out) { out << qint32(page); },
            [&label](QDataStream &in) { in >> label; });
        return label;
    }

    QStringList pageLabels() const override
    {
        QStringList labels;
        askAbout(
            Kind::PageLabels, -1, [](QDataStream &) {},
            [&](QDataStream &in) { labels = readPageLabels(in, m_pageCount); });
        labels.resize(m_pageCount);
        return labels;
    }

    void setSmoothing(Smoothing smoothing) override
    {
        m_smoothing = smoothing;
        sendSmoothing();
    }

    QImage draw(int page, double scale, int quarterTurns, const QRect &part) const override
    {
        const std::optional<Message> answer = ask(requestOf(Kind::Draw,
                                                            [&](QDataStream &out) {
                                                                out << qint32(page) << scale
                                                                    << qint32(quarterTurns) << part;
                                                            }),
                                                  page);
        if (!answer || !answer->fd.valid())
            return QImage();
        QImage image = mappedImage(*answer, part);
        if (image.isNull())
            malformed(page);
        return image;
    }

    QList<Link> links(int page) const override { return pageList<Link>(Kind::Links, page); }

    Destination destination(const QString &name) const override
    {
        Destination found;
        qint32 page = -1;
        askAbout(
            Kind::Destination, -1, [&name](QDataStream &out) { out << name; },
            [&](QDataStream &in) { in >> page >> found.top; });
        found.page = page;
        return found;
    }

    QList<Word> words(int page) const override { return pageList<Word>(Kind::Words, page); }

    QList<QRectF> find(int page, const QString &text) const override
    {
        QList<QRectF> found;
        askAbout(
            Kind::Find, page, [&](QDataStream &out) { out << qint32(page) << text; },
            [&found](QDataStream &in) { found = readList<QRectF>(in); });
        return found;
    }

    QString text(int page, const QRectF &region) const override
    {
        QString found;
        askAbout(
            Kind::Text, page, [&](QDataStream &out) { out << qint32(page) << region; },
            [&found](QDataStream &in) { in >> found; });
        return found;
    }

    QList<OutlineEntry> outline(const QList<int> &path, int limit) const override
    {
        QList<OutlineEntry> found;
        askAbout(
            Kind::Outline, -1,
            [&](QDataStream &out) {
                writeList(out, path);
                out << qint32(limit);
            },
            [&found](QDataStream &in) { found = readList<OutlineEntry>(in); });
        if (found.size() > limit + 1) {
            malformed(-1);
            return {};
        }
        return found;
    }

    Properties properties() const override
    {
        Properties found;
        askAbout(
            Kind::Properties, -1, [](QDataStream &) {}, [&found](QDataStream &in) { in >> found; });
        // Half an answer is none.
        if (m_end != JobEnd::Answered)
            return Properties();
        return found;
    }

    bool isLocked() const override { return m_locked; }

    bool unlock(const QString &password) override
    {
        if (!unlockWith(password))
            return false;
        const std::lock_guard lock(m_family->mutex);
        m_family->password = password;
        return true;
    }

    Opener opener() const override
    {
        return [family = m_family]() -> std::unique_ptr<Document> {
            auto made = std::make_unique<RemoteDocument>(family, true);
            bool opened = false;
            made->start(opened);
            if (!opened || made->isLocked())
                return nullptr;
            return made;
        };
    }

    JobEnd lastJobEnd() const override { return m_end; }

    void stopAll() const override
    {
        const std::lock_guard lock(m_family->mutex);
        m_family->stopped = true;
        for (WorkerProcess *worker : m_family->running)
            worker->kill();
    }

private:
    // Starts a worker, or takes the one loading ahead, and has it load the document as this one
    // has it: unlocked, smoothed.
    bool startWorker(bool alongside = false) const
    {
        drop();
        if (m_fromOpener) {
            const std::lock_guard lock(m_family->mutex);
            m_worker = std::move(m_family->ahead);
        }
        if (!m_worker)
            m_worker = loading(*m_family, m_end);
        if (!m_worker)
            return fail(m_end, -1);
        if (alongside)
            startAlongside();
        Message answer;
        m_end = m_worker->receive(Kind::Load, answer);
        if (m_end != JobEnd::Answered)
            return fail(m_end, -1);
        QDataStream in(answer.body);
        setVersion(in);
        const Opened loaded = readLoad(in, m_family->bytes);
        if (!readWhole(in))
            return malformed(-1);
        m_pageCount = loaded.pages;
        m_locked = loaded.locked;
        // One that began loading before the password was given is given it now.
        const QString password = familyPassword();
        if (loaded.opened && loaded.locked && !password.isNull() && !unlockWith(password))
            return false;
        if (loaded.opened && m_smoothing)
            sendSmoothing();
        return loaded.opened && m_end == JobEnd::Answered;
    }

    // The opener's worker starts once this one runs its own code: two workers loading their
    // libraries at once took both cores from the window being made.
    void startAlongside() const
    {
        m_worker->waitUntilRunning();
        JobEnd end = JobEnd::Answered;
        std::unique_ptr<WorkerProcess> second = loading(*m_family, end);
        const std::lock_guard lock(m_family->mutex);
        m_family->ahead = std::move(second);
    }

    QString familyPassword() const
    {
        const std::lock_guard lock(m_family->mutex);
        return m_family->password;
    }

    bool unlockWith(const QString &password) const
    {
        Opened unlocked;
        askAbout(
            Kind::Unlock, -1, [&password](QDataStream &out) { out << password; },
            [&](QDataStream &in) { unlocked = readUnlock(in, m_family->bytes); });
        if (m_end != JobEnd::Answered || !unlocked.opened)
            return false;
        m_pageCount = unlocked.pages;
        m_locked = false;
        return true;
    }

    void sendSmoothing() const
    {
        if (m_smoothing)
            askAbout(
                Kind::Smoothing, -1, [this](QDataStream &out) { out << qint32(*m_smoothing); },
                [](QDataStream &) {});
    }

    // Asks the worker, started again when the last one was given up. Nothing when the job was
    // given up, now or before for the same page.
    std::optional<Message> ask(const Message &request, int page) const
    {
        if (pageGivenUp(page))
            return std::nullopt;
        if ((!m_worker || !m_worker->alive()) && !startWorker())
            return std::nullopt;
        Message answer;
        m_end = m_worker->call(request, answer);
        if (m_end != JobEnd::Answered) {
            fail(m_end, page);
            return std::nullopt;
        }
        return answer;
    }

    // A list a page's number is asked for.
    template <class Item> QList<Item> pageList(Kind kind, int page) const
    {
        QList<Item> found;
        askAbout(
            kind, page, [page](QDataStream &out) { out << qint32(page); },
            [&found](QDataStream &in) { found = readList<Item>(in); });
        return found;
    }

    // Asks about `page` (or the document, for -1); `read` reads the answer's fields, which must
    // come without a descriptor.
    template <class Write, class Read>
    void askAbout(Kind kind, int page, Write write, Read read) const
    {
        const std::optional<Message> answer = ask(requestOf(kind, write), page);
        if (!answer)
            return;
        QDataStream in(answer->body);
        setVersion(in);
        read(in);
        if (!readWhole(in) || answer->fd.valid())
            malformed(page);
    }

    bool pageGivenUp(int page) const
    {
        const std::lock_guard lock(m_family->mutex);
        if (m_family->stopped || (page >= 0 && m_family->givenUp.count(page))) {
            m_end = JobEnd::Failed;
            return true;
        }
        return false;
    }

    bool malformed(int page) const { return fail(JobEnd::Failed, page); }

    // The worker is done for; the page, if any, is not tried again.
    bool fail(JobEnd end, int page) const
    {
        m_end = end;
        if (page >= 0) {
            const std::lock_guard lock(m_family->mutex);
            m_family->givenUp.insert(page);
        }
        drop();
        return false;
    }

    void drop() const
    {
        if (!m_worker)
            return;
        {
            const std::lock_guard lock(m_family->mutex);
            m_family->running.erase(m_worker.get());
        }
        m_worker.reset();
    }

    std::shared_ptr<Family> m_family;
    const bool m_fromOpener;
    mutable std::unique_ptr<WorkerProcess> m_worker;
    mutable JobEnd m_end = JobEnd::Answered;
    mutable QList<QSizeF> m_sizes;
    mutable int m_pageCount = 0;
    mutable bool m_locked = false;
    std::optional<Smoothing> m_smoothing;
};

// The bytes from `offset` to `length` or the file's end, whichever comes first. Not a file of its
// own size (a pipe's is 0): as many as a document may have.
qint64 documentBytes(const Fd &file, qint64 offset, qint64 length)
{
    struct stat status {
    };
    if (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))
        return std::numeric_limits<qint64>::max();
    const qint64 left = qMax<qint64>(0, qint64(status.st_size) - offset);
    return length < 0 ? left : qMin(length, left);
}

} // namespace

Loaded load(Fd file, qint64 offset, qint64 length, bool drawnAlongside)
{
    auto family = std::make_shared<Family>();
    family->file = std::move(file);
    family->offset = offset;
    family->length = length;
    family->bytes = documentBytes(family->file, offset, length);
    auto document = std::make_unique<RemoteDocument>(std::move(family), false);
    bool opened = false;
    Loaded loaded;
    loaded.end = document->start(opened, drawnAlongside);
    if (opened)
        loaded.document = std::move(document);
    return loaded;
}

} // namespace Pdf::Remote
