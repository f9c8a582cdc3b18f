// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// The PDF engine itself, in the process that calls it. Only the worker program (and a benchmark
// that measures what the workers cost) reads documents this way; the window and the command line
// read them through workers (opening.h).
namespace Pdf::Engine
{

// The `length` bytes from `offset` of the open file `fd`, which the document then owns; a
// negative length for the rest of the file. nullptr for bytes that are no PDF. A locked document
// is unlocked with `password` when it is not null.
std::unique_ptr<Document> openDescriptor(int fd, qint64 offset, qint64 length,
                                         const QString &password);
std::unique_ptr<Document> openMemory(const QByteArray &bytes);

// Reads and draws a small page of its own, so that the first document read does not wait for
// what the engine sets up once: its tables, the font configuration, the rasteriser. Stops
// between its steps as soon as `wanted` says the engine is wanted for real.
void warmUp(const std::function<bool()> &wanted);

// The engine's own messages about damaged files go nowhere. Call it before anything is read.
void silenceMessages();

} // namespace Pdf::Engine
