// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QStringList>

#include <atomic>

// A stand-in document made in the test. Each page has its words, five to a line from the top
// left, and its links; `find` gives the boxes of the words holding the text (letter case
// ignored), `draw` a white page with a black top quarter. Every document its opener makes shares
// the counts of finds and draws.
class FakeDocument : public Pdf::Document
{
public:
    struct Page {
        QStringList words;
        QList<Pdf::Link> links;
    };

    QList<Page> pages;
    QList<Pdf::OutlineEntry> entries;
    std::shared_ptr<std::atomic<int>> finds = std::make_shared<std::atomic<int>>(0);

    // A document of these pages, each given by its words.
    static FakeDocument of(const QList<QStringList> &pageWords)
    {
        FakeDocument document;
        for (const QStringList &words : pageWords)
            document.pages.append({words, {}});
        return document;
    }

    static QRectF boxOf(int word)
    {
        return QRectF(0.05 + (word % 5) * 0.18, 0.05 + (word / 5) * 0.04, 0.15, 0.03);
    }

    int pageCount() const override { return int(pages.size()); }
    QSizeF pageSize(int page) const override
    {
        return page >= 0 && page < pageCount() ? QSizeF(612, 792) : QSizeF();
    }
    QString pageLabel(int page) const override { return QString::number(page + 1); }
    void setSmoothing(Pdf::Smoothing) override {}
    QImage draw(int, double scale, int quarterTurns, const QRect &part) const override
    {
        QSize size = (QSizeF(612, 792) * scale).toSize();
        if (quarterTurns % 2)
            size.transpose();
        QImage image(part.isEmpty() ? size : part.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int y = 0; y < image.height() && y + part.y() < size.height() / 4; ++y)
            std::fill_n(reinterpret_cast<QRgb *>(image.scanLine(y)), image.width(), qRgb(0, 0, 0));
        return image;
    }
    QList<Pdf::Link> links(int page) const override { return pages.value(page).links; }
    QList<Pdf::Word> words(int page) const override
    {
        QList<Pdf::Word> found;
        const QStringList texts = pages.value(page).words;
        for (int i = 0; i < texts.size(); ++i)
            found.append({texts.at(i), boxOf(i), true});
        return found;
    }
    QList<QRectF> find(int page, const QString &text) const override
    {
        ++*finds;
        QList<QRectF> found;
        const QStringList texts = pages.value(page).words;
        for (int i = 0; i < texts.size(); ++i) {
            if (texts.at(i).contains(text, Qt::CaseInsensitive))
                found << boxOf(i);
        }
        return found;
    }
    QString text(int page, const QRectF &) const override
    {
        return pages.value(page).words.join(QLatin1Char(' '));
    }
    QList<Pdf::OutlineEntry> outline() const override { return entries; }
    bool isLocked() const override { return false; }
    bool unlock(const QString &) override { return true; }
    Opener opener() const override
    {
        return [copy = *this]() -> std::unique_ptr<Pdf::Document> {
            return std::make_unique<FakeDocument>(copy);
        };
    }
};
