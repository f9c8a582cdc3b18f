// SPDX-License-Identifier: GPL-2.0-or-later
// Driver of the reload benchmark.
//
//   quillmoor-bench-reload measure PDF PAGE    opens PDF in the reader window and prints
//                                              "open_ms N" to its first page drawn and
//                                              "open_at_page_ms N" to PAGE drawn; then shows
//                                              PAGE, and prints "reload_returned_ms N" and
//                                              "reload_ms N" from the view taking the file
//                                              written again to its return and to PAGE drawn
//                                              again, and "renamed_ms N" from a copy renamed
//                                              over PDF to PAGE drawn again, the settling of
//                                              the file included. PDF is rewritten in place.

#include "benchreader.h"
#include "driverreport.h"
#include "gui/pdfview/pdfview.h"
#include "screenink.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>

#include <cstdio>

namespace
{

using DriverReport::report;
using ScreenInk::showsInk;

bool waitForInk(QWidget *pages, const QElapsedTimer &timer)
{
    while (!showsInk(pages) && timer.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    return timer.elapsed() < 60000;
}

int measure(const QString &pdf, int page)
{
    BenchReader::Reader reader{QString()};
    if (!reader.form)
        return 1;
    PdfView *view = reader.form->view();
    QWidget *pages = view->findChild<QAbstractScrollArea *>(QStringLiteral("pages"))->viewport();
    // The first document drawn in a process pays for what every later one finds ready.
    QElapsedTimer timer;
    timer.start();
    reader.session().open(pdf);
    waitForInk(pages, timer);
    view->closeDocument();
    timer.restart();
    reader.session().open(pdf);
    if (!waitForInk(pages, timer))
        return 1;
    report("open_ms", timer.nsecsElapsed() / 1e6);
    view->closeDocument();
    timer.restart();
    reader.session().open(pdf);
    view->showPlace(page, 0.25);
    if (!waitForInk(pages, timer))
        return 1;
    report("open_at_page_ms", timer.nsecsElapsed() / 1e6);

    view->showPlace(page, 0.25);
    timer.restart();
    waitForInk(pages, timer);
    // The reader reads a while: the pages drawn ahead of the one shown are done.
    while (timer.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    timer.restart();
    if (!view->reloadFile(pdf))
        return 1;
    report("reload_returned_ms", timer.nsecsElapsed() / 1e6);
    if (!waitForInk(pages, timer))
        return 1;
    report("reload_ms", timer.nsecsElapsed() / 1e6);

    bool rewritten = false;
    QObject::connect(&reader.session(), &DocumentSession::documentRewritten,
                     [&rewritten] { rewritten = true; });
    const QString copy = pdf + QStringLiteral(".new");
    QFile::remove(copy);
    if (!QFile::copy(pdf, copy) || std::rename(qPrintable(copy), qPrintable(pdf)) != 0)
        return 1;
    timer.restart();
    while (!rewritten && timer.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    if (!rewritten || !waitForInk(pages, timer))
        return 1;
    report("renamed_ms", timer.nsecsElapsed() / 1e6);
    return view->currentPage() == page ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Module1::SetApplicationFont();
    const QStringList args = QApplication::arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("measure"))
        return measure(args.at(2), args.at(3).toInt());
    std::fprintf(stderr, "usage: quillmoor-bench-reload measure PDF PAGE\n");
    return 2;
}
