// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// The cage the process that parses PDFs puts itself in before it reads the first byte of one: a
// file made to take over its parser then finds nothing worth having: the PDF worker, and the
// command line's children that read PDFs with qpdf (export, split, pages). Linux only.
//
// It is two locks. Landlock lets the process open files only for reading and only below
// readableFolders(); it never writes, makes, removes, renames or runs a file anywhere, binds or
// connects no TCP port, and reaches no abstract socket and signals no process outside its cage,
// as far as the running kernel knows these rights. A seccomp filter then lets through only the
// system calls below; any other fails with EPERM instead of killing the process, so a library's
// rare call fails softly. Both hold for root as well, and are inherited by every thread started
// after.
//
// What the filter lets through, and why:
//   files already open or only read: read, readv, pread64, preadv, write, writev, pwrite64,
//       lseek, close, close_range, dup, dup2, dup3, fstat, fstatfs, ftruncate, fadvise64
//       (fontconfig's hint on its caches); fcntl only to duplicate, to read and set descriptor
//       and status flags (O_ASYNC never), to lock, and for seals and a pipe's size: no command
//       that has a signal sent (F_SETOWN, F_SETOWN_EX, F_SETSIG, F_SETLEASE, F_NOTIFY), which
//       older kernels' Landlock lets reach other processes; open and openat only without
//       O_WRONLY, O_RDWR,
//       O_CREAT, O_TRUNC and O_APPEND (fonts, fontconfig's files and caches, poppler's data);
//       stat, lstat, newfstatat, statx, statfs, access, faccessat, faccessat2, readlink,
//       readlinkat, getdents64, getcwd (fontconfig looks over its folders, glibc and Qt resolve
//       names)
//   the socket or pipe to the reader, inherited open: sendmsg, recvmsg, sendto, recvfrom,
//       shutdown, getsockopt, setsockopt, getsockname, getpeername; ioctl only for FIONREAD and
//       TCGETS (bytes waiting; isatty)
//   pages handed back: memfd_create, and ftruncate and fcntl's seals from above
//   memory: brk, munmap, mremap, madvise; mmap and mprotect only without PROT_EXEC, so that no
//       code is made or loaded once caged (the character set converters fontconfig may ask for
//       are loaded before)
//   threads: clone only with CLONE_THREAD; clone3 fails with ENOSYS, so that glibc falls back to
//       clone, whose flags the filter can see; set_tid_address, set_robust_list, rseq, futex,
//       sched_yield, sched_getaffinity, gettid, exit
//   waiting and time: poll, ppoll, select, pselect6, epoll_create1, epoll_ctl, epoll_wait,
//       epoll_pwait, eventfd2, pipe2 (Qt's event loops), nanosleep, clock_nanosleep,
//       clock_gettime, clock_getres, gettimeofday, time
//   signals: rt_sigaction, rt_sigprocmask, rt_sigreturn, sigaltstack, restart_syscall; kill and
//       tgkill only to this process (abort, and the sanitizers' reports)
//   about itself: getpid, getppid, getuid, geteuid, getgid, getegid, getresuid, getresgid, uname,
//       sysinfo, getrandom, getrlimit, prlimit64 only to read, prctl only to name a thread
//       (PR_SET_NAME, PR_GET_NAME), exit_group
// Among what it refuses: socket, socketpair, connect, bind, execve, execveat, fork, vfork and
// clone without CLONE_THREAD, ptrace, every open for writing, creat, rename, unlink, mkdir,
// rmdir, link, symlink, chmod, chown, truncate, mount, and another Landlock ruleset.
//
// Before both, resource limits bound what the window's watch of resident memory cannot see: a
// file (a memfd) of at most 1 GiB, which fails its write with EFBIG beyond; an hour of processor
// time; no core dump; and, except in the sanitizer builds, whose shadow memory is terabytes of
// writable reservations, 4 GiB of data. Threads are bounded to 256 by the limit on processes,
// which in the user namespace of the process's own counts its own tasks and not the user's
// others; where the system refuses such namespaces, threads stay unbounded, the file system is
// the user's, and `problem` says so. Root's tasks are not held to that limit.
//
// AddressSanitizer and UndefinedBehaviorSanitizer get by with these calls. LeakSanitizer's check
// at exit stops the threads with ptrace from a process of its own, which the filter refuses, so
// in a sanitizer build a process that has entered the cage skips that check instead of failing it.
namespace Pdf::Sandbox
{

// Restricts the calling process for good. Call it once, before any file is parsed, while only one
// thread runs; whatever the process reads later from outside readableFolders() must be open
// before (the document's bytes, the socket to the reader). Returns false, with the reason in
// `problem`, when the process could not be restricted; it may then be restricted in part, and
// must parse nothing. A kernel without Landlock, or a system without user namespaces, is no
// failure: `problem` then says that reads are not limited by folder, or that the file system is
// the user's and threads not bounded.
bool enter(QString *problem);

// The folders the process may read below after enter(): the font folders, fontconfig's
// configuration and caches, poppler's data, and what glibc may load late (character set
// converters, locales, time zones). Only those that exist.
QStringList readableFolders();

} // namespace Pdf::Sandbox
