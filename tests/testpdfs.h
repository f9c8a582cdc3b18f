// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// PDFs for GUI tests, drawn at run time.
namespace TestPdfs
{

// Dark pixels in `image`, or in the top `part` of it: something was drawn.
bool hasInk(const QImage &image, double part = 1.0);

// The creator every PDF written here names.
constexpr char Creator[] = "Quillmoor 测试";

// Writes a PDF of `pages` A4 pages to `path`, each with a large black "PAGE n" in Liberation
// Sans (embedded) and a black bar across its top, so a shown page has dark pixels wherever it is
// scrolled to; its title is `title`, its creator Creator.
bool write(const QString &path, int pages, const QString &title = QString());
// The bytes of such a PDF; empty when it could not be made.
QByteArray bytes(int pages, const QString &title = QString());

// One US Letter page saying `text` (Latin-1) in Helvetica near its top; made without a window
// system.
QByteArray onePage(const QByteArray &text);

// One US Letter page in Helvetica (not embedded), PDF 1.7, whose information dictionary gives
// the title DescribedTitle, the creator Creator and the creation date 2024-01-02 03:04:05 at
// UTC+8; no other field. Made without a window system.
QByteArray described();
constexpr char DescribedTitle[] = "说明 Described";

// Three US Letter pages (612 by 792 points). Page 1 holds the links of `LinkLines`, one to a line:
// line i has its text's baseline at 660 - 40 i points from the bottom and its link area from
// 72 to 400 points across, 8 below to 22 above the baseline. Page 2 says "Second page alpha beta"
// and, in a Chinese font that is not embedded, "中文文本"; page 3 "Third page gamma" and, near its
// foot, "last words". The outline: "Chapter one" (page 1) holding "Section" (page 2, half way
// down), then "第二部分" (page 3).
QByteArray linked();
enum LinkLines {
    ToPageThreeHalfWay,
    ToNamedChapterTwo,
    ToWebPage, // https://example.com/page
    Launch,
    JavaScript,
    ToLocalFile, // file:///etc/passwd
    ToOtherPdf,
    ToSignedInPage,       // SignedInAddress
    ToMailWithAttachment, // mailto:x@example.com?attach=/etc/passwd&subject=Hi
    ToNameInOtherPdf,     // "part2" of other.pdf; ToOtherPdf leads to its first page
    LinkLineCount
};
// A user name longer than a screen's width, and "&lt;" that is no markup.
constexpr char SignedInAddress[] =
    "https://www.bank.example.account.security.session.verification.login.confirmation.update"
    ".reader.online.service.customer:secret@example.com/?next=&lt;home&gt;";

// Two empty pages whose outline is a chain `levels` deep: "Level n" holds "Level n+1", each
// leads to page 1 and asks to be shown opened.
QByteArray deepOutline(int levels);

// `pages` empty pages labelled by the page label ranges `ranges` ("index dictionary ..."), or
// without page labels for none.
QByteArray labelled(const QByteArray &ranges, int pages);
// Two pages whose outline loops: "Start" (page 1) is its own next entry and holds "Inner"
// (page 2), whose next entry is itself and whose first child is "Start" again.
QByteArray loopingOutline();
// An outline of one level: "Entry 1" to "Entry `entries`", leading to page 1.
QByteArray wideOutline(int entries);
// An outline of three levels of `width` entries, each entry of the first two having every entry
// of the next level below it, all asked to be shown opened: width³ entries in a small file.
QByteArray openOutlineBomb(int width);
// Two pages in a linearized file whose linearization dictionary claims `claimed` pages, a count
// the engine takes as the file's.
QByteArray claimingPages(int claimed);

// Three pages made to break the engine's limits. Page 1 is a plain page ("Fine page"). Page 2
// never finishes drawing: forms nested `levels` deep, each drawing the one below ten times, so a
// file of a few hundred bytes asks for 10^levels glyphs. Page 3 is a decompression bomb: its
// text is in a font whose file of a few kilobytes inflates to 2 GiB, which the engine reads whole
// into memory as it draws the page.
QByteArray hostile(int levels = 9);

// PDFs made to exhaust qpdf's reading of a document.
enum class QpdfBomb {
    DeepPageTree, // one page below 100,000 levels of page tree nodes (10 MB)
    RepeatedPage, // one page listed 2,000,000 times, each a page of its own once read (12 MB)
    ObjectStream, // the page in an object stream that inflates to 2 GiB (4 KB)
};
QByteArray qpdfBomb(QpdfBomb kind);

// `pdf` encrypted by qpdf with the user password `password` (AES-256); empty when qpdf failed.
QByteArray locked(const QByteArray &pdf, const QString &password);

} // namespace TestPdfs
