// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <functional>

// qpdf's reading of a PDF done by a child process in a cage, so that a file made to take qpdf over
// finds nothing worth having, and one made to exhaust it ends it alone. Linux only.
//
// The child is forked, enters the cage (the caller's function: the one the PDF worker uses), then
// does the work with what was open before: it reads the sources and writes into outputs the
// parent opened, and answers with bytes in a form of the caller's. The parent parses nothing of
// the PDF: it watches the child's resident memory every 50 ms and kills it past the bound, and
// passes a stop on to it; the caller puts the outputs in place only on an answer it has checked,
// for a child taken over may answer anything. While it works the child may set `mark` (shared
// with the parent) to say where it is, so that a child killed or crashed is placed.
namespace CagedWork
{

// Enters the cage; false with the reason when the process could not be restricted.
using Cage = std::function<bool(QString *problem)>;

struct Outcome {
    enum Kind {
        Answered,  // `answer` holds what the work returned
        TooBig,    // killed past the memory bound
        BrokeDown, // ended without an answer (a crash, a limit's signal); `signal` says which
        NotCaged,  // the cage could not be entered, or the child not started; see `problem`
    };
    Kind kind = NotCaged;
    QByteArray answer;
    int mark = -1;
    int signal = 0;
    QString problem;
};

using Work = std::function<QByteArray(std::atomic<int> &mark)>;

// Resident bytes a child may hold: the PDF worker's bound.
constexpr qint64 MemoryBound = qint64(1) << 30;

// Runs `work` in a caged child. `stop`, when set while it runs, is sent to the child as SIGTERM
// (its handler, inherited, is the caller's). The child's standard output and error are the
// caller's, flushed before the fork.
Outcome run(const Cage &cage, const Work &work, const std::atomic<bool> *stop = nullptr);

// The reason, in English, for an outcome other than Answered.
QString reasonOf(const Outcome &outcome);

} // namespace CagedWork
