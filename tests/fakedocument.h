// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "pdf/document.h"

#include <QStringList>

#include <atomic>
#include <memory>

// A stand-in document made in the test. Each page has its words, five to a line from the top
// left; `find` gives the boxes of the words holding the text (letter case ignored). It draws
// blank US Letter pages and has no links, outline or properties.
class FakeDocument : public Pdf::Document
{
public:
    // The words of each page.
    QList<QStringList> pages;
    // Calls of find(), by this document and its copies.
    std::shared_ptr<std::atomic<int>> finds = std::make_shared<std::atomic<int>>(0);

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
    Pdf::Destination destination(const QString &) const override { return {}; }
    void setSmoothing(Pdf::Smoothing) override {}
    QImage draw(int, double scale, int, const QRect &) const override
    {
        QImage page((QSizeF(612, 792) * scale).toSize(), QImage::Format_RGB32);
        page.fill(Qt::white);
        return page;
    }
    QList<Pdf::Link> links(int) const override { return {}; }
    QList<Pdf::Word> words(int page) const override
    {
        QList<Pdf::Word> found;
        const QStringList texts = pages.value(page);
        for (int i = 0; i < texts.size(); ++i)
            found.append({texts.at(i), boxOf(i), true});
        return found;
    }
    QList<QRectF> find(int page, const QString &text) const override
    {
        ++*finds;
        QList<QRectF> found;
        const QStringList texts = pages.value(page);
        for (int i = 0; i < texts.size(); ++i) {
            if (texts.at(i).contains(text, Qt::CaseInsensitive))
                found << boxOf(i);
        }
        return found;
    }
    QString text(int page, const QRectF &) const override
    {
        return pages.value(page).join(QLatin1Char(' '));
    }
    QList<Pdf::OutlineEntry> outline(const QList<int> &, int) const override { return {}; }
    Pdf::Properties properties() const override { return {}; }
    bool isLocked() const override { return false; }
    bool unlock(const QString &) override { return true; }
    Opener opener() const override
    {
        return [copy = *this]() -> std::unique_ptr<Pdf::Document> {
            return std::make_unique<FakeDocument>(copy);
        };
    }
};
