// SPDX-License-Identifier: GPL-2.0-or-later
// Driver of the chapter display benchmark.
//
//   quillmoor-bench-chapter draw PDF MIB        draws a PDF of about MIB MiB (noise images,
//                                               which no compression shrinks), dark band on top
//   quillmoor-bench-chapter show BOOK ROW       opens BOOK in the reader window, clicks chapter
//                                               ROW and prints "click_ms N", "first_page_ms N"
//                                               and "peak_rss_growth_kib N"
//   quillmoor-bench-chapter readon BOOK         opens BOOK, shows chapter 0, and at its end
//                                               PgDn reads on into chapter 1: prints
//                                               "readon_ms N" to its first page drawn
//   quillmoor-bench-chapter places FOLDER       notes a place every 5 ms for 5 s among 1,000
//                                               documents kept in FOLDER, saved once a second,
//                                               and prints "timer_late_max_ms N" of a 10 ms
//                                               timer on the window's thread meanwhile

#include "benchreader.h"
#include "core/state/readingplaces.h"
#include "gui/pdfview/pdfview.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QTimer>

#include <cmath>
#include <cstdio>

namespace
{

int draw(const QString &path, int mebibytes)
{
    QPdfWriter writer(path);
    writer.setResolution(72);
    QPainter painter(&writer);
    // The writer stores the noise as JPEG at about 37% of its raw size: a 1672-pixel square
    // page takes about 3.06 MB.
    const double pageBytes = 3.06e6;
    const int pages = qMax(1, int(std::ceil(mebibytes * 1048576.0 / pageBytes)));
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        const QRect area = painter.viewport();
        painter.fillRect(QRect(0, 0, area.width(), 80), QColor(31, 58, 95));
        const int side = mebibytes < 8 ? int(std::sqrt(mebibytes * 1048576.0 / 0.37 / 3)) : 1672;
        QImage noise(side, side, QImage::Format_RGB888);
        for (int y = 0; y < side; ++y) {
            quint32 *line = reinterpret_cast<quint32 *>(noise.scanLine(y));
            QRandomGenerator::global()->fillRange(line, side * 3 / 4);
        }
        painter.drawImage(QRect(20, 100, area.width() - 40, area.width() - 40), noise);
    }
    return painter.end() ? 0 : 1;
}

long peakRssKib()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    }
    return -1;
}

void resetPeakRss()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// True once the view's viewport shows the page's dark band.
bool firstPageDrawn(QWidget *viewport)
{
    const QImage shot = viewport->grab().toImage();
    for (int y = 0; y < shot.height(); y += 2) {
        for (int x = 0; x < shot.width(); x += 8) {
            const QColor c = shot.pixelColor(x, y);
            if (c.blue() > 80 && c.red() < 50 && c.green() < 70)
                return true;
        }
    }
    return false;
}

void waitUntilDrawn(QWidget *viewport, const QElapsedTimer &timer)
{
    while (!firstPageDrawn(viewport) && timer.elapsed() < 60000)
        QApplication::processEvents(QEventLoop::AllEvents, 2);
}

int show(const QString &book, int row)
{
    const BenchReader::Reader reader(book);
    if (!reader.form)
        return 1;
    Form1 *form = reader.form;

    QWidget *viewport =
        form->view()->findChild<QAbstractScrollArea *>(QStringLiteral("pages"))->viewport();
    resetPeakRss();
    const long before = peakRssKib();
    QElapsedTimer timer;
    timer.start();
    form->ShowChapter(row);
    const qint64 click = timer.nsecsElapsed();
    const long afterClick = peakRssKib();
    waitUntilDrawn(viewport, timer);
    const qint64 drawn = timer.nsecsElapsed();
    std::printf("click_ms %.1f\nfirst_page_ms %.1f\npeak_rss_growth_kib %ld\n"
                "peak_rss_growth_in_click_kib %ld\n",
                click / 1e6, drawn / 1e6, peakRssKib() - before, afterClick - before);
    return 0;
}

void pressKey(QWidget *to, Qt::Key key)
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(to, &press);
}

int readOn(const QString &book)
{
    const BenchReader::Reader reader(book);
    if (!reader.form)
        return 1;
    Form1 *form = reader.form;
    auto *pages = form->view()->findChild<QAbstractScrollArea *>(QStringLiteral("pages"));
    form->ShowChapter(0);
    QElapsedTimer timer;
    timer.start();
    waitUntilDrawn(pages->viewport(), timer);
    // The lead chapter is read before reading on, as the window is left to settle before a
    // click: the workers it took are replaced meanwhile.
    timer.restart();
    while (timer.elapsed() < 300)
        QApplication::processEvents();
    pressKey(pages, Qt::Key_End);
    QApplication::processEvents();
    timer.restart();
    pressKey(pages, Qt::Key_PageDown);
    waitUntilDrawn(pages->viewport(), timer);
    std::printf("readon_ms %.1f\n", timer.nsecsElapsed() / 1e6);
    return form->view()->pageCount() > 1 ? 0 : 1;
}

int notePlaces(const QString &folder)
{
    ReadingPlaces places(folder);
    for (int document = 0; document < 1000; ++document)
        places.note(ReadingPlaces::pdfKey(QStringLiteral("/bench/%1.pdf").arg(document)), 1, -1,
                    PageLook());
    places.save();
    places.waitForSaves();
    QTimer noting;
    int noted = 0;
    QObject::connect(&noting, &QTimer::timeout, [&] {
        ++noted;
        places.note(ReadingPlaces::pdfKey(QStringLiteral("/bench/%1.pdf").arg(noted % 1000)), noted,
                    0.5, PageLook());
    });
    noting.start(5);
    const BenchReader::LatenessProbe probe;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000)
        QApplication::processEvents(QEventLoop::WaitForMoreEvents);
    std::printf("timer_late_max_ms %.1f\n", probe.worstMs());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Module1::SetApplicationFont();
    const QStringList args = QApplication::arguments();
    if (args.size() == 4 && args.at(1) == QLatin1String("draw"))
        return draw(args.at(2), args.at(3).toInt());
    if (args.size() == 4 && args.at(1) == QLatin1String("show"))
        return show(args.at(2), args.at(3).toInt());
    if (args.size() == 3 && args.at(1) == QLatin1String("readon"))
        return readOn(args.at(2));
    if (args.size() == 3 && args.at(1) == QLatin1String("places"))
        return notePlaces(args.at(2));
    std::fprintf(stderr,
                 "usage: quillmoor-bench-chapter draw PDF MIB | show BOOK ROW | readon BOOK | "
                 "places FOLDER\n");
    return 2;
}
