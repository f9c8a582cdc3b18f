// SPDX-License-Identifier: GPL-2.0-or-later
// Draws the chapters of the sample book: small PDFs of Chinese and Latin text, several pages
// each, named after their chapters. Run at build time: samplepdfs OUTPUT-FOLDER

#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QStringList>

#include <cstdio>

namespace
{

struct Chapter {
    QString name;
    QString title;
    QStringList lines;
    int pages;
};

QList<Chapter> chapters()
{
    return {
        {QStringLiteral("第一章 欢迎使用"),
         QStringLiteral("欢迎使用 Quillmoor"),
         {QStringLiteral("这是一本示例电子书，由程序在构建时生成。"),
          QStringLiteral("左侧的目录列出每一章；单击一章即可阅读。"),
          QStringLiteral("This sample book was drawn while the program was built."),
          QStringLiteral("Pick a chapter on the left to read it.")},
         3},
        {QStringLiteral("第二章 书签"),
         QStringLiteral("书签 Bookmarks"),
         {QStringLiteral("单击“书签”标签可查看本章的书签。"),
          QStringLiteral("书签保存在电子书旁边的 .ini 文件中。"),
          QStringLiteral("Bookmarks live in a text file beside the book."),
          QStringLiteral("Click one to jump to its page.")},
         4},
        {QStringLiteral("第三章 制作电子书"),
         QStringLiteral("制作电子书 Making a book"),
         {QStringLiteral("菜单“制作电子书”把多个 PDF 文件装订成一本书。"),
          QStringLiteral("每个 PDF 原样保存，成为书中的一章。"),
          QStringLiteral("Every source PDF is kept byte for byte as one chapter."),
          QStringLiteral("The contents index follows the chapters.")},
         3},
    };
}

void drawPage(QPainter &painter, const Chapter &chapter, int page)
{
    const QRect area = painter.viewport();
    painter.fillRect(QRect(0, 0, area.width(), 90), QColor(31, 58, 95));
    QFont heading(QStringLiteral("Noto Serif CJK SC"));
    heading.setPixelSize(21);
    painter.setFont(heading);
    painter.setPen(Qt::white);
    painter.drawText(QRect(50, 20, area.width() - 100, 60), Qt::AlignVCenter, chapter.title);

    QFont body(QStringLiteral("Noto Serif CJK SC"));
    body.setPixelSize(15);
    painter.setFont(body);
    painter.setPen(Qt::black);
    int top = 150;
    for (const QString &line : chapter.lines) {
        QRect box;
        painter.drawText(QRect(50, top, area.width() - 100, 200), Qt::AlignLeft | Qt::TextWordWrap,
                         line, &box);
        top = box.bottom() + 16;
    }
    QFont big(QStringLiteral("Liberation Sans"));
    big.setPixelSize(120);
    painter.setFont(big);
    painter.setPen(QColor(200, 210, 225));
    painter.drawText(QRect(0, top + 40, area.width(), 200), Qt::AlignCenter,
                     QStringLiteral("%1").arg(page));
    painter.setFont(body);
    painter.setPen(Qt::darkGray);
    painter.drawText(QRect(0, area.height() - 60, area.width(), 30), Qt::AlignCenter,
                     QStringLiteral("%1 · 第 %2 页 / Page %2 of %3")
                         .arg(chapter.name)
                         .arg(page)
                         .arg(chapter.pages));
}

bool writeChapter(const QString &path, const Chapter &chapter)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A5));
    writer.setResolution(72);
    writer.setTitle(chapter.title);
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    for (int page = 1; page <= chapter.pages; ++page) {
        if (page > 1)
            writer.newPage();
        drawPage(painter, chapter, page);
    }
    return painter.end();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: samplepdfs OUTPUT-FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral(".")))
        return 1;
    for (const Chapter &chapter : chapters()) {
        const QString path = folder.filePath(chapter.name + QStringLiteral(".pdf"));
        if (!writeChapter(path, chapter)) {
            std::fprintf(stderr, "samplepdfs: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
