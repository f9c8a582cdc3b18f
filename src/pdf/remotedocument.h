// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"
#include "pdf/protocol.h"

#include <memory>

namespace Pdf
{

// The document interface on a worker process (workerprocess.h), which reads `length` bytes from
// `offset` of an open file the window hands it. The worker starts with the document and again,
// for the next job, after one it gave up; a job given up gives what an unreadable page gives.
namespace Remote
{

// How loading ended: Answered with a document, or without one when the bytes are no PDF; or why
// it was given up.
struct Loaded {
    std::unique_ptr<Document> document;
    JobEnd end = JobEnd::Answered;
};

// `file` is kept open, read-only, for the workers started later. With `drawnAlongside`, the
// first document the opener makes starts loading alongside this one, as soon as this one's worker
// runs.
Loaded load(Protocol::Fd file, qint64 offset, qint64 length, bool drawnAlongside = false);

} // namespace Remote

} // namespace Pdf
