// SPDX-License-Identifier: GPL-2.0-or-later
// Times the reader window: from the launch of the process to the window drawn, from LoadFile to
// the first page drawn and from setCurrentPage to the last page drawn, a search for a text on the
// last page, and the memory taken while paging through every page at 200%. Also writes the test
// document.
//
//   quillmoor-bench-gui write-pdf FILE PAGES
//   quillmoor-bench-gui startup          (QUILLMOOR_BENCH_LAUNCH_NS: the launch, ns since epoch)
//   quillmoor-bench-gui first-page FILE
//   quillmoor-bench-gui find FILE TEXT
//   quillmoor-bench-gui paging-memory FILE
//
// Each mode prints "name value" lines and exits. With QUILLMOOR_BENCH_IN_PROCESS=1 the documents
// are read by the engine in this process, not by workers: what the workers cost.

#include "app/filetypes.h"
#include "app/qtdialogs.h"
#include "app/readerwindows.h"
#include "app/startup.h"
#include "core/book/scratchfolder.h"
#include "core/links/webopener.h"
#include "driverreport.h"
#include "gui/pdfview/pdfview.h"
#include "gui/pdfview/pdfviewfactory.h"
#include "gui/reader/form1.h"
#include "pdf/engine.h"
#include "pdf/opening.h"
#include "screenink.h"
#include "services/appservices.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cstdio>
#include <ctime>

namespace
{

using DriverReport::report;
using DriverReport::statusKib;
using ScreenInk::showsInk;

// No browser is opened while timing.
class NoWebOpener : public WebOpener
{
public:
    void openAddress(const QString &) override {}
};

qint64 nowNs()
{
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

int writePdf(const QString &path, int pages)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter(&writer);
    QFont title(QStringLiteral("Liberation Serif"));
    title.setPixelSize(26);
    QFont body(QStringLiteral("Liberation Serif"));
    body.setPixelSize(11);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        painter.setFont(title);
        painter.drawText(QRect(60, 50, 480, 40), Qt::AlignLeft,
                         QStringLiteral("Chapter %1").arg(page));
        painter.setFont(body);
        for (int line = 0; line < 48; ++line)
            painter.drawText(
                QRect(60, 110 + line * 14, 480, 14), Qt::AlignLeft,
                QStringLiteral("Line %1 of page %2: the quick brown fox jumps over the lazy dog, "
                               "again and again, to fill the page.")
                    .arg(line + 1)
                    .arg(page));
    }
    return painter.end() ? 0 : 1;
}

class FirstPaint : public QObject
{
public:
    bool painted = false;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(watched, event);
    }
};

struct Reader {
    QtDialogs dialogs;
    NoWebOpener webOpener;
    StandardViewFactory viewFactory;
    ScratchFolder scratchFolder;
    std::unique_ptr<ReaderWindows> windows;
    Form1 *form = nullptr;

    // What the program does from its first line to the shown window.
    void start()
    {
        Module1::SetApplicationFont();
        Module1::RegisterFileTypes(QCoreApplication::applicationFilePath());
        windows = Module1::StartReader(
            AppServices{&dialogs, &webOpener, &viewFactory, &scratchFolder}, QString());
        form = &windows->reader();
    }

    void waitUntilDrawn()
    {
        FirstPaint paint;
        form->installEventFilter(&paint);
        while (!paint.painted)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::processEvents();
        form->removeEventFilter(&paint);
    }
};

int startup()
{
    const qint64 launched = qgetenv("QUILLMOOR_BENCH_LAUNCH_NS").toLongLong();
    Reader reader;
    reader.start();
    reader.waitUntilDrawn();
    if (launched > 0)
        report("startup_to_window_drawn_ms", (nowNs() - launched) / 1e6);
    return 0;
}

int firstPage(const QString &path)
{
    Reader reader;
    reader.start();
    reader.waitUntilDrawn();
    reader.form->findChild<QFrame *>(QStringLiteral("Picture7"))->hide();
    auto *pages = reader.form->view()->findChild<QAbstractScrollArea *>(QStringLiteral("pages"));

    QElapsedTimer timer;
    timer.start();
    reader.form->view()->LoadFile(path);
    report("loadfile_returned_ms", timer.nsecsElapsed() / 1e6);
    while (!showsInk(pages->viewport()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    report("first_page_drawn_ms", timer.nsecsElapsed() / 1e6);

    const int last = reader.form->view()->pageCount();
    timer.restart();
    reader.form->view()->setCurrentPage(last);
    QCoreApplication::processEvents();
    while (!showsInk(pages->viewport()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    report("last_page_drawn_ms", timer.nsecsElapsed() / 1e6);
    return 0;
}

// From the find field's Enter to the view on the match's page.
int find(const QString &path, const QString &text)
{
    Reader reader;
    reader.start();
    reader.waitUntilDrawn();
    PdfView *view = reader.form->view();
    view->LoadFile(path);
    auto *field = view->findChild<QLineEdit *>(QStringLiteral("findField"));
    auto *count = view->findChild<QLabel *>(QStringLiteral("matchCount"));
    field->setText(text);
    QElapsedTimer timer;
    timer.start();
    emit field->returnPressed();
    while (view->currentPage() != view->pageCount() || !count->text().startsWith('1'))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    report("found_on_last_page_ms", timer.nsecsElapsed() / 1e6);
    return 0;
}

// The largest peak resident memory of the workers this process started and still runs.
long long largestChildPeakKib()
{
    long long largest = 0;
    for (const QString &pid : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        QFile status(QStringLiteral("/proc/%1/status").arg(pid));
        if (!status.open(QIODevice::ReadOnly))
            continue;
        const QList<QByteArray> lines = status.readAll().split('\n');
        long long parent = -1;
        long long peak = 0;
        for (const QByteArray &line : lines) {
            if (line.startsWith("PPid:"))
                parent = line.mid(5).trimmed().toLongLong();
            if (line.startsWith("VmHWM:"))
                peak = line.mid(6).trimmed().split(' ').first().toLongLong();
        }
        if (parent == QCoreApplication::applicationPid())
            largest = qMax(largest, peak);
    }
    return largest;
}

// The peak resident memory while every page is shown at 200%, above the idle window's, and the
// largest of the workers'.
int pagingMemory(const QString &path)
{
    Reader reader;
    reader.start();
    reader.waitUntilDrawn();
    reader.form->findChild<QFrame *>(QStringLiteral("Picture7"))->hide();
    PdfView *view = reader.form->view();
    auto *pages = view->findChild<QAbstractScrollArea *>(QStringLiteral("pages"));
    const long long idle = statusKib("VmRSS:");
    view->LoadFile(path);
    QLineEdit *zoom = view->findChild<QComboBox *>(QStringLiteral("zoomBox"))->lineEdit();
    zoom->setText(QStringLiteral("200"));
    emit zoom->returnPressed();
    for (int page = 1; page <= view->pageCount(); ++page) {
        view->setCurrentPage(page);
        QCoreApplication::processEvents();
        while (!showsInk(pages->viewport()))
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    report("paging_memory_above_idle_mib", (statusKib("VmHWM:") - idle) / 1024.0);
    report("worker_peak_mib", largestChildPeakKib() / 1024.0);
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    if (qgetenv("QUILLMOOR_BENCH_IN_PROCESS") == "1")
        Pdf::readInProcess(&Pdf::Engine::openDescriptor);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode == QLatin1String("write-pdf") && arguments.size() == 4)
        return writePdf(arguments.at(2), arguments.at(3).toInt());
    if (mode == QLatin1String("startup"))
        return startup();
    if (mode == QLatin1String("first-page") && arguments.size() == 3)
        return firstPage(arguments.at(2));
    if (mode == QLatin1String("find") && arguments.size() == 4)
        return find(arguments.at(2), arguments.at(3));
    if (mode == QLatin1String("paging-memory") && arguments.size() == 3)
        return pagingMemory(arguments.at(2));
    std::fprintf(stderr,
                 "usage: %s write-pdf FILE PAGES | startup | first-page FILE | find FILE TEXT"
                 " | paging-memory FILE\n",
                 argv[0]);
    return 2;
}
