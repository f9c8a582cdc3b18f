// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/opening.h"

#include "pdf/remotedocument.h"
#include "pdf/workerprocess.h"

#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Pdf
{

namespace
{

InProcessEngine inProcess = nullptr;

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
    if (failure)
        *failure = made.document ? OpenFailure::None : failureOf(made.end);
    return std::move(made.document);
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
    return loaded(std::move(file), offset, length, failure, opening);
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
