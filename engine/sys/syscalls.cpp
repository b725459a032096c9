// SPDX-License-Identifier: GPL-3.0-or-later
#include "syscalls.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
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

int SysCalls::listFolder(int dirFd,
                         const std::function<void(const char *name, unsigned char type)> &entry)
{
    // A listing of its own: the folder's descriptor stays open for the calls on its entries.
    const int fd = ::openat(dirFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        const int e = errno;
        ::close(fd);
        errno = e;
        return -1;
    }
    // Only readdir's own error counts: errno is cleared before each call, as the end of the
    // listing leaves it alone.
    int error = 0;
    for (;;) {
        errno = 0;
        const dirent *d = ::readdir(dir);
        if (!d) {
            error = errno;
            break;
        }
        const char *n = d->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        entry(n, d->d_type);
    }
    ::closedir(dir);
    errno = error;
    return error == 0 ? 0 : -1;
}

int SysCalls::statFollowing(int dirFd, const char *name, struct stat *st)
{
    return ::fstatat(dirFd, name, st, 0);
}

int SysCalls::fstatfsFd(int fd, struct statfs *fs)
{
    return ::fstatfs(fd, fs);
}

long SysCalls::nameMaxOf(int fd)
{
    return ::fpathconf(fd, _PC_NAME_MAX);
}

int SysCalls::ioctlFd(int fd, unsigned long request, void *argument)
{
    return ::ioctl(fd, request, argument);
}

long SysCalls::getXattr(const char *path, const char *key, void *value, unsigned long size)
{
    return long(::lgetxattr(path, key, value, size));
}

int SysCalls::resolvePath(const char *path, QByteArray *resolved)
{
    char *real = ::realpath(path, nullptr);
    if (!real)
        return -1;
    *resolved = real;
    std::free(real);
    return 0;
}

SysCalls &SysCalls::real()
{
    static SysCalls system;
    return system;
}
