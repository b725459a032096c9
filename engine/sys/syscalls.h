// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <functional>

struct stat;
struct statfs;

// A time of the file system as nanoseconds since the epoch, the form sizeAndTime gives.
constexpr qint64 nanosecondsOf(qint64 seconds, qint64 nanoseconds)
{
    return seconds * 1000000000 + nanoseconds;
}

// The system calls a move is made of, behind one seam so that tests can make any of them fail.
// Each returns what the system call returns and leaves errno as the call left it.
class SysCalls
{
public:
    virtual ~SysCalls() = default;
    virtual int openDirectory(const char *path);
    virtual int closeFd(int fd);
    virtual int renameNoReplace(int dirFd, const char *from, const char *to);
    virtual int renameReplacing(int dirFd, const char *from, const char *to);
    virtual int hardLink(int dirFd, const char *from, const char *to);
    virtual int unlinkFile(int dirFd, const char *name);
    // Creates an empty file exclusively (no symlink followed); returns its descriptor.
    virtual int createExclusive(int dirFd, const char *name);
    // lstat of an entry of the folder.
    virtual int statEntry(int dirFd, const char *name, struct stat *st);
    // The size and modification time (ns since the epoch) of an entry of the folder, no link
    // followed. What the kernel holds already is taken as it is: a FUSE file system is not
    // asked again for each file. Called from two threads at once for a large run record.
    virtual int sizeAndTime(int dirFd, const char *name, quint64 *size, qint64 *mtimeNs);

    // The calls of the run record and its state folder (dirFd may be AT_FDCWD).
    virtual int openAt(int dirFd, const char *name, int flags, unsigned mode = 0);
    virtual long readFd(int fd, void *buffer, unsigned long size);
    virtual long writeFd(int fd, const void *data, unsigned long size);
    virtual long pwriteFd(int fd, const void *data, unsigned long size, long offset);
    virtual int fdatasyncFd(int fd);
    virtual int fsyncFd(int fd);
    virtual int fstatFd(int fd, struct stat *st);
    virtual int makeFolder(int dirFd, const char *name, unsigned mode);
    // flock(2): LOCK_EX | LOCK_NB and LOCK_UN.
    virtual int lockFd(int fd, int operation);

    // The calls of the readers of file contents (capture times).
    virtual long preadFd(int fd, void *buffer, unsigned long size, long offset);
    // stat(2) of a path, links followed.
    virtual int statPath(const char *path, struct stat *st);

    // The calls of the folder reader and of the volume identity.
    // Lists the entries of the open folder dirFd, which stays open, "." and ".." left out:
    // entry is called with each name and its d_type. 0, or -1 with errno where the listing
    // failed part way.
    virtual int listFolder(int dirFd,
                           const std::function<void(const char *name, unsigned char type)> &entry);
    // fstatat(2) of an entry of the folder, links followed.
    virtual int statFollowing(int dirFd, const char *name, struct stat *st);
    virtual int fstatfsFd(int fd, struct statfs *fs);
    // fpathconf(fd, _PC_NAME_MAX).
    virtual long nameMaxOf(int fd);
    virtual int ioctlFd(int fd, unsigned long request, void *argument);
    // lgetxattr(2).
    virtual long getXattr(const char *path, const char *key, void *value, unsigned long size);
    // realpath(3): the absolute path with every link and "." or ".." resolved.
    virtual int resolvePath(const char *path, QByteArray *resolved);

    // The system itself, for whoever is given no other seam.
    static SysCalls &real();
};
