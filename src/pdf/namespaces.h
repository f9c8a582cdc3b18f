// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The namespaces of the cage: the process takes user, mount and network namespaces of its own
// and a root file system that holds only `folders`, each bound read-only at its own path. No
// other path names anything then, for stat and readlink as for open; no network but an
// unconfigured loopback exists; and the limit on processes counts the process's own tasks.
//
// The root is a small tmpfs, made read-only once the folders are bound into it; the old root is
// detached, not only hidden. The process's user and group keep their ids inside.
//
// Call it before Landlock's rules are set (a process under them can no longer mount) and while
// one thread runs: unshare makes no user namespace for a process of several threads.
namespace Pdf::Sandbox
{

enum class Isolation {
    Refused,   // the system makes no user namespace: nothing is changed
    UsersOnly, // a user namespace of its own, with the file system as it was
    Whole,     // the root holds the folders alone, and no network is reachable
    Broken,    // the root was half made: the process must parse nothing
};

// What could be made, and in `why` what could not when it is not Whole.
Isolation isolate(const QStringList &folders, QString *why);

} // namespace Pdf::Sandbox
