// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemover.h"

#include <QString>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
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

int SysCalls::resolvePath(const char *path, QByteArray *resolved)
{
    char *real = ::realpath(path, nullptr);
    if (!real)
        return -1;
    *resolved = real;
    std::free(real);
    return 0;
}

namespace {

bool differOnlyInCase(const char *a, const char *b)
{
    if (qstrcmp(a, b) == 0)
        return false;
    return QString::fromUtf8(a).compare(QString::fromUtf8(b), Qt::CaseInsensitive) == 0;
}

} // namespace

FileMover::FileMover(std::unique_ptr<SysCalls> sys)
    : m_sys(std::move(sys))
{ }

FileMover::~FileMover()
{
    release();
}

void FileMover::release()
{
    if (m_dirFd >= 0)
        m_sys->closeFd(m_dirFd);
    m_dirFd = -1;
    m_folder.clear();
}

int FileMover::openFolder(QByteArrayView folderView)
{
    if (m_dirFd >= 0 && folderView == m_folder)
        return 0;
    release();
    const QByteArray folder = folderView.toByteArray();
    const int fd = m_sys->openDirectory(folder.isEmpty() ? "/" : folder.constData());
    if (fd < 0)
        return errno;
    m_dirFd = fd;
    m_folder = folder;
    m_noReplaceWorks = true;
    m_linkWorks = true;
    return 0;
}

int FileMover::MoveFile(const QByteArray &oldFullPath, const QByteArray &newFullPath)
{
    m_failedReserving = false;
    // Views, not copies: a run makes tens of thousands of moves.
    const QByteArrayView oldPath(oldFullPath), newPath(newFullPath);
    const qsizetype oldSlash = oldPath.lastIndexOf('/');
    const qsizetype newSlash = newPath.lastIndexOf('/');
    if (oldSlash < 0 || oldSlash != newSlash || oldPath.first(oldSlash) != newPath.first(newSlash))
        return EXDEV; // the two names must be in one folder
    const QByteArrayView oldName = oldPath.sliced(oldSlash + 1);
    const QByteArrayView newName = newPath.sliced(newSlash + 1);
    if (oldName.isEmpty() || newName.isEmpty() || newName == "." || newName == ".."
        || newName.contains('\0') || oldName.contains('\0'))
        return EINVAL;
    if (const int e = openFolder(oldPath.first(oldSlash)))
        return e;
    // Both names end where their paths do, at the terminating NUL.
    return moveInFolder(oldName.data(), newName.data());
}

int FileMover::moveInFolder(const char *from, const char *to)
{
    const int e = moveNoCaseCheck(from, to);
    // A case-folding file system reports the file's own old name as the existing destination.
    if (e == EEXIST && differOnlyInCase(from, to))
        return moveCaseOnly(from, to);
    return e;
}

int FileMover::moveNoCaseCheck(const char *from, const char *to)
{
    if (m_noReplaceWorks) {
        if (m_sys->renameNoReplace(m_dirFd, from, to) == 0)
            return 0;
        const int e = errno;
        if (e != EINVAL && e != ENOSYS && e != EOPNOTSUPP)
            return e;
        m_noReplaceWorks = false; // NFS, many FUSE file systems
    }
    if (m_linkWorks) {
        if (m_sys->hardLink(m_dirFd, from, to) == 0) {
            if (m_sys->unlinkFile(m_dirFd, from) == 0)
                return 0;
            const int e = errno;
            m_sys->unlinkFile(m_dirFd, to); // undo: the file keeps its old name only
            return e;
        }
        const int e = errno;
        if (e != EPERM && e != EOPNOTSUPP && e != ENOSYS)
            return e;
        m_linkWorks = false; // FAT through FUSE and others without hard links
    }
    // Last resort: reserve the new name with an exclusively created empty file, so that an
    // entry that exists or appears meanwhile is never replaced, then rename onto it.
    const int placeholder = m_sys->createExclusive(m_dirFd, to);
    if (placeholder < 0) {
        m_failedReserving = true;
        return errno;
    }
    m_sys->closeFd(placeholder);
    if (m_sys->renameReplacing(m_dirFd, from, to) == 0)
        return 0;
    const int e = errno;
    m_sys->unlinkFile(m_dirFd, to);
    return e;
}

int FileMover::moveCaseOnly(const char *from, const char *to)
{
    // Is the destination the file itself? Equal inodes say so; but FUSE exFAT gives each
    // spelling of a name its own inode number, so there the entries must agree in kind, size
    // and times instead. Were they still two files (only on a folder that tells case apart), the
    // second step below finds the new name taken and the file goes back: nothing is replaced.
    struct stat a, b;
    if (m_sys->statEntry(m_dirFd, from, &a) != 0 || m_sys->statEntry(m_dirFd, to, &b) != 0)
        return EEXIST;
    const bool sameInode = a.st_dev == b.st_dev && a.st_ino == b.st_ino;
    const bool sameLooks = a.st_dev == b.st_dev && a.st_mode == b.st_mode && a.st_size == b.st_size
        && a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec
        && a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
    if (!sameInode && !sameLooks)
        return EEXIST; // a different entry with that name
    const QByteArray temp = QByteArray(".brixelwand-") + QByteArray::number(::getpid()) + '-'
        + QByteArray::number(++m_tempCounter) + ".tmp";
    if (const int e = moveNoCaseCheck(from, temp.constData()))
        return e;
    const int e = moveNoCaseCheck(temp.constData(), to);
    if (e != 0)
        moveNoCaseCheck(temp.constData(), from);
    return e;
}
