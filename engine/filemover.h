// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

struct stat;

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
    // realpath(3): the absolute path with every link and "." or ".." resolved.
    virtual int resolvePath(const char *path, QByteArray *resolved);
};

// Renames files inside one folder and never replaces an existing entry, on any file system:
// renameat2(RENAME_NOREPLACE) where the kernel and file system support it, else link + unlink,
// else a rename onto an exclusively created placeholder. A rename that changes only the letter
// case goes through a temporary name where the file system folds case.
class FileMover
{
public:
    explicit FileMover(std::unique_ptr<SysCalls> sys = std::make_unique<SysCalls>());
    virtual ~FileMover();
    FileMover(const FileMover &) = delete;
    FileMover &operator=(const FileMover &) = delete;

    // Moves oldFullPath to newFullPath, both in the same folder. Returns 0 or the errno of the
    // failure; on failure nothing has changed. The folder stays open until release().
    virtual int MoveFile(const QByteArray &oldFullPath, const QByteArray &newFullPath);
    // Whether the last failed move failed while reserving the new name for the last-resort
    // rename (the file itself was there and untouched).
    bool failedReservingDestination() const { return m_failedReserving; }

    SysCalls &sys() { return *m_sys; }

    // Closes the folder kept open between moves.
    void release();

private:
    int openFolder(QByteArrayView folder);
    int moveInFolder(const char *from, const char *to);
    int moveNoCaseCheck(const char *from, const char *to);
    int moveCaseOnly(const char *from, const char *to);

    std::unique_ptr<SysCalls> m_sys;
    QByteArray m_folder;
    int m_dirFd = -1;
    bool m_noReplaceWorks = true;
    bool m_linkWorks = true;
    bool m_failedReserving = false;
    unsigned m_tempCounter = 0;
};
