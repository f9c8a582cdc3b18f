// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QIODevice>
#include <QList>
#include <QString>

#include <functional>

// Writes one book from an ordered list of source PDFs: the chapters' bytes exactly as they are,
// one after another, then the contents index and its length in the last 4 bytes (the layout is
// in contentsindex.h). Bytes are copied in bounded chunks.

struct SourceEntry {
    QString name; // the chapter name, as the source list shows it
    QString path; // the source PDF
    // A part of `path` instead of the whole file: `length` bytes from `offset` (a chapter of a
    // book being changed). -1 for the whole file.
    qint64 offset = 0;
    qint64 length = -1;
};

struct GenerationRequest {
    QString bookName;   // file name of the book without ".VELM", used exactly as typed
    QString saveFolder; // used exactly as typed
    QList<SourceEntry> sources;
    // Not read here: the callers' leftover check (leftovercheck.h, beside the web links) looks
    // for the probe file in this folder, and never deletes `runningProgram`.
    QString programFolder;
    QString runningProgram;
    // The private folder of the scratch index file.
    QString scratchFolder;
};

struct GenerationProgress {
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    int chaptersDone = 0;
    int chapterCount = 0;
    // Within the chapter being copied; both 0 between chapters.
    qint64 chapterBytesDone = 0;
    qint64 chapterBytes = 0;
};

enum class GenerationOutcome {
    Written,       // the book is complete at `bookPath`
    FieldsMissing, // the book name or the save folder is blank: nothing was done
    Failed,        // see `step`, `file` and `cause`
    Cancelled,     // the progress callback asked to stop
};

// LeftoverCheck: the callers' check before a book is written (leftovercheck.h).
enum class GenerationStep { LeftoverCheck, Measuring, ScratchIndex, Opening, Copying, Finishing };

struct GenerationResult {
    GenerationOutcome outcome = GenerationOutcome::Failed;
    GenerationStep step = GenerationStep::LeftoverCheck;
    QString bookPath;
    QString file;  // the file the failure concerns
    QString cause; // a short English reason, for the command line and for tests
    // The book written: its size and its index bytes, as they stand in it.
    qint64 bookSize = 0;
    QByteArray indexBytes;
};

// Called after every chunk and after every chapter; returning false cancels the generation.
using GenerationCallback = std::function<bool(const GenerationProgress &)>;

// The book file path: save folder, separator, book name and ".VELM", joined with nothing else.
QString BookFilePath(const QString &saveFolder, const QString &bookName);

// Writes the book of `request` to `book`; the book name and the save folder are not used. A
// device not yet open is opened write-only and unbuffered once the sources are measured and the
// index made, so a book that cannot be made never opens it. A write that fails or falls short
// fails the generation (step Copying or Finishing, the device's error or "cannot be written
// whole") and leaves on the device whatever bytes it took.
GenerationResult GenerateBook(const GenerationRequest &request, QIODevice &book,
                              const GenerationCallback &progress = {});

// Writes the book file BookFilePath(saveFolder, bookName) through the device form: into a
// temporary file in the save folder, synced, and renamed over any earlier book of that name
// only when complete. A failed or cancelled generation leaves the earlier book exactly as it
// was and no partial file; blank fields give FieldsMissing before anything is read.
GenerationResult GenerateBook(const GenerationRequest &request,
                              const GenerationCallback &progress = {});
