// SPDX-License-Identifier: GPL-2.0-or-later
// A book exported as one PDF and a PDF split into a book, through quillmoor-book; the results
// are read back with qpdf, and their page labels as the reader shows them.
#include "core/bookmarks/bookmarkfile.h"
#include "pdf/opening.h"
#include "pdf/sandbox.h"
#include "pdfobjects.h"
#include "pdfwrite/cagedwork.h"
#include "testfiles.h"
#include "testpdfs.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFOutlineDocumentHelper.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace
{

QByteArray reference(int object)
{
    return QByteArray::number(object) + " 0 R";
}

// Six pages saying "Page n". The outline's top level, in this order: "B" (page 4), "A" (page 2)
// holding "A1" (page 3), "A twin" (page 2), "Nowhere" (no page), "C♂" (page 6).
QByteArray sectioned()
{
    PdfObjects pdf;
    const int catalog = pdf.reserve(), pages = pdf.reserve(), outline = pdf.reserve();
    const int font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    QList<int> page;
    QByteArray kids;
    for (int i = 1; i <= 6; ++i) {
        const int text = pdf.addStream("<< >>", "BT /F1 12 Tf 72 700 Td (Page " +
                                                    QByteArray::number(i) + ") Tj ET");
        page << pdf.add("<< /Type /Page /Parent " + reference(pages) +
                        " /MediaBox [0 0 612 792] /Contents " + reference(text) +
                        " /Resources << /Font << /F1 " + reference(font) + " >> >> >>");
        kids += reference(page.last()) + " ";
    }
    pdf.add("<< /Type /Pages /Kids [" + kids + "] /Count 6 >>", pages);
    const QList<std::pair<QByteArray, int>> top{
        {"(B)", 3}, {"(A)", 1}, {"(A twin)", 1}, {"(Nowhere)", -1}, {"<FEFF00432642>", 5}};
    QList<int> item;
    for (int i = 0; i < top.size(); ++i)
        item << pdf.reserve();
    const int child = pdf.add("<< /Title (A1) /Parent " + reference(item[1]) + " /Dest [" +
                              reference(page[2]) + " /Fit] >>");
    for (int i = 0; i < top.size(); ++i) {
        QByteArray body = "<< /Title " + top[i].first + " /Parent " + reference(outline);
        if (i > 0)
            body += " /Prev " + reference(item[i - 1]);
        if (i + 1 < top.size())
            body += " /Next " + reference(item[i + 1]);
        if (top[i].second >= 0)
            body += " /Dest [" + reference(page[top[i].second]) + " /Fit]";
        if (i == 1)
            body += " /First " + reference(child) + " /Last " + reference(child) + " /Count 1";
        pdf.add(body + " >>", item[i]);
    }
    pdf.add("<< /Type /Outlines /First " + reference(item.first()) + " /Last " +
                reference(item.last()) + " >>",
            outline);
    pdf.add("<< /Type /Catalog /Pages " + reference(pages) + " /Outlines " + reference(outline) +
                " >>",
            catalog);
    return pdf.finish(catalog);
}

// Every page's label as the reader shows it.
QStringList labelsOf(const QString &pdf)
{
    const std::unique_ptr<Pdf::Document> document = Pdf::openFile(pdf);
    if (!document)
        return {"cannot be opened"};
    QStringList labels;
    for (int page = 0; page < document->pageCount(); ++page)
        labels << document->pageLabel(page);
    return labels;
}

// The page a destination leads to, from 0; -1 for none. A name is looked up in `pdf`.
int pageIndex(QPDF &pdf, QPDFObjectHandle destination)
{
    if (destination.isName() || destination.isString())
        destination = QPDFOutlineDocumentHelper(pdf).resolveNamedDest(destination);
    if (destination.isDictionary())
        destination = destination.getKey("/D");
    const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(pdf).getAllPages();
    for (size_t i = 0; destination.isArray() && i < pages.size(); ++i) {
        if (pages[i].getObjectHandle().getObjGen() == destination.getArrayItem(0).getObjGen())
            return int(i);
    }
    return -1;
}

// `count` pages, each holding the links of `links` that name it (page, link entries, where "{n}"
// stands for a reference to page n), and the named destination "target" on the last page. The
// outline's top level is `sections` (title, page).
QByteArray withLinks(int count, const QList<std::pair<int, QByteArray>> &links,
                     const QList<std::pair<QByteArray, int>> &sections = {})
{
    PdfObjects pdf;
    const int catalog = pdf.reserve(), tree = pdf.reserve();
    QList<int> page;
    for (int i = 0; i < count; ++i)
        page << pdf.reserve();
    const auto placed = [&](QByteArray text) {
        for (int i = 0; i < count; ++i)
            text.replace("{" + QByteArray::number(i) + "}", reference(page[i]));
        return text;
    };
    QList<QByteArray> annotations(count);
    for (const auto &[on, entries] : links) {
        annotations[on] +=
            reference(pdf.add("<< /Type /Annot /Subtype /Link /Rect [72 600 300 620] " +
                              placed(entries) + " >>")) +
            " ";
    }
    QByteArray kids;
    for (int i = 0; i < count; ++i) {
        pdf.add("<< /Type /Page /Parent " + reference(tree) + " /MediaBox [0 0 612 792] /Annots [" +
                    annotations[i] + "] >>",
                page[i]);
        kids += reference(page[i]) + " ";
    }
    pdf.add("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(count) + " >>",
            tree);
    QByteArray body = "<< /Type /Catalog /Pages " + reference(tree) +
                      " /Names << /Dests << /Names [(target) [" + reference(page.last()) +
                      " /Fit]] >> >>";
    if (!sections.isEmpty()) {
        const int outline = pdf.reserve();
        QList<int> item;
        for (int i = 0; i < sections.size(); ++i)
            item << pdf.reserve();
        for (int i = 0; i < sections.size(); ++i) {
            QByteArray entry = "<< /Title " + sections[i].first + " /Parent " + reference(outline) +
                               " /Dest [" + reference(page[sections[i].second]) + " /Fit]";
            if (i > 0)
                entry += " /Prev " + reference(item[i - 1]);
            if (i + 1 < sections.size())
                entry += " /Next " + reference(item[i + 1]);
            pdf.add(entry + " >>", item[i]);
        }
        pdf.add("<< /Type /Outlines /First " + reference(item.first()) + " /Last " +
                    reference(item.last()) + " >>",
                outline);
        body += " /Outlines " + reference(outline);
    }
    pdf.add(body + " >>", catalog);
    return pdf.finish(catalog);
}

// The action of link `index` on page `page` of `pdf`, as "kind page": the page it leads to
// within `pdf` (-1 for none), or for a remote go-to its file and destination.
QString linkOf(QPDF &pdf, int page, int index)
{
    QPDFObjectHandle link = QPDFPageDocumentHelper(pdf)
                                .getAllPages()
                                .at(page)
                                .getObjectHandle()
                                .getKey("/Annots")
                                .getArrayItem(index);
    QPDFObjectHandle action = link.getKey("/A");
    if (link.hasKey("/Dest"))
        return "Dest " + QString::number(pageIndex(pdf, link.getKey("/Dest")));
    if (action.getKey("/S").isNameAndEquals("/GoTo"))
        return "GoTo " + QString::number(pageIndex(pdf, action.getKey("/D")));
    if (action.getKey("/S").isNameAndEquals("/GoToR"))
        return "GoToR " + QString::fromStdString(action.getKey("/F").getUTF8Value() + " " +
                                                 action.getKey("/D").unparse());
    return "none";
}

// "title@page[children]|..." of the outline items.
QString outlineText(QPDF &pdf, std::vector<QPDFOutlineObjectHelper> items)
{
    QStringList shown;
    for (QPDFOutlineObjectHelper &item : items) {
        QString text = QString::fromStdString(item.getTitle()) + '@' +
                       QString::number(pageIndex(pdf, item.getDest()));
        if (!item.getKids().empty())
            text += '[' + outlineText(pdf, item.getKids()) + ']';
        shown << text;
    }
    return shown.join('|');
}

// Four pages saying "Page n", turned 90° by their page tree; page 2 270° by its own /Rotate.
QByteArray turned()
{
    PdfObjects pdf;
    const int catalog = pdf.reserve(), pages = pdf.reserve();
    const int font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    QByteArray kids;
    for (int i = 1; i <= 4; ++i) {
        const int text = pdf.addStream("<< >>", "BT /F1 12 Tf 72 700 Td (Page " +
                                                    QByteArray::number(i) + ") Tj ET");
        kids += reference(pdf.add("<< /Type /Page /Parent " + reference(pages) +
                                  (i == 2 ? " /Rotate 270" : "") + " /Contents " + reference(text) +
                                  " /Resources << /Font << /F1 " + reference(font) + " >> >> >>")) +
                " ";
    }
    pdf.add("<< /Type /Pages /Kids [" + kids + "] /Count 4 /Rotate 90 /MediaBox [0 0 612 792] >>",
            pages);
    pdf.add("<< /Type /Catalog /Pages " + reference(pages) + " >>", catalog);
    return pdf.finish(catalog);
}

// The text of page `page` (from 1) as pdftotext reads it, trimmed.
QString pageText(const QString &pdf, int page)
{
    QProcess process;
    process.start("pdftotext",
                  {"-f", QString::number(page), "-l", QString::number(page), pdf, "-"});
    return process.waitForFinished(30000) ? process.readAllStandardOutput().trimmed()
                                          : QString("failed");
}

QString pageTexts(const QString &pdf)
{
    QProcess process;
    process.start("pdftotext", {pdf, "-"});
    return process.waitForFinished(30000) ? process.readAllStandardOutput() : QString("failed");
}

} // namespace

class TestExport : public QObject
{
    Q_OBJECT

    const QString m_tool = qEnvironmentVariable("QUILLMOOR_BOOK_TOOL");
    std::unique_ptr<QTemporaryDir> m_root;

    QString path(const QString &name) const { return QDir(m_root->path()).filePath(name); }

    // "code|out|err"; the tool runs in the test's folder, its files limited to `sizeLimit` bytes
    // when given, as on a full disk.
    // `input` is given on its standard input.
    QString run(const QStringList &arguments, qint64 sizeLimit = 0, const QByteArray &input = {})
    {
        std::optional<TestFiles::FileSizeLimit> limit;
        if (sizeLimit > 0)
            limit.emplace(sizeLimit);
        QProcess process;
        process.setWorkingDirectory(m_root->path());
        process.start(m_tool, arguments);
        process.write(input);
        process.closeWriteChannel();
        if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
            return QStringLiteral("crashed");
        return QString::number(process.exitCode()) + '|' + process.readAllStandardOutput() + '|' +
               process.readAllStandardError();
    }

    // The book B.VELM of chapters named after `chapters`' keys, in this order.
    void makeBook(const QList<std::pair<QString, QByteArray>> &chapters)
    {
        QStringList arguments{"make", "-n", "B", "-o", "."};
        for (const auto &[name, bytes] : chapters) {
            QVERIFY(TestFiles::write(path(name + ".pdf"), bytes));
            arguments << name + ".pdf";
        }
        QCOMPARE(run(arguments), "0|./B.VELM\n|");
    }

private slots:
    void init()
    {
        m_root = std::make_unique<QTemporaryDir>();
        QVERIFY(m_root->isValid());
    }

    // Chapters 1 and 3 use the same destination name, each its own page.
    void exportKeepsOutlinesAndLinks()
    {
        makeBook({{"one", TestPdfs::linked()},
                  {"labelled", TestPdfs::labelled("0 << /S /r /P (x) /St 11 >>", 2)},
                  {"three", TestPdfs::linked()}});
        QVERIFY(Module1::RewriteBookmarkFile(path("B.VELM"), "{0}one&Mark one［2］\r\n"
                                                             "{2}three&Mark two［3］\r\n"
                                                             "{1}labelled&Gone［9］\r\n"
                                                             "{7}none&No chapter［1］"));
        QCOMPARE(run({"export", "B.VELM", "out.pdf", "--progress"}),
                 "0|progress 1 3\nprogress 2 3\nprogress 3 3\nprogress 3 3\nout.pdf\n|");
        QCOMPARE(QProcess::execute("qpdf", {"--check", path("out.pdf")}), 0);

        QPDF out;
        out.processFile(path("out.pdf").toLocal8Bit().constData());
        const QString chapter = "Chapter one@%1[Section@%2]|第二部分@%3";
        QCOMPARE(outlineText(out, QPDFOutlineDocumentHelper(out).getTopLevelOutlines()),
                 "one@0[" + chapter.arg(0).arg(1).arg(2) + "]|labelled@3|three@5[" +
                     chapter.arg(5).arg(6).arg(7) + "]|书签@0[Mark one@1|Mark two@7]");

        // Each chapter's first page: a link to its third page, one to "chapter2" on its second.
        for (const int first : {0, 5}) {
            QPDFObjectHandle links =
                QPDFPageDocumentHelper(out).getAllPages().at(first).getObjectHandle().getKey(
                    "/Annots");
            QCOMPARE(
                pageIndex(out, links.getArrayItem(TestPdfs::ToPageThreeHalfWay).getKey("/Dest")),
                first + 2);
            QPDFObjectHandle named =
                links.getArrayItem(TestPdfs::ToNamedChapterTwo).getKey("/A").getKey("/D");
            QCOMPARE(named.getUTF8Value(), "c" + std::to_string(first == 0 ? 1 : 3) + "-chapter2");
            QCOMPARE(pageIndex(out, named), first + 1);
        }
    }

    // An exported page is labelled with its chapter's number, "-" and the label its chapter
    // alone gives it, whatever kind of range gave that label.
    void exportLabelsPagesByChapter_data()
    {
        QTest::addColumn<QByteArray>("ranges"); // the second chapter's, of its three pages
        QTest::addColumn<QStringList>("own");   // its labels as a PDF of its own
        QTest::newRow("none") << QByteArray() << QStringList{"1", "2", "3"};
        QTest::newRow("decimal") << QByteArray("0 << /S /D >>") << QStringList{"1", "2", "3"};
        QTest::newRow("roman") << QByteArray("0 << /S /r >>") << QStringList{"i", "ii", "iii"};
        QTest::newRow("capital roman")
            << QByteArray("0 << /S /R >>") << QStringList{"I", "II", "III"};
        QTest::newRow("letters from 26")
            << QByteArray("0 << /S /A /St 26 >>") << QStringList{"Z", "AA", "BB"};
        QTest::newRow("start value")
            << QByteArray("0 << /S /D /St 7 >>") << QStringList{"7", "8", "9"};
        QTest::newRow("prefix only")
            << QByteArray("0 << /P (Slide) >>") << QStringList{"Slide", "Slide", "Slide"};
        QTest::newRow("prefix and style")
            << QByteArray("0 << /S /a /P (A.) >>") << QStringList{"A.a", "A.b", "A.c"};
        QTest::newRow("prefix in UTF-16")
            << QByteArray("0 << /S /D /P <FEFF7B2C> >>") << QStringList{"第1", "第2", "第3"};
        QTest::newRow("start without style")
            << QByteArray("0 << /P (x) /St 5 >>") << QStringList{"x", "x", "x"};
        QTest::newRow("neither prefix nor style")
            << QByteArray("0 << >>") << QStringList{"", "", ""};
        QTest::newRow("unknown style")
            << QByteArray("0 << /S /Q /P (q) >>") << QStringList{"q", "q", "q"};
        QTest::newRow("slides then numbers")
            << QByteArray("0 << /P (1) >> 1 << /P (2) >> 2 << /S /r /St 4 >>")
            << QStringList{"1", "2", "iv"};
    }
    void exportLabelsPagesByChapter()
    {
        QFETCH(QByteArray, ranges);
        QFETCH(QStringList, own);
        makeBook({{"one", TestPdfs::onePage("one")}, {"two", TestPdfs::labelled(ranges, 3)}});
        QCOMPARE(labelsOf(path("two.pdf")), own);
        QCOMPARE(run({"export", "B.VELM", "out.pdf"}), "0|out.pdf\n|");
        QStringList exported{"1-1"};
        for (const QString &label : own)
            exported << "2-" + label;
        QCOMPARE(labelsOf(path("out.pdf")), exported);
    }

    // An outline that loops, and one deeper than any reader needs, are cut short.
    void exportCutsDamagedOutlinesShort()
    {
        makeBook({{"loop", TestPdfs::loopingOutline()}, {"deep", TestPdfs::deepOutline(500)}});
        QCOMPARE(run({"export", "B.VELM", "out.pdf"}), "0|out.pdf\n|");
        QCOMPARE(QProcess::execute("qpdf", {"--check", path("out.pdf")}), 0);
    }

    // The message names the chapter and the cause; no file appears, not even a temporary one.
    void exportRefusesClearly_data()
    {
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("message");
        QTest::addColumn<qint64>("sizeLimit");
        const QString chapter = "quillmoor-book export: B.VELM: chapter 2 \"bad\": ";
        QTest::newRow("encrypted") << TestPdfs::locked(TestPdfs::linked(), "pw") << "out.pdf"
                                   << chapter + "encrypted" << qint64(0);
        QTest::newRow("damaged") << QByteArray("%PDF-1.4\nnothing here\n") << "out.pdf"
                                 << chapter + "unable to find trailer dictionary while recovering "
                                              "damaged file"
                                 << qint64(0);
        QTest::newRow("no pages") << QByteArray() << "out.pdf" << chapter + "has no pages"
                                  << qint64(0);
        QTest::newRow("out is the book")
            << TestPdfs::linked() << "link.pdf"
            << "quillmoor-book export: link.pdf: is the book itself" << qint64(0);
        QTest::newRow("disk full")
            << TestPdfs::linked() << "out.pdf"
            << "quillmoor-book export: out.pdf: cannot be written whole" << qint64(2000);
    }
    void exportRefusesClearly()
    {
        QFETCH(QByteArray, second);
        QFETCH(QString, out);
        QFETCH(QString, message);
        QFETCH(qint64, sizeLimit);
        if (second.isEmpty()) {
            PdfObjects empty;
            empty.add("<< /Type /Catalog /Pages 2 0 R >>");
            empty.add("<< /Type /Pages /Kids [] /Count 0 >>");
            second = empty.finish(1);
        }
        makeBook({{"one", TestPdfs::onePage("one")}, {"bad", second}});
        QVERIFY(QFile::link(path("B.VELM"), path("link.pdf")));
        const QByteArray book = TestFiles::read(path("B.VELM"));
        const QStringList before = TestFiles::entriesOf(m_root->path());
        QCOMPARE(run({"export", "B.VELM", out}, sizeLimit), "1||" + message + '\n');
        QCOMPARE(TestFiles::entriesOf(m_root->path()), before);
        QCOMPARE(TestFiles::read(path("B.VELM")), book);
    }

    // SIGTERM, as the reader window stops an export, ends it with 1 and no temporary file.
    void exportStopsOnTerminate()
    {
        QStringList sources{"make", "-n", "B", "-o", "."};
        QVERIFY(TestFiles::write(path("c.pdf"), TestPdfs::linked()));
        for (int i = 0; i < 400; ++i)
            sources << "c.pdf";
        QVERIFY(run(sources).startsWith("0|"));
        QProcess process;
        process.setWorkingDirectory(m_root->path());
        process.start(m_tool, {"export", "B.VELM", "out.pdf", "--progress"});
        QVERIFY(process.waitForReadyRead(30000));
        QVERIFY(process.readLine().startsWith("progress 1 400"));
        process.terminate();
        QVERIFY(process.waitForFinished(30000));
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(TestFiles::entriesOf(m_root->path()), QStringList({"B.VELM", "c.pdf"}));
    }

    // The child's end as the parent sees it: an answer, or the reason, with the mark it set. In
    // the cage nothing is written but into what was open before.
    void cagedWorkEndsAsItShould_data()
    {
        QTest::addColumn<int>("work");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("reason");
        using Outcome = CagedWork::Outcome;
        QTest::newRow("answers") << 0 << int(Outcome::Answered) << QString();
        QTest::newRow("too big") << 1 << int(Outcome::TooBig)
                                 << "needs more than 1 GiB of memory to be read";
        QTest::newRow("crashes") << 2 << int(Outcome::BrokeDown)
                                 << "broke its reader down (signal 9, Killed)";
        QTest::newRow("not caged")
            << 3 << int(Outcome::NotCaged) << "cannot be read safely: no cage here";
    }
    void cagedWorkEndsAsItShould()
    {
        QFETCH(int, work);
        QFETCH(int, kind);
        QFETCH(QString, reason);
        const QByteArray created = QFile::encodeName(path("made.txt"));
        const CagedWork::Cage cage = [work](QString *problem) {
            if (work != 3)
                return Pdf::Sandbox::enter(problem);
            *problem = "no cage here";
            return false;
        };
        const CagedWork::Outcome outcome =
            CagedWork::run(cage, [&](std::atomic<int> &mark) -> QByteArray {
                mark.store(7);
                if (work == 1) {
                    const size_t size = size_t(3) << 29;
                    char *memory = static_cast<char *>(std::malloc(size));
                    std::memset(memory, 1, size);
                    std::this_thread::sleep_for(std::chrono::seconds(30));
                    return QByteArray(memory, 1);
                }
                if (work == 2)
                    ::raise(SIGKILL);
                const int fd = ::open(created.constData(), O_WRONLY | O_CREAT, 0600);
                return fd < 0 ? "refused" : "written";
            });
        QCOMPARE(int(outcome.kind), kind);
        QCOMPARE(CagedWork::reasonOf(outcome), reason);
        QCOMPARE(outcome.answer, QByteArray(work == 0 ? "refused" : ""));
        QCOMPARE(outcome.mark, work == 3 ? -1 : 7);
        QVERIFY(!QFile::exists(path("made.txt")));
    }

    // Each ends at its bound, with the bound as the reason, and writes nothing: no output, no
    // temporary file, the book and the PDF as they were. The time it takes is not checked: it
    // depends on the machine's load, and the reason shows the bound ended it.
    void qpdfBombsEndAtTheirBoundWritingNothing_data()
    {
        QTest::addColumn<int>("bomb");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("cause");
        const QString deep = "its page tree is more than 1000 levels deep";
        const QString big = "needs more than 1 GiB of memory to be read";
        const int tree = int(TestPdfs::QpdfBomb::DeepPageTree);
        for (const QString command : {"export", "split", "pages"})
            QTest::addRow("deep page tree, %s", qPrintable(command)) << tree << command << deep;
        for (const QString command : {"export", "split", "pages"})
            QTest::addRow("object stream, %s", qPrintable(command))
                << int(TestPdfs::QpdfBomb::ObjectStream) << command << big;
#ifndef QUILLMOOR_SANITIZED
        // Millions of small allocations, which the sanitizers' slow unwinder takes minutes over.
        QTest::newRow("repeated page, export")
            << int(TestPdfs::QpdfBomb::RepeatedPage) << "export" << big;
#endif
    }
    void qpdfBombsEndAtTheirBoundWritingNothing()
    {
        QFETCH(int, bomb);
        QFETCH(QString, command);
        QFETCH(QString, cause);
        // Made once each: a bomb takes seconds to make under the sanitizers.
        static QHash<int, QByteArray> made;
        if (!made.contains(bomb))
            made[bomb] = TestPdfs::qpdfBomb(TestPdfs::QpdfBomb(bomb));
        const QByteArray pdf = made.value(bomb);
        makeBook({{"one", TestPdfs::onePage("one")}, {"bad", pdf}});
        QVERIFY(QDir().mkpath(path("out")));
        const QStringList before = TestFiles::entriesOf(m_root->path());
        const QByteArray book = TestFiles::read(path("B.VELM"));
        QStringList arguments{command, "bad.pdf", "out/out.pdf", "--pages", "1"};
        QString message = "quillmoor-book pages: bad.pdf: " + cause;
        if (command == "export") {
            arguments = QStringList{command, "B.VELM", "out/out.pdf"};
            message = "quillmoor-book export: B.VELM: chapter 2 \"bad\": " + cause;
        } else if (command == "split") {
            arguments = QStringList{command, "bad.pdf", "-n", "S", "-o", "out"};
            message = "quillmoor-book split: bad.pdf: " + cause;
        }
        QCOMPARE(run(arguments), "1||" + message + '\n');
        QCOMPARE(TestFiles::entriesOf(m_root->path()), before);
        QCOMPARE(TestFiles::read(path("B.VELM")), book);
        QCOMPARE(TestFiles::read(path("bad.pdf")), pdf);
    }

    // Chapters run between the outline's top-level entries in page order; exported again, the
    // book gives the PDF's pages with their text.
    void splitMakesChaptersOfTheOutline()
    {
        QVERIFY(TestFiles::write(path("s.pdf"), sectioned()));
        QVERIFY(QDir().mkpath(path("out")));
        QCOMPARE(run({"split", "s.pdf", "--name", "S", "--out", "out"}),
                 "0|out/S.VELM\n|quillmoor-book split: chapter 4: name \"C♂\" written as \"C?\"\n");
        QVERIFY(run({"export", "out/S.VELM", "e.pdf"}).startsWith("0|"));
        QPDF out;
        out.processFile(path("e.pdf").toLocal8Bit().constData());
        QCOMPARE(outlineText(out, QPDFOutlineDocumentHelper(out).getTopLevelOutlines()),
                 "前言@0|A@1[A1@2|A twin@1]|B@3|C?@5");
        QCOMPARE(pageTexts(path("e.pdf")), pageTexts(path("s.pdf")));
        QVERIFY(pageTexts(path("s.pdf")).contains("Page 6"));
    }

    // A link into another section becomes a link into its chapter's file, by name or by page, and
    // the export of the book leads it within the one PDF again; a link within a section stays.
    void splitLinksChaptersAndExportJoinsThem()
    {
        const QByteArray source = withLinks(4,
                                            {{0, "/A << /S /GoTo /D (target) >>"},
                                             {0, "/Dest [{2} /XYZ 0 792 0]"},
                                             {0, "/Dest [{1} /Fit]"},
                                             {3, "/Dest [{0} /Fit]"}},
                                            {{"(One)", 0}, {"<FEFF7B2C4E8C7AE02642>", 2}});
        QVERIFY(TestFiles::write(path("s.pdf"), source));
        QVERIFY(run({"split", "s.pdf", "-n", "S", "-o", "."}).startsWith("0|./S.VELM\n|"));
        QVERIFY(run({"extract", "S.VELM", "1", "--out", "c1.pdf"}).startsWith("0|"));
        QVERIFY(run({"extract", "S.VELM", "2", "--out", "c2.pdf"}).startsWith("0|"));
        QPDF first;
        first.processFile(path("c1.pdf").toLocal8Bit().constData());
        QCOMPARE(linkOf(first, 0, 0), "GoToR 第二章?.pdf (target)");
        QCOMPARE(linkOf(first, 0, 1), "GoToR 第二章?.pdf [ 0 /Fit ]");
        QCOMPARE(linkOf(first, 0, 2), "Dest 1");
        QPDF second;
        second.processFile(path("c2.pdf").toLocal8Bit().constData());
        QCOMPARE(linkOf(second, 1, 0), "GoToR One.pdf [ 0 /Fit ]");

        QCOMPARE(run({"export", "S.VELM", "e.pdf"}), "0|e.pdf\n|");
        QPDF out;
        out.processFile(path("e.pdf").toLocal8Bit().constData());
        QCOMPARE(linkOf(out, 0, 0), "GoTo 3");
        QCOMPARE(linkOf(out, 0, 1), "GoTo 2");
        QCOMPARE(linkOf(out, 0, 2), "Dest 1");
        QCOMPARE(linkOf(out, 3, 0), "GoTo 0");
    }

    // A remote go-to into a chapter of the book, by its file name, leads there in the export;
    // one into a page the chapter lacks leads nowhere, and one into any other file stays.
    void exportJoinsLinksIntoChapters_data()
    {
        QTest::addColumn<QByteArray>("link"); // on the first page of "links", the second chapter
        QTest::addColumn<QString>("leads");
        const QByteArray go = "/A << /S /GoToR ";
        QTest::newRow("name, later chapter") << go + "/F (three.pdf) /D (target) >>"
                                             << "GoTo 5";
        QTest::newRow("name object, earlier chapter") << go + "/F (one.pdf) /D /target >>"
                                                      << "GoTo 1";
        QTest::newRow("page, own chapter") << go + "/F (links.pdf) /D [1 /Fit] >>"
                                           << "GoTo 3";
        QTest::newRow("page, file specification")
            << go + "/F << /Type /Filespec /F (three.pdf) >> /D [0 /Fit] >>"
            << "GoTo 4";
        QTest::newRow("page past the end, later chapter") << go + "/F (three.pdf) /D [2 /Fit] >>"
                                                          << "GoTo -1";
        QTest::newRow("page past the end, earlier chapter") << go + "/F (one.pdf) /D [-1 /Fit] >>"
                                                            << "GoTo -1";
        QTest::newRow("another file") << go + "/F (other.pdf) /D [0 /Fit] >>"
                                      << "GoToR other.pdf [ 0 /Fit ]";
    }
    void exportJoinsLinksIntoChapters()
    {
        QFETCH(QByteArray, link);
        QFETCH(QString, leads);
        makeBook({{"one", withLinks(2, {})},
                  {"links", withLinks(2, {{0, link}})},
                  {"three", withLinks(2, {})}});
        QCOMPARE(run({"export", "B.VELM", "out.pdf"}), "0|out.pdf\n|");
        QCOMPARE(QProcess::execute("qpdf", {"--check", path("out.pdf")}), 0);
        QPDF out;
        out.processFile(path("out.pdf").toLocal8Bit().constData());
        QCOMPARE(linkOf(out, 2, 0), leads);
    }

    void splitRefusesClearly_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QString>("cause");
        QTest::newRow("no outline")
            << TestPdfs::onePage("x") << "has no outline entry that leads to a page";
        QTest::newRow("encrypted") << TestPdfs::locked(sectioned(), "pw") << "encrypted";
    }
    void splitRefusesClearly()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(QString, cause);
        QVERIFY(TestFiles::write(path("s.pdf"), pdf) && QDir().mkpath(path("out")));
        QCOMPARE(run({"split", "s.pdf", "-n", "S", "-o", "out"}),
                 "1||quillmoor-book split: s.pdf: " + cause + '\n');
        QCOMPARE(TestFiles::entriesOf(path("out")), QStringList());
    }

    // The pages asked for, in that order, with their own fonts and text, turned further by the
    // quarter turns given; from a file, from a chapter's bytes in its book, and from a locked
    // file with its password.
    void pagesCutsTheChosenPages_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("password");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("rotations");
        QTest::newRow("list and range")
            << "t.pdf" << QStringList{"--pages", "3,1-2"} << QByteArray()
            << QStringList{"Page 3", "Page 1", "Page 2"} << QList<int>{90, 90, 270};
        QTest::newRow("a quarter turn")
            << "t.pdf" << QStringList{"--pages", "1-2", "--turns", "1"} << QByteArray()
            << QStringList{"Page 1", "Page 2"} << QList<int>{180, 0};
        QTest::newRow("turned back")
            << "t.pdf" << QStringList{"--pages", "1-2", "--turns=-1"} << QByteArray()
            << QStringList{"Page 1", "Page 2"} << QList<int>{0, 180};
        QTest::newRow("chapter of a book")
            << "B.VELM" << QStringList{"--pages", "4,2", "--offset", "OFFSET", "--length", "LENGTH"}
            << QByteArray() << QStringList{"Page 4", "Page 2"} << QList<int>{90, 270};
        QTest::newRow("locked") << "locked.pdf" << QStringList{"--pages", "4", "--password-stdin"}
                                << QByteArray("pw\n") << QStringList{"Page 4"} << QList<int>{90};
    }
    void pagesCutsTheChosenPages()
    {
        QFETCH(QString, source);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, password);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, rotations);
        QVERIFY(TestFiles::write(path("t.pdf"), turned()));
        QVERIFY(TestFiles::write(path("locked.pdf"), TestPdfs::locked(turned(), "pw")));
        makeBook({{"one", TestPdfs::onePage("one")}, {"t", turned()}});
        // list: number, start (from 1), length and name
        const QStringList second = run({"list", "B.VELM"}).split('\n').at(1).split('\t');
        options.replaceInStrings("OFFSET", QString::number(second.at(1).toLongLong() - 1));
        options.replaceInStrings("LENGTH", second.at(2));

        QCOMPARE(run(QStringList{"pages", source, "out.pdf"} + options, 0, password),
                 "0|out.pdf\n|");
        QCOMPARE(QProcess::execute("qpdf", {"--check", path("out.pdf")}), 0);
        QPDF out;
        out.processFile(path("out.pdf").toLocal8Bit().constData());
        const std::vector<QPDFPageObjectHelper> pages = QPDFPageDocumentHelper(out).getAllPages();
        QCOMPARE(int(pages.size()), texts.size());
        for (int i = 0; i < texts.size(); ++i) {
            QPDFObjectHandle page = pages.at(size_t(i)).getObjectHandle();
            QCOMPARE(pageText(path("out.pdf"), i + 1), texts.at(i));
            QCOMPARE(int(page.getKey("/Rotate").getIntValue()), rotations.at(i));
            QVERIFY(page.getKey("/Resources").getKey("/Font").getKey("/F1").isDictionary());
        }
    }

    // The message names the file and the cause; no file appears, and an earlier one stays.
    void pagesRefusesClearly_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("result");
        const QString failed = "1||quillmoor-book pages: ";
        QTest::newRow("no such page") << QStringList{"t.pdf", "out.pdf", "--pages", "2,5"}
                                      << failed + "t.pdf: no page 5 (the document has 4)\n";
        QTest::newRow("a page twice") << QStringList{"t.pdf", "out.pdf", "--pages", "1-2,2"}
                                      << failed + "t.pdf: page 2 is asked for twice\n";
        const QString list = "2||quillmoor-book pages: --pages takes page numbers from 1 and "
                             "ranges, as 1-3,5\n";
        QTest::newRow("no list") << QStringList{"t.pdf", "out.pdf"} << list;
        QTest::newRow("backward range")
            << QStringList{"t.pdf", "out.pdf", "--pages", "3-1"} << list;
        QTest::newRow("page 0") << QStringList{"t.pdf", "out.pdf", "--pages", "0"} << list;
        QTest::newRow("bad offset")
            << QStringList{"t.pdf", "out.pdf", "--pages", "1", "--offset", "-5"}
            << "2||quillmoor-book pages: --offset is not a byte offset\n";
        QTest::newRow("missing") << QStringList{"none.pdf", "out.pdf", "--pages", "1"}
                                 << failed + "none.pdf: cannot be opened\n";
        QTest::newRow("not a PDF")
            << QStringList{"notes.txt", "out.pdf", "--pages", "1"}
            << failed + "notes.txt: unable to find trailer dictionary while recovering damaged "
                        "file\n";
        QTest::newRow("no password") << QStringList{"locked.pdf", "out.pdf", "--pages", "1"}
                                     << failed + "locked.pdf: the password is wrong\n";
        QTest::newRow("out is the source") << QStringList{"t.pdf", "link.pdf", "--pages", "1"}
                                           << failed + "link.pdf: is the document itself\n";
    }
    void pagesRefusesClearly()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, result);
        QVERIFY(TestFiles::write(path("t.pdf"), turned()));
        QVERIFY(TestFiles::write(path("locked.pdf"), TestPdfs::locked(turned(), "pw")));
        QVERIFY(TestFiles::write(path("notes.txt"), "not a PDF at all\n"));
        QVERIFY(TestFiles::write(path("out.pdf"), "earlier"));
        QVERIFY(QFile::link(path("t.pdf"), path("link.pdf")));
        const QStringList before = TestFiles::entriesOf(m_root->path());
        QCOMPARE(run(QStringList{"pages"} + arguments), result);
        QCOMPARE(TestFiles::entriesOf(m_root->path()), before);
        QCOMPARE(TestFiles::read(path("out.pdf")), QByteArray("earlier"));
        QCOMPARE(TestFiles::read(path("t.pdf")), turned());
    }
};

QTEST_GUILESS_MAIN(TestExport)
#include "tst_export.moc"
