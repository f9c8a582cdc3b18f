// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/bookmarks/pagecapture.h"

#include "gui/pdfview/pdfview.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QList>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

short Module1::CurrentPage = 0;

namespace
{

const int ToolbarWait = 200;

bool isEditBox(const QWidget *widget)
{
    return QLatin1String(widget->metaObject()->className())
        .contains(QLatin1String("Edit"), Qt::CaseInsensitive);
}

// The direct children that are part of this window and not hidden, topmost first. The list is taken
// before any child is searched; a child deleted meanwhile is left out.
QList<QPointer<QWidget>> childrenTopmostFirst(const QWidget *widget)
{
    QList<QPointer<QWidget>> children;
    const QObjectList objects = widget->children();
    // Children are kept bottom first: raising one moves it to the end.
    for (auto it = objects.crbegin(); it != objects.crend(); ++it) {
        auto *child = qobject_cast<QWidget *>(*it);
        if (child && !child->isWindow() && child->isVisibleTo(widget))
            children.append(child);
    }
    return children;
}

// True once a page greater than 0 has been found.
bool searchForPageBox(QWidget *widget)
{
    if (isEditBox(widget)) {
        bool isNumber = false;
        const short page = Module1::ReadWindowText(widget).trimmed().toShort(&isNumber);
        if (isNumber)
            Module1::CurrentPage = page;
        if (Module1::CurrentPage > 0)
            return true;
    }
    const QList<QPointer<QWidget>> children = childrenTopmostFirst(widget);
    for (const QPointer<QWidget> &child : children) {
        if (child && searchForPageBox(child))
            return true;
    }
    return false;
}

} // namespace

void Module1::CapturePage(QWidget &window, PdfView &view)
{
    QPointer<QWidget> guardedWindow(&window);
    view.setShowToolbar(true);
    WaitAnswering(ToolbarWait);
    CurrentPage = 0;
    // The window may have gone while its events ran.
    if (guardedWindow)
        FindPageBox(guardedWindow);
}

void Module1::FindPageBox(QWidget *window)
{
    if (window)
        searchForPageBox(window);
}

QString Module1::ReadWindowText(const QWidget *window)
{
    if (!window)
        return QString();
    if (const auto *line = qobject_cast<const QLineEdit *>(window))
        return line->text();
    if (const auto *text = qobject_cast<const QPlainTextEdit *>(window))
        return text->toPlainText();
    if (const auto *text = qobject_cast<const QTextEdit *>(window))
        return text->toPlainText();
    return window->windowTitle();
}

// A local event loop rather than a busy loop: the window answers and no core is kept spinning.
void Module1::WaitAnswering(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (!clock.hasExpired(milliseconds)) {
        QEventLoop loop;
        const qint64 left = milliseconds + 1 - clock.elapsed();
        QTimer::singleShot(int(qMax<qint64>(left, 1)), Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
}
