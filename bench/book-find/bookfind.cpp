// SPDX-License-Identifier: GPL-2.0-or-later
// The driver of bench/book-find.sh: the PDF view of a book, on the display given, searching the
// whole book for a text from its find field.
//
//   quillmoor-bench-find BOOK TEXT
//
// Prints "name value" lines: the time from Enter to the last result, how late a 10 ms timer on
// the window's thread came at worst meanwhile, the results found, and the peak memory above the
// idle window's.

#include "search/bookfind.h"
#include "benchreader.h"
#include "core/document/documentsession.h"
#include "driverreport.h"
#include "gui/pdfview/pdfview.h"
#include "gui/reader/wholebookfind.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTimer>

#include <cstdio>

namespace
{

using BenchReader::LatenessProbe;
using DriverReport::report;
using DriverReport::statusKib;

int findInBook(const QString &bookPath, const QString &text)
{
    DocumentSession session(nullptr);
    PdfView view;
    view.resize(1200, 800);
    view.show();
    const WholeBookFind wholeBook(view, session);
    session.open(bookPath);
    if (!session.contents().ok) {
        std::fprintf(stderr, "%s\n", qPrintable(session.contents().error));
        return 1;
    }
    QCoreApplication::processEvents();
    const long long idle = statusKib("VmRSS:");

    view.findChild<QComboBox *>(QStringLiteral("findScope"))->setCurrentIndex(1);
    auto *field = view.findChild<QLineEdit *>(QStringLiteral("findField"));
    field->setText(text);
    auto *find = wholeBook.findChild<BookFind *>();
    bool done = false;
    QObject::connect(find, &BookFind::finished, [&done] { done = true; });
    QObject::connect(find, &BookFind::bookUnreadable, [&done] { done = true; });
    const LatenessProbe probe;
    QElapsedTimer timer;
    timer.start();
    emit field->returnPressed();
    while (!done)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    report("book_found_ms", timer.nsecsElapsed() / 1e6);
    // The results drawn, as the user would see them.
    QCoreApplication::processEvents();
    report("timer_late_worst_ms", probe.worstMs());
    report("results", view.findChild<QListWidget *>(QStringLiteral("searchResults"))->count());
    report("find_memory_above_idle_mib", (statusKib("VmHWM:") - idle) / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: %s BOOK TEXT\n", argv[0]);
        return 2;
    }
    return findInBook(arguments.at(1), arguments.at(2));
}
