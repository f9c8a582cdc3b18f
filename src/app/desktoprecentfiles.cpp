// SPDX-License-Identifier: GPL-2.0-or-later
#include "app/desktoprecentfiles.h"

#include "core/document/documentkind.h"
#include "core/state/basefolder.h"
#include "core/state/sidefile.h"

#include <QDir>
#include <QFileInfo>

#include <glib.h>

namespace
{

const char *mimeTypeOf(const QString &path)
{
    return Module1::DocumentKindOf(path) == DocumentKind::Book ? "application/x-velm"
                                                               : "application/pdf";
}

// Far more than the desktop's own lists hold (GTK keeps a few hundred entries).
constexpr qint64 ListLimit = 16 * 1024 * 1024;

// False when the list holds something that is not ours to replace: a file that cannot be read,
// is longer than the bound, or is a link.
bool load(GBookmarkFile *list, const QString &listPath)
{
    QByteArray bytes;
    switch (SideFile::read(listPath, ListLimit, bytes)) {
    case SideFile::Reading::Missing:
        return true;
    case SideFile::Reading::Unreadable:
        return false;
    case SideFile::Reading::Read:
        break;
    }
    GError *error = nullptr;
    const bool loaded =
        g_bookmark_file_load_from_data(list, bytes.constData(), gsize(bytes.size()), &error);
    g_clear_error(&error);
    return loaded;
}

void add(const QString &listPath, const QString &path)
{
    gchar *uri = g_filename_to_uri(QFile::encodeName(path).constData(), nullptr, nullptr);
    GBookmarkFile *list = g_bookmark_file_new();
    if (uri && load(list, listPath) && QDir().mkpath(QFileInfo(listPath).path())) {
        g_bookmark_file_set_mime_type(list, uri, mimeTypeOf(path));
        g_bookmark_file_add_application(list, uri, "quillmoor", "quillmoor %u");
        g_bookmark_file_to_file(list, QFile::encodeName(listPath).constData(), nullptr);
    }
    g_bookmark_file_free(list);
    g_free(uri);
}

} // namespace

DesktopRecentFiles::DesktopRecentFiles()
{
    m_writer.setMaxThreadCount(1);
}

DesktopRecentFiles::~DesktopRecentFiles()
{
    waitForWrites();
}

// The path is made absolute and the list's place read here, on the window's thread.
void DesktopRecentFiles::addOpened(const QString &path)
{
    m_writer.start([listPath = listPath(), path = QFileInfo(path).absoluteFilePath()] {
        add(listPath, path);
    });
}

void DesktopRecentFiles::waitForWrites()
{
    m_writer.waitForDone();
}

QString DesktopRecentFiles::listPath()
{
    return QDir(Module1::XdgBaseFolder("XDG_DATA_HOME", QStringLiteral(".local/share")))
        .filePath(QStringLiteral("recently-used.xbel"));
}
