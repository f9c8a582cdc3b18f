// SPDX-License-Identifier: GPL-2.0-or-later
#include "testpdfs.h"

#include "testfiles.h"

#include <QFont>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>

bool TestPdfs::write(const QString &path, int pages)
{
    QPdfWriter writer(path);
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

QByteArray TestPdfs::bytes(int pages)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.pdf"));
    return write(path, pages) ? TestFiles::read(path) : QByteArray();
}
