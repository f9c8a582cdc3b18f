// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

class QFile;

// The user's own small files (a document's bookmark file with its pending copies, the state
// file, the desktop's recent list), which a book handed over may come with. They are never a
// road to another file:
// - read only when the path names a regular file itself, not through a symbolic link, and only
//   up to the bound each reader states; a longer file (one without an end, such as a link to
//   /proc/self/pagemap) reads as unreadable, and is never rewritten;
// - written only where the path is a regular file or nothing: a symbolic link is a file that
//   cannot be written, and its target is never touched.
namespace SideFile
{

enum class Reading { Read, Missing, Unreadable };

// The whole file at `path` in `bytes`, if it is a regular file of at most `limit` bytes.
Reading read(const QString &path, qint64 limit, QByteArray &bytes);

// Whether something other than a regular file, or a link, stands at `path` (nothing there is
// writable).
bool blocksWriting(const QString &path);

// Opens `file` at `path` in `mode` (writing, appending, perhaps reading too; created when
// missing), without following a final symbolic link and only if it is a regular file.
bool openForWriting(QFile &file, const QString &path, int mode);

} // namespace SideFile
