// SPDX-License-Identifier: GPL-2.0-or-later
#include "core/book/bookwriter.h"

#include <QThread>

namespace
{

bool worthReporting(const GenerationProgress &now, const GenerationProgress &last)
{
    const qint64 step = qMax<qint64>(1, now.bytesTotal / 1000);
    return now.chaptersDone != last.chaptersDone || now.bytesDone - last.bytesDone >= step;
}

} // namespace

BookWriter::BookWriter(QObject *parent)
    : QObject(parent),
      m_generator([](const GenerationRequest &request, const GenerationCallback &progress) {
          return GenerateBook(request, progress);
      })
{
}

BookWriter::~BookWriter()
{
    stop();
}

void BookWriter::setGenerator(Generator generator)
{
    m_generator = std::move(generator);
}

bool BookWriter::start(const GenerationRequest &request)
{
    if (isWriting())
        return false;
    m_stopping = false;
    m_lastReported = GenerationProgress();
    const int run = ++m_run;
    const Generator generator = m_generator;
    m_thread = QThread::create([this, generator, request, run] {
        const GenerationResult result =
            generator(request, [this, run](const GenerationProgress &progress) {
                return report(run, progress);
            });
        QMetaObject::invokeMethod(
            this, [this, run, result] { conclude(run, result); }, Qt::QueuedConnection);
    });
    m_thread->start();
    return true;
}

void BookWriter::stop()
{
    m_stopping = true;
    ++m_run;
    if (!m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}

// Runs on the writing thread.
bool BookWriter::report(int run, const GenerationProgress &progress)
{
    if (m_stopping)
        return false;
    if (worthReporting(progress, m_lastReported)) {
        m_lastReported = progress;
        QMetaObject::invokeMethod(
            this,
            [this, run, progress] {
                if (run == m_run)
                    emit progressed(progress);
            },
            Qt::QueuedConnection);
    }
    return true;
}

void BookWriter::conclude(int run, const GenerationResult &result)
{
    if (run != m_run || !m_thread)
        return;
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
    emit finished(result);
}
