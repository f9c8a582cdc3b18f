// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include "app/readerwindows.h"
#include "core/text/gbkcodec.h"
#include "fakeservices.h"
#include "gui/reader/form1.h"

#include <QListWidget>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// What the GUI tests share.
namespace GuiTest
{

inline QStringList texts(const QListWidget *list)
{
    QStringList result;
    for (int row = 0; row < list->count(); ++row)
        result << list->item(row)->text();
    return result;
}

inline QByteArray gbk(const QString &text)
{
    return Gbk::encode(text);
}

// The control named `name` below `root`; a missing control ends the test program, as a window
// without its design's controls is broken for every test.
template <class T> T *child(const QObject *root, const char *name)
{
    T *found = root->findChild<T *>(QString::fromUtf8(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

// The program's windows on fake services, with the files of a test in a folder of their own.
struct Reader {
    Reader()
    {
        windows = ReaderWindows::create(fakes.services());
        if (!windows)
            qFatal("no reader window");
    }

    Form1 &form() const { return windows->reader(); }
    RecordingView &view() const { return *fakes.viewFactory.view; }
    template <class T> T *get(const char *name) const { return child<T>(&form(), name); }
    QStringList lines(const char *list) const { return texts(get<QListWidget>(list)); }
    QString file(const QString &name) const { return dir.filePath(name); }

    QTemporaryDir dir;
    FakeServices fakes;
    std::unique_ptr<ReaderWindows> windows;
};

} // namespace GuiTest
