// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QByteArray>
#include <QString>

#include <memory>

// Where documents come from. Every document is read by a worker process of its own
// (remotedocument.h); each gives nullptr for bytes that are no PDF or that the worker gave up
// on, and a locked document for one that needs a password (Document::unlock).
namespace Pdf
{

// Why a file gave no document.
enum class OpenFailure { None, Missing, Unreadable, NotPdf, TooSlow, TooMuchMemory, EngineFailed };

// The failure a job's end stands for: NotPdf for one answered (with nothing).
OpenFailure failureOf(JobEnd end);

// ForView: the document is shown by a view, which at once makes another with its opener to draw
// on a thread of its own; that one starts loading alongside.
enum class Opening { Alone, ForView };

// The file at `path`, opened once: the workers read that one open file at offsets, never its path
// again and never through a mapping. So the file may be deleted as soon as this returns, and a
// file another program cuts short only reads as damaged. Without a document, `failure` (when
// given) says why.
std::unique_ptr<Document> openFile(const QString &path, OpenFailure *failure = nullptr,
                                   Opening opening = Opening::Alone);

// The `length` bytes from `offset` (counted from 0) of the file at `path`, as a PDF of its own:
// a chapter read straight from its book. Opened once, as openFile; a range that reaches past the
// end of the file reads as far as the file goes.
std::unique_ptr<Document> openRange(const QString &path, qint64 offset, qint64 length,
                                    OpenFailure *failure = nullptr,
                                    Opening opening = Opening::Alone);

// The PDF at `path` starts loading now for the view that will show it, on a thread of its own: the
// program calls this first thing with the file it was started on, so that the workers start and
// read it while the window is being made. The next openFile() for a view takes it when it names
// the same file, unchanged (same device, inode, size and times); any other opening for a view
// drops it.
void openAhead(const QString &path);

// A copy of `bytes`, in memory shared with the worker.
std::unique_ptr<Document> openMemory(const QByteArray &bytes, OpenFailure *failure = nullptr);

// Why no document can be read at all: the worker program is missing, cannot be run, or ends
// before it runs its own code (the reason names its path). Empty when workers can be started.
// Unless a document is loading ahead, a worker is started to see it run, and kept for the first
// document.
QString workerProblem();

// From now on `count` workers are started ahead of the documents that will take them: for a
// window, which opens one document after another and draws the first page of each at once.
void keepWorkersReady(int count);

// For a benchmark that measures what the workers cost: documents are read by `engine` (the
// engine's openDescriptor) in this process instead, with no limit. The programs never set it.
using InProcessEngine = std::unique_ptr<Document> (*)(int fd, qint64 offset, qint64 length,
                                                      const QString &password);
void readInProcess(InProcessEngine engine);

} // namespace Pdf
