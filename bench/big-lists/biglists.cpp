// SPDX-License-Identifier: GPL-2.0-or-later
// The driver of bench/big-lists.sh: the reader window opening a document whose side lists hold a
// million lines, on the display given.
//
//   quillmoor-bench-lists write-pdf FILE LINES    writes a one-page PDF and beside it its bookmark
//                                                 file of LINES entries
//   quillmoor-bench-lists write-book FILE LINES   writes a book whose contents index has LINES
//                                                 lines, each naming the one chapter it holds
//   quillmoor-bench-lists open FILE               opens FILE in the idle window
//
// `open` prints "name value" lines: the time from the open to the window drawn with its lists
// filled, how far the peak and the resident memory rose above the idle window's meanwhile (MiB),
// and the lines then in the list shown.

#include "app/startup.h"
#include "benchreader.h"
#include "core/text/gbkcodec.h"
#include "driverreport.h"
#include "widgets/sidelist.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QtEndian>

#include <cstdio>

namespace
{

using DriverReport::report;
using DriverReport::statusKib;

QByteArray onePagePdf(const QString &path)
{
    {
        QPdfWriter writer(path);
        QPainter painter(&writer);
        painter.drawText(QPointF(100, 100), QStringLiteral("Chapter"));
    }
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Names of varied widths, so that the widest is one line among many.
QString lineName(int line)
{
    return QStringLiteral("书签") + QString::number(line) + QString(line % 7, QLatin1Char('i'));
}

int writePdf(const QString &path, int lines)
{
    if (onePagePdf(path).isEmpty())
        return 1;
    QString text;
    for (int line = 1; line <= lines; ++line)
        text += lineName(line) + QStringLiteral("［1］\r\n");
    QString ini = path;
    ini.replace(QStringLiteral(".pdf"), QStringLiteral(".ini"));
    return writeFile(ini, Gbk::encode(text)) ? 0 : 1;
}

int writeBook(const QString &path, int lines)
{
    const QByteArray chapter = onePagePdf(path + QStringLiteral(".pdf"));
    QFile::remove(path + QStringLiteral(".pdf"));
    const QString range = QStringLiteral("♂1♀") + QString::number(chapter.size()) + "\r\n";
    QString index;
    for (int line = 1; line <= lines; ++line)
        index += QStringLiteral("第") + QString::number(line) + QStringLiteral("章") + range;
    const QByteArray indexBytes = Gbk::encode(index + "\r\n");
    QByteArray trailer(4, '\0');
    qToLittleEndian<qint32>(qint32(indexBytes.size()), trailer.data());
    return !chapter.isEmpty() && writeFile(path, chapter + indexBytes + trailer) ? 0 : 1;
}

int open(const QString &path)
{
    Module1::SetApplicationFont();
    BenchReader::Reader reader{QString()};
    if (!reader.form)
        return 1;
    // Forgets the peak of the start, so that VmHWM says the peak of the open alone.
    writeFile(QStringLiteral("/proc/self/clear_refs"), "5");
    const long long idleKib = statusKib("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    reader.session().open(path);
    QApplication::processEvents();
    reader.form->repaint();
    report("open_ms", timer.nsecsElapsed() / 1e6);
    report("peak_rise_mib", (statusKib("VmHWM:") - idleKib) / 1024.0);
    report("rss_rise_mib", (statusKib("VmRSS:") - idleKib) / 1024.0);
    const bool book = path.endsWith(QStringLiteral("VELM"));
    const char *list = book ? "List1" : "List4";
    report("lines", reader.form->findChild<SideList *>(QString::fromLatin1(list))->count());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = arguments.value(1);
    if (mode == QLatin1String("write-pdf") && arguments.size() == 4)
        return writePdf(arguments.at(2), arguments.at(3).toInt());
    if (mode == QLatin1String("write-book") && arguments.size() == 4)
        return writeBook(arguments.at(2), arguments.at(3).toInt());
    if (mode == QLatin1String("open") && arguments.size() == 3)
        return open(arguments.at(2));
    std::fprintf(stderr, "usage: %s write-pdf FILE LINES | write-book FILE LINES | open FILE\n",
                 argv[0]);
    return 2;
}
