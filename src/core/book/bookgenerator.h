#pragma once

#include <QList>
#include <QString>

#include <functional>

// Writes one book file from an ordered list of source PDFs (the layout is in contentsindex.h).
//
// The book is written to a temporary file in the save folder, synced, and renamed over any
// earlier book of that name only when complete: a failed or cancelled generation leaves the
// earlier book exactly as it was and no partial file. Bytes are copied in bounded chunks.

struct SourceEntry
{
    QString name; // the chapter name, as the source list shows it
    QString path; // the source PDF
};

struct GenerationRequest
{
    QString bookName;   // file name of the book without ".VELM", used exactly as typed
    QString saveFolder; // used exactly as typed
    QList<SourceEntry> sources;
    // The leftover check looks for bookName + probe suffix in this folder and deletes the
    // leftover executable bookName + ".exe" beside it, never `runningProgram` itself.
    QString programFolder;
    QString runningProgram;
    // The private folder of the scratch index file.
    QString scratchFolder;
};

struct GenerationProgress
{
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

enum class GenerationStep { LeftoverCheck, Measuring, ScratchIndex, Opening, Copying, Finishing };

struct GenerationResult
{
    GenerationOutcome outcome = GenerationOutcome::Failed;
    GenerationStep step = GenerationStep::LeftoverCheck;
    QString bookPath;
    QString file;  // the file the failure concerns
    QString cause; // a short English reason, for the command line and for tests
};

// Called after every chunk and after every chapter; returning false cancels the generation.
using GenerationCallback = std::function<bool(const GenerationProgress &)>;

// The book file path: save folder, separator, book name and ".VELM", joined with nothing else.
QString BookFilePath(const QString &saveFolder, const QString &bookName);

GenerationResult GenerateBook(const GenerationRequest &request,
                              const GenerationCallback &progress = {});
