// SPDX-License-Identifier: GPL-2.0-or-later
#include "pdf/namespaces.h"

#include "pdf/cagecommon.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace
{

bool writeFile(const char *path, const QByteArray &text)
{
    const int fd = open(path, O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = write(fd, text.constData(), size_t(text.size())) == text.size();
    const int error = errno;
    close(fd);
    errno = error;
    return written;
}

// Inside, the process keeps the ids it has outside, so that the root it makes can be its own.
bool keepIds(uid_t user, gid_t group)
{
    return writeFile("/proc/self/uid_map", Pdf::Sandbox::sameIdInside(user)) &&
           writeFile("/proc/self/setgroups", "deny") &&
           writeFile("/proc/self/gid_map", Pdf::Sandbox::sameIdInside(group));
}

bool makeFolders(const QByteArray &path)
{
    for (qsizetype slash = path.indexOf('/', 1); slash != -1;
         slash = path.indexOf('/', slash + 1)) {
        if (mkdir(path.left(slash).constData(), 0755) != 0 && errno != EEXIST)
            return false;
    }
    return mkdir(path.constData(), 0755) == 0 || errno == EEXIST;
}

// A bind mount is read-only only once remounted; a remount must keep the flags the mount's
// owner set (a namespace of ours cannot clear them), which statvfs tells.
bool remountReadOnly(const char *path)
{
    struct statvfs flags {
    };
    if (statvfs(path, &flags) != 0)
        return false;
    unsigned long kept = MS_REMOUNT | MS_BIND | MS_RDONLY;
    const std::pair<unsigned long, unsigned long> locked[] = {
        {ST_NOSUID, MS_NOSUID},   {ST_NODEV, MS_NODEV},           {ST_NOEXEC, MS_NOEXEC},
        {ST_NOATIME, MS_NOATIME}, {ST_NODIRATIME, MS_NODIRATIME}, {ST_RELATIME, MS_RELATIME}};
    for (const auto &[stated, flag] : locked) {
        if (flags.f_flag & stated)
            kept |= flag;
    }
    return mount(nullptr, path, nullptr, kept, nullptr) == 0;
}

constexpr const char *SmallRoot = "size=1m,nr_inodes=4096,mode=0755";

// Binds each folder below the root being made, as /oldroot holds the old one. A folder below
// one already bound is bound with it.
bool bindFolders(QStringList folders)
{
    std::sort(folders.begin(), folders.end());
    QString bound;
    for (const QString &folder : std::as_const(folders)) {
        if (!bound.isEmpty() && folder.startsWith(bound + QLatin1Char('/')))
            continue;
        const QByteArray path = QFile::encodeName(folder);
        const QByteArray from = "/oldroot" + path;
        const QByteArray to = "/newroot" + path;
        if (!makeFolders(to) ||
            mount(from.constData(), to.constData(), nullptr, MS_BIND | MS_REC, nullptr) != 0 ||
            !remountReadOnly(to.constData()))
            return false;
        bound = folder;
    }
    return true;
}

// As bubblewrap does: the old root is first moved to /oldroot below a tmpfs, so that every
// folder can be bound from it even where the tmpfs was mounted over one of their parents; then
// the new root takes its place and the old one is detached. The tmpfs is mounted on /tmp.
bool changeRoot(const QStringList &folders)
{
    const auto pivot = [](const char *newRoot, const char *putOld) {
        return syscall(SYS_pivot_root, newRoot, putOld) == 0;
    };
    return mkdir("/tmp/oldroot", 0755) == 0 && mkdir("/tmp/newroot", 0755) == 0 &&
           chdir("/tmp") == 0 && pivot(".", "oldroot") && chdir("/") == 0 &&
           mount("quillmoor-cage", "/newroot", "tmpfs", MS_NOSUID | MS_NODEV, SmallRoot) == 0 &&
           bindFolders(folders) && umount2("/oldroot", MNT_DETACH) == 0 && chdir("/newroot") == 0 &&
           pivot(".", ".") && umount2(".", MNT_DETACH) == 0 && chdir("/") == 0 &&
           mount(nullptr, "/", nullptr, MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, SmallRoot) ==
               0;
}

} // namespace

namespace Pdf::Sandbox
{

Isolation isolate(const QStringList &folders, QString *why)
{
    const uid_t user = geteuid();
    const gid_t group = getegid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0) {
        Pdf::Sandbox::failed(why, "no namespaces can be made", errno);
        return unshare(CLONE_NEWUSER) == 0 ? Isolation::UsersOnly : Isolation::Refused;
    }
    if (!keepIds(user, group)) {
        Pdf::Sandbox::failed(why, "the ids cannot be kept in the user namespace", errno);
        return Isolation::UsersOnly;
    }
    // Nothing mounted from here on reaches the namespace the process left.
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount("quillmoor-cage", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, SmallRoot) != 0) {
        Pdf::Sandbox::failed(why, "the file system cannot be narrowed", errno);
        return Isolation::UsersOnly;
    }
    if (!changeRoot(folders)) {
        Pdf::Sandbox::failed(why, "the root of the file system could not be made", errno);
        return Isolation::Broken;
    }
    return Isolation::Whole;
}

} // namespace Pdf::Sandbox
