// SPDX-License-Identifier: GPL-2.0-or-later
// Linked into every GUI test. Tests answer the user's questions through fakes, so a real modal
// dialog (a message box, a file dialog) means a fake was bypassed: the test would wait for a
// click that never comes until its timeout. This guard ends the test at once instead, naming
// the dialog. A progress note asks nothing and closes by itself: the window's own, shown once a
// change of a book takes a while, as it may on a slow machine.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace
{

QWidget *realDialog()
{
    if (QWidget *modal = QApplication::activeModalWidget();
        modal && !qobject_cast<QProgressDialog *>(modal))
        return modal;
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() &&
            (qobject_cast<QMessageBox *>(window) || qobject_cast<QFileDialog *>(window)))
            return window;
    }
    return nullptr;
}

void watchForRealDialogs()
{
    auto *timer = new QTimer(qApp);
    timer->setInterval(50);
    QObject::connect(timer, &QTimer::timeout, [] {
        if (QWidget *dialog = realDialog()) {
            std::fprintf(stderr, "FAIL: a real dialog appeared in a test: %s \"%s\" %s\n",
                         dialog->metaObject()->className(), qPrintable(dialog->windowTitle()),
                         qPrintable(dialog->property("text").toString()));
            std::fflush(stderr);
            std::_Exit(3);
        }
    });
    timer->start();
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(watchForRealDialogs)
