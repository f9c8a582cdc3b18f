// SPDX-License-Identifier: GPL-2.0-or-later
// Driver of the view-modes benchmark: the page layouts and reading colours of the PDF view.
//
//   quillmoor-bench-modes spread-memory PDF        opens PDF in the reader window, chooses
//                                                  "双页" and "适合页面", and pages from the first
//                                                  page to the last with PgDn, each view's pages
//                                                  drawn before the next key: prints "views N"
//                                                  and "peak_rise_mib N", the peak resident
//                                                  memory (VmHWM) above the idle window's VmRSS
//   quillmoor-bench-modes night-time PDF PAGE ROUNDS
//                                                  asks the page renderer for PAGE (from 1) at
//                                                  100% in normal and in night colours, ROUNDS
//                                                  times each, in turn: prints "normal_ms N"
//                                                  and "night_ms N", the medians from the request
//                                                  to the image handed back

#include "benchreader.h"
#include "driverreport.h"
#include "gui/pdfview/pagearea.h"
#include "gui/pdfview/pagerenderer.h"
#include "gui/pdfview/pdfview.h"
#include "pdf/opening.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFrame>
#include <QHash>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace
{

using DriverReport::report;
using DriverReport::statusKib;

const int GiveUpMs = 60000;

// From here on VmHWM counts from the memory taken now.
void resetPeak()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Waits for `done`, false when it did not come within a minute.
template <typename Done> bool waitFor(Done done)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > GiveUpMs)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void choose(QComboBox *box, const QString &item)
{
    const int index = box->findText(item);
    box->setCurrentIndex(index);
    emit box->activated(index);
}

// Which pages the renderer handed back, and at what scale each was drawn last. A page drawn at
// the view's scale stays in the view's cache while the view pages on, so it is not drawn again.
class DrawnPages
{
public:
    explicit DrawnPages(PageArea *pages) : m_pages(pages)
    {
        QObject::connect(pages->findChild<PageRenderer *>(), &PageRenderer::rendered, pages,
                         [this](const PageRenderer::Job &job, const QImage &) {
                             m_scales.insert(job.page, job.scale);
                         });
    }

    bool visibleDrawn() const
    {
        const double scale =
            PageLayout::pixelsPerPoint(m_pages->zoom()) * m_pages->devicePixelRatioF();
        const QRect viewport = m_pages->viewport()->rect();
        for (int page = 0; page < m_pages->pageCount(); ++page) {
            if (m_pages->shownPageRect(page).intersects(viewport) &&
                m_scales.value(page, 0) != scale)
                return false;
        }
        return true;
    }

private:
    PageArea *m_pages;
    QHash<int, double> m_scales;
};

void pressPageDown(QWidget *to)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(to, &press);
}

int spreadMemory(const QString &path)
{
    const BenchReader::Reader reader{QString()};
    if (!reader.form)
        return 1;
    reader.form->findChild<QFrame *>(QStringLiteral("Picture7"))->hide();
    PdfView *view = reader.form->view();
    auto *pages = view->findChild<PageArea *>(QStringLiteral("pages"));
    DrawnPages drawn(pages);
    const long long idle = statusKib("VmRSS:");
    resetPeak();

    if (!view->LoadFile(path) || !waitFor([&] { return pages->pageCount() > 1; }))
        return 1;
    choose(view->findChild<QComboBox *>(QStringLiteral("layoutBox")), QStringLiteral("双页"));
    choose(view->findChild<QComboBox *>(QStringLiteral("zoomBox")), QStringLiteral("适合页面"));
    const QScrollBar *vertical = pages->verticalScrollBar();
    int views = 0;
    for (;;) {
        QApplication::processEvents();
        if (!waitFor([&] { return drawn.visibleDrawn(); })) {
            std::fprintf(stderr, "the pages of view %d were not drawn\n", views + 1);
            return 1;
        }
        ++views;
        if (vertical->value() == vertical->maximum())
            break;
        pressPageDown(pages);
    }
    const bool lastShown =
        pages->shownPageRect(pages->pageCount() - 1).intersects(pages->viewport()->rect());
    report("views", views);
    report("peak_rise_mib", (statusKib("VmHWM:") - idle) / 1024.0);
    return lastShown ? 0 : 1;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One page of one document asked of the renderer as the view asks it, timed to its image.
class TimedPage
{
public:
    TimedPage(const Pdf::Document &document, int page) : m_page(page)
    {
        m_renderer.setDocument(document.opener());
        QObject::connect(&m_renderer, &PageRenderer::rendered, &m_renderer,
                         [this](const PageRenderer::Job &, const QImage &image) {
                             m_image = image;
                             m_back = true;
                             m_waiting.quit();
                         });
    }

    // Milliseconds; below 0 when no image came back in the colours asked for. The renderer
    // drops a request for the page it is drawing, so each request must differ from the one
    // before.
    double draw(PageColours colours)
    {
        m_back = false;
        QTimer::singleShot(GiveUpMs, &m_waiting, &QEventLoop::quit);
        QElapsedTimer timer;
        timer.start();
        m_renderer.request({{m_page, 96.0 / 72.0, 0, QRect(), colours}});
        if (!m_back)
            m_waiting.exec();
        const double ms = timer.nsecsElapsed() / 1e6;
        return m_back && paperIs(colours) ? ms : -1;
    }

private:
    // The top left corner is blank paper on any page of a book.
    bool paperIs(PageColours colours) const
    {
        return !m_image.isNull() &&
               (qGray(m_image.pixel(1, 1)) > 128) == (colours != PageColours::Night);
    }

    int m_page;
    PageRenderer m_renderer;
    QEventLoop m_waiting;
    QImage m_image;
    bool m_back = false;
};

int nightTime(const QString &path, int page, int rounds)
{
    const std::unique_ptr<Pdf::Document> document = Pdf::openFile(path);
    if (!document || page < 1 || page > document->pageCount() || rounds < 1)
        return 1;
    TimedPage timed(*document, page - 1);
    std::vector<double> normal;
    std::vector<double> night;
    // The first of each opens the document and warms the caches.
    if (timed.draw(PageColours::Normal) < 0 || timed.draw(PageColours::Night) < 0)
        return 1;
    for (int round = 0; round < rounds; ++round) {
        normal.push_back(timed.draw(PageColours::Normal));
        night.push_back(timed.draw(PageColours::Night));
        if (normal.back() < 0 || night.back() < 0)
            return 1;
    }
    report("normal_ms", median(normal));
    report("night_ms", median(night));
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    Module1::SetApplicationFont();
    const QStringList args = QApplication::arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("spread-memory"))
        return spreadMemory(args.at(2));
    if (args.size() == 5 && args.at(1) == QLatin1String("night-time"))
        return nightTime(args.at(2), args.at(3).toInt(), args.at(4).toInt());
    std::fprintf(stderr, "usage: quillmoor-bench-modes spread-memory PDF"
                         " | night-time PDF PAGE ROUNDS\n");
    return 2;
}
