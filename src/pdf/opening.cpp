// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/opening.h"

#include "pdf/remotedocument.h"
#include "pdf/workerprocess.h"

#include <QFileInfo>
#include <QThread>

#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pdf
{

namespace
{

InProcessEngine inProcess = nullptr;

std::unique_ptr<Document> documentOf(Remote::Loaded &made, OpenFailure *failure)
{
    if (failure)
        *failure = made.document ? OpenFailure::None : failureOf(made.end);
    return std::move(made.document);
}

std::unique_ptr<Document> loaded(Protocol::Fd file, qint64 offset, qint64 length,
                                 OpenFailure *failure, Opening opening = Opening::Alone)
{
    if (inProcess) {
        std::unique_ptr<Document> document = inProcess(file.release(), offset, length, QString());
        if (failure)
            *failure = document ? OpenFailure::None : OpenFailure::NotPdf;
        return document;
    }
    Remote::Loaded made =
        Remote::load(std::move(file), offset, length, opening == Opening::ForView);
    return documentOf(made, failure);
}

// A whole file loading on a thread of its own. Shared with that thread, so that dropping it never
// waits for the load: the thread ends it.
struct Ahead {
    QString path;
    struct stat status {
    };
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    Remote::Loaded made;
};

std::mutex aheadMutex;
std::shared_ptr<Ahead> ahead;

bool sameFile(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
}

// The document loading ahead for `file`, opened at `path`, once it is loaded; false when none was
// loading for that file, which is then dropped.
bool takeAhead(const QString &path, const Protocol::Fd &file, Remote::Loaded &made)
{
    std::shared_ptr<Ahead> taken;
    {
        const std::lock_guard lock(aheadMutex);
        taken = std::move(ahead);
    }
    struct stat status {
    };
    if (!taken || taken->path != path || ::fstat(file.get(), &status) != 0 ||
        !sameFile(status, taken->status))
        return false;
    std::unique_lock lock(taken->mutex);
    taken->done.wait(lock, [&taken] { return taken->finished; });
    made = std::move(taken->made);
    return true;
}

// The file opened for reading (a folder is not); without it, why.
Protocol::Fd openForReading(const QString &path, OpenFailure *failure)
{
    Protocol::Fd file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC));
    struct stat status {
    };
    if (file.valid() && (::fstat(file.get(), &status) != 0 || S_ISDIR(status.st_mode)))
        file.reset();
    if (!file.valid() && failure)
        *failure = !path.isEmpty() && !QFileInfo::exists(path) ? OpenFailure::Missing
                                                               : OpenFailure::Unreadable;
    return file;
}

} // namespace

OpenFailure failureOf(JobEnd end)
{
    switch (end) {
    case JobEnd::Answered:
        return OpenFailure::NotPdf;
    case JobEnd::TooSlow:
        return OpenFailure::TooSlow;
    case JobEnd::TooMuchMemory:
        return OpenFailure::TooMuchMemory;
    case JobEnd::Failed:
        break;
    }
    return OpenFailure::EngineFailed;
}

std::unique_ptr<Document> openFile(const QString &path, OpenFailure *failure, Opening opening)
{
    return openRange(path, 0, -1, failure, opening);
}

std::unique_ptr<Document> openRange(const QString &path, qint64 offset, qint64 length,
                                    OpenFailure *failure, Opening opening)
{
    Protocol::Fd file = openForReading(path, failure);
    if (!file.valid() || offset < 0)
        return nullptr;
    Remote::Loaded made;
    if (opening == Opening::ForView && offset == 0 && length < 0 && takeAhead(path, file, made))
        return documentOf(made, failure);
    return loaded(std::move(file), offset, length, failure, opening);
}

void openAhead(const QString &path)
{
    if (inProcess)
        return;
    auto started = std::make_shared<Ahead>();
    started->path = path;
    Protocol::Fd file = openForReading(path, nullptr);
    if (!file.valid() || ::fstat(file.get(), &started->status) != 0)
        return;
    // Qt takes the first thread that makes a Qt object for its main thread: the caller, which
    // makes the application after, must be first, not the thread that loads ahead.
    QThread::currentThread();
    std::thread([started, file = std::move(file)]() mutable {
        Remote::Loaded made = Remote::load(std::move(file), 0, -1, true);
        const std::lock_guard lock(started->mutex);
        started->made = std::move(made);
        started->finished = true;
        started->done.notify_all();
    }).detach();
    const std::lock_guard lock(aheadMutex);
    ahead = std::move(started);
}

std::unique_ptr<Document> openMemory(const QByteArray &bytes, OpenFailure *failure)
{
    Protocol::Fd file(::memfd_create("pdf", MFD_CLOEXEC));
    qint64 done = 0;
    while (file.valid() && done < bytes.size()) {
        const ssize_t written =
            ::write(file.get(), bytes.constData() + done, size_t(bytes.size() - done));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            file.reset();
        else
            done += written;
    }
    if (!file.valid()) {
        if (failure)
            *failure = OpenFailure::Unreadable;
        return nullptr;
    }
    return loaded(std::move(file), 0, -1, failure);
}

// A document loading ahead is the worker's trial already, and the window waits for it next; one
// tried besides would take a core from it.
QString workerProblem()
{
    if (inProcess)
        return QString();
    bool loadingAhead = false;
    {
        const std::lock_guard lock(aheadMutex);
        loadingAhead = ahead != nullptr;
    }
    return WorkerProcess::startProblem(!loadingAhead);
}

void keepWorkersReady(int count)
{
    if (!inProcess)
        WorkerProcess::keepReady(count);
}

void readInProcess(InProcessEngine engine)
{
    inProcess = engine;
}

} // namespace Pdf
