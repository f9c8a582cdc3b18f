// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "core/book/bookgenerator.h"

#include <QObject>

#include <atomic>
#include <functional>

class QThread;

// Writes one book at a time on a thread of its own and reports back on the thread this object
// lives on. The window that starts a book keeps answering while chapters are copied, and a modal
// dialog opened meanwhile does not stall the copy.
class BookWriter : public QObject
{
    Q_OBJECT

public:
    using Generator =
        std::function<GenerationResult(const GenerationRequest &, const GenerationCallback &)>;

    explicit BookWriter(QObject *parent = nullptr);
    // Stops a book being written, as stop() does.
    ~BookWriter() override;

    // The engine that writes the book; GenerateBook unless replaced (the book-making window puts
    // the leftover check first, tests pace the copy).
    void setGenerator(Generator generator);

    bool isWriting() const { return m_thread != nullptr; }
    // Starts writing the book `request` describes; false while another book is being written.
    bool start(const GenerationRequest &request);
    // Cancels the book being written and waits for its thread to end. The engine leaves no
    // unfinished file and an earlier book of that name as it was; nothing more is reported.
    void stop();

signals:
    // Often enough for the progress bar to move smoothly: at every chapter's end and whenever
    // another thousandth of the bytes has been copied.
    void progressed(const GenerationProgress &progress);
    void finished(const GenerationResult &result);

private:
    bool report(int run, const GenerationProgress &progress);
    void conclude(int run, const GenerationResult &result);

    Generator m_generator;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stopping{false};
    // Counts the books started; reports of a stopped book carry an old number and are dropped.
    int m_run = 0;
    // Touched only by the writing thread.
    GenerationProgress m_lastReported;
};
