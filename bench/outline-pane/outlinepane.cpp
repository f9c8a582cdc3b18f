// SPDX-License-Identifier: GPL-2.0-or-later
// The driver of bench/outline-pane.sh: the reader window's outline of a whole book, on the
// display given.
//
//   quillmoor-bench-outline write-pdf FILE PAGES   writes a PDF of PAGES empty pages whose
//                                                  outline has an entry for each page, opened,
//                                                  with three entries below it
//   quillmoor-bench-outline pane BOOK              opens BOOK, opens the navigation pane, then
//                                                  every chapter's entry in the outline
//
// `pane` prints "name value" lines: the time from the pane's button to the chapters' entries
// drawn, the time to open every chapter's entry one after another as events come, how late a
// 10 ms timer on the window's thread came at worst meanwhile, and the entries then in the tree.

#include "benchreader.h"
#include "driverreport.h"
#include "gui/pdfview/pdfview.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <cstdio>

namespace
{

using BenchReader::LatenessProbe;
using DriverReport::report;

QByteArray reference(int object)
{
    return QByteArray::number(object) + " 0 R";
}

// Objects: 1 the catalog, 2 the page tree, 3 the outline, 4 on the pages, then for each page its
// entry followed by the three below it.
QByteArray outlinedPdf(int pages)
{
    QList<QByteArray> objects{"<< /Type /Catalog /Pages 2 0 R /Outlines 3 0 R >>", "", ""};
    QByteArray kids;
    for (int page = 0; page < pages; ++page) {
        kids += reference(4 + page) + " ";
        objects.append("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] >>");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>";
    const auto entryOf = [pages](int page) { return 4 + pages + 4 * page; };
    const auto sibling = [](const char *key, int object, bool present) {
        return present ? QByteArray(" /") + key + " " + reference(object) : QByteArray();
    };
    for (int page = 0; page < pages; ++page) {
        const int entry = entryOf(page);
        const QByteArray number = QByteArray::number(page + 1);
        const QByteArray destination = " /Dest [" + reference(4 + page) + " /Fit]";
        objects.append("<< /Title (Section " + number + ") /Parent 3 0 R" +
                       sibling("Prev", entryOf(page - 1), page > 0) +
                       sibling("Next", entryOf(page + 1), page + 1 < pages) + " /First " +
                       reference(entry + 1) + " /Last " + reference(entry + 3) + " /Count 3" +
                       destination + " >>");
        for (int part = 1; part <= 3; ++part)
            objects.append("<< /Title (Part " + number + "." + QByteArray::number(part) +
                           ") /Parent " + reference(entry) +
                           sibling("Prev", entry + part - 1, part > 1) +
                           sibling("Next", entry + part + 1, part < 3) + destination + " >>");
    }
    objects[2] = "<< /Type /Outlines /First " + reference(entryOf(0)) + " /Last " +
                 reference(entryOf(pages - 1)) + " >>";

    QByteArray file = "%PDF-1.7\n";
    QByteArray table;
    for (int i = 0; i < objects.size(); ++i) {
        table += QByteArray::number(file.size()).rightJustified(10, '0') + " 00000 n \n";
        file += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const QByteArray size = QByteArray::number(objects.size() + 1);
    return file + "xref\n0 " + size + "\n0000000000 65535 f \n" + table + "trailer\n<< /Size " +
           size + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(file.size()) + "\n%%EOF\n";
}

int writePdf(const QString &path, int pages)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(outlinedPdf(pages)) >= 0 ? 0 : 1;
}

int entriesIn(QTreeWidget *tree)
{
    int count = 0;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        ++count;
    return count;
}

int pane(const QString &book)
{
    const BenchReader::Reader reader(book);
    if (!reader.form)
        return 1;
    Form1 *form = reader.form;

    auto *tree = form->view()->findChild<QTreeWidget *>(QStringLiteral("outline"));
    const LatenessProbe probe;
    QElapsedTimer timer;
    timer.start();
    form->view()->findChild<QAction *>(QStringLiteral("navigationPane"))->trigger();
    tree->viewport()->repaint();
    report("pane_shown_ms", timer.nsecsElapsed() / 1e6);
    report("chapters", tree->topLevelItemCount());

    timer.restart();
    for (int row = 0; row < tree->topLevelItemCount(); ++row) {
        tree->topLevelItem(row)->setExpanded(true);
        QApplication::processEvents();
    }
    tree->viewport()->repaint();
    report("all_expanded_ms", timer.nsecsElapsed() / 1e6);
    QApplication::processEvents();
    report("timer_late_worst_ms", probe.worstMs());
    report("entries", entriesIn(tree));
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
    if (mode == QLatin1String("pane") && arguments.size() == 3)
        return pane(arguments.at(2));
    std::fprintf(stderr, "usage: %s write-pdf FILE PAGES | pane BOOK\n", argv[0]);
    return 2;
}
