// SPDX-License-Identifier: GPL-2.0-or-later
// Draws the program's icon at the sizes the desktop's icon theme wants, for the package:
//   iconpngs ICON.svg FOLDER SIZE...   writes FOLDER/SIZExSIZE/quillmoor.png for each SIZE
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    QSvgRenderer icon(arguments.value(1));
    if (arguments.size() < 4 || !icon.isValid()) {
        std::fprintf(stderr, "usage: iconpngs ICON.svg FOLDER SIZE...\n");
        return 2;
    }
    for (const QString &size : arguments.mid(3)) {
        const int pixels = size.toInt();
        QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        icon.render(&painter);
        painter.end();
        const QString folder = arguments.at(2) + QStringLiteral("/%1x%1").arg(pixels);
        if (pixels <= 0 || !QDir().mkpath(folder) || !image.save(folder + "/quillmoor.png")) {
            std::fprintf(stderr, "iconpngs: cannot write the %s pixel icon\n", qPrintable(size));
            return 1;
        }
    }
    return 0;
}
