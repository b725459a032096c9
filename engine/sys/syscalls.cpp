// SPDX-License-Identifier: GPL-3.0-or-later
#include "syscalls.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

int SysCalls::openDirectory(const char *path)
{
    return ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int SysCalls::closeFd(int fd)
{
    return ::close(fd);
}

int SysCalls::renameNoReplace(int dirFd, const char *from, const char *to)
{
    return ::renameat2(dirFd, from, dirFd, to, RENAME_NOREPLACE);
}

int SysCalls::renameReplacing(int dirFd, const char *from, const char *to)
{
    return ::renameat(dirFd, from, dirFd, to);
}

int SysCalls::hardLink(int dirFd, const char *from, const char *to)
{
    return ::linkat(dirFd, from, dirFd, to, 0);
}

int SysCalls::unlinkFile(int dirFd, const char *name)
{
    return ::unlinkat(dirFd, name, 0);
}

int SysCalls::createExclusive(int dirFd, const char *name)
{
    return ::openat(dirFd, name, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
}

int SysCalls::statEntry(int dirFd, const char *name, struct stat *st)
{
    return ::fstatat(dirFd, name, st, AT_SYMLINK_NOFOLLOW);
}

int SysCalls::sizeAndTime(int dirFd, const char *name, quint64 *size, qint64 *mtimeNs)
{
    struct statx stx;
    constexpr unsigned wanted = STATX_SIZE | STATX_MTIME;
    if (::statx(dirFd, name, AT_SYMLINK_NOFOLLOW | AT_STATX_DONT_SYNC, wanted, &stx) == 0) {
        if ((stx.stx_mask & wanted) == wanted) {
            *size = stx.stx_size;
            *mtimeNs = nanosecondsOf(stx.stx_mtime.tv_sec, stx.stx_mtime.tv_nsec);
            return 0;
        }
    } else if (errno != ENOSYS && errno != EPERM) {
        return -1;
    }
    // A file system that leaves the fields out, or a kernel or sandbox without statx.
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    *size = quint64(st.st_size);
    *mtimeNs = nanosecondsOf(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return 0;
}

int SysCalls::openAt(int dirFd, const char *name, int flags, unsigned mode)
{
    return ::openat(dirFd, name, flags | O_CLOEXEC, mode_t(mode));
}

long SysCalls::readFd(int fd, void *buffer, unsigned long size)
{
    return long(::read(fd, buffer, size));
}

long SysCalls::writeFd(int fd, const void *data, unsigned long size)
{
    return long(::write(fd, data, size));
}

long SysCalls::pwriteFd(int fd, const void *data, unsigned long size, long offset)
{
    return long(::pwrite(fd, data, size, off_t(offset)));
}

int SysCalls::fdatasyncFd(int fd)
{
    return ::fdatasync(fd);
}

int SysCalls::fsyncFd(int fd)
{
    return ::fsync(fd);
}

int SysCalls::fstatFd(int fd, struct stat *st)
{
    return ::fstat(fd, st);
}

int SysCalls::makeFolder(int dirFd, const char *name, unsigned mode)
{
    return ::mkdirat(dirFd, name, mode_t(mode));
}

int SysCalls::lockFd(int fd, int operation)
{
    return ::flock(fd, operation);
}

long SysCalls::preadFd(int fd, void *buffer, unsigned long size, long offset)
{
    return long(::pread(fd, buffer, size, off_t(offset)));
}

int SysCalls::statPath(const char *path, struct stat *st)
{
    return ::stat(path, st);
}

SysCalls &SysCalls::real()
{
    static SysCalls system;
    return system;
}
