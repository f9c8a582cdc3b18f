// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/readerwindows.h"
#include "app/startup.h"
#include "core/book/scratchfolder.h"
#include "core/links/webopener.h"
#include "gui/pdfview/pdfviewfactory.h"
#include "gui/reader/form1.h"
#include "services/appservices.h"
#include "services/dialogs.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

// What the window drivers share: the reader window with stand-ins that never ask, and a probe
// of how late the window's thread answers.
namespace BenchReader
{

class NoDialogs : public Dialogs
{
public:
    void showMessage(QWidget *, const QString &) override {}
    QString chooseFile(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QStringList chooseFiles(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QStringList();
    }
    QString chooseSaveFile(QWidget *, const QString &, const QString &, const QString &) override
    {
        return QString();
    }
    QString chooseFolder(QWidget *) override { return QString(); }
    bool setUpPrinter(QWidget *, QPrinter &, int) override { return false; }
    bool askPassword(QWidget *, const QString &, QString &, const QString &) override
    {
        return false;
    }
    bool askText(QWidget *, const QString &, QString &) override { return false; }
    bool askYesNo(QWidget *, const QString &) override { return false; }
};

class NoWebOpener : public WebOpener
{
public:
    void openAddress(const QString &) override {}
};

// The reader window on `document`, 1200 by 780 pixels, given 300 ms to settle; its form is
// nullptr when the window cannot be made.
class Reader
{
public:
    explicit Reader(const QString &document, ReadingPlaces *places = nullptr)
        : m_services{&m_dialogs, &m_webOpener, &m_viewFactory, &m_scratch, places}
    {
        m_windows = Module1::StartReader(m_services, document);
        if (!m_windows)
            return;
        form = &m_windows->reader();
        form->showNormal();
        form->resize(1200, 780);
        QElapsedTimer settle;
        settle.start();
        while (settle.elapsed() < 300)
            QApplication::processEvents();
    }

    Form1 *form = nullptr;
    DocumentSession &session() { return m_windows->session(); }

private:
    NoDialogs m_dialogs;
    NoWebOpener m_webOpener;
    StandardViewFactory m_viewFactory;
    ScratchFolder m_scratch;
    AppServices m_services;
    std::unique_ptr<ReaderWindows> m_windows;
};

// Ticks every 10 ms and keeps how much later than that a tick came at worst.
class LatenessProbe : public QObject
{
public:
    LatenessProbe()
    {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(Interval);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            m_worst = qMax(m_worst, m_sinceTick.nsecsElapsed() / 1e6 - Interval);
            m_sinceTick.restart();
        });
        m_sinceTick.start();
        m_timer.start();
    }
    double worstMs() const { return m_worst; }

private:
    static const int Interval = 10;
    QTimer m_timer;
    QElapsedTimer m_sinceTick;
    double m_worst = 0;
};

} // namespace BenchReader
