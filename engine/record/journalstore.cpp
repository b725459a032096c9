// SPDX-License-Identifier: GPL-3.0-or-later
#include "journalstore.h"

#include "filemover.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char runningName[] = "laufende-umbenennung.journal";
const char lastName[] = "letzte-umbenennung.journal";
const char lockName[] = "umbenennung.sperre";
const char asideSuffix[] = ".beschaedigt";
const char newSuffix[] = ".neu";

} // namespace

JournalStore::JournalStore(const QString &directory, SysCalls *sys, const QString &former)
    : m_directory(directory)
    , m_former(former == directory ? QString() : former)
    , m_sys(sys)
{
    if (!m_sys)
        m_sys = m_ownSys = new SysCalls;
}

JournalStore::~JournalStore()
{
    unlock();
    delete m_ownSys;
}

QString JournalStore::defaultDirectory()
{
    if (QStandardPaths::isTestModeEnabled())
        return QDir::homePath() + QStringLiteral("/.qttest/state/Brixelwand");
    // A relative path is to be ignored, as the XDG base directories say.
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (QDir::isAbsolutePath(state))
        return state + QStringLiteral("/Brixelwand");
    return QDir::homePath() + QStringLiteral("/.local/state/Brixelwand");
}

QString JournalStore::formerDirectory()
{
    const QString former = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
    return former == defaultDirectory() ? QString() : former;
}

bool JournalStore::holds(const char *name)
{
    const int dirFd = openFolder(false);
    if (dirFd < 0)
        return false;
    struct stat st;
    const bool there = m_sys->statEntry(dirFd, name, &st) == 0 || errno != ENOENT;
    m_sys->closeFd(dirFd);
    return there;
}

void JournalStore::useFormerPlace()
{
    if (m_former.isEmpty() || m_formerChecked)
        return;
    m_formerChecked = true;
    if (holds(runningName) || holds(lastName))
        return; // the records of this version come first
    const QString here = m_directory;
    m_directory = m_former;
    if (holds(runningName)) {
        m_newPlace = here; // used where it is until settled
        return;
    }
    const bool last = holds(lastName);
    m_directory = here;
    if (last)
        moveLastFrom(m_former);
}

void JournalStore::settledInFormerPlace()
{
    if (m_newPlace.isEmpty())
        return;
    const QString former = m_directory;
    m_directory = m_newPlace;
    m_newPlace.clear();
    moveLastFrom(former);
}

void JournalStore::moveLastFrom(const QString &former)
{
    const QString here = m_directory;
    m_directory = former;
    QByteArray data;
    const Load found = read(lastName, &data);
    m_directory = here;
    if (found != Load::Ok)
        return;
    const int dirFd = openFolder(true);
    if (dirFd < 0)
        return;
    const int e = writeWhole(dirFd, lastName, data);
    m_sys->closeFd(dirFd);
    if (e != 0)
        return; // stays in the former place, to be moved at the next start
    m_directory = former;
    removeRecord(lastName, QByteArray());
    m_directory = here;
}

QString JournalStore::runningPath() const
{
    return m_directory + QLatin1Char('/') + QLatin1String(runningName);
}

QString JournalStore::lastPath() const
{
    return m_directory + QLatin1Char('/') + QLatin1String(lastName);
}

// The state folder, opened without following a link and checked to be the user's own;
// -1 with errno set otherwise (ELOOP: a link, EPERM: someone else's, ENOENT: not there).
int JournalStore::openFolder(bool create) const
{
    const QByteArray path = QFile::encodeName(m_directory);
    if (create) {
        // The folders on the way, then the state folder itself, for the user alone.
        for (qsizetype slash = path.indexOf('/', 1); slash > 0;
             slash = path.indexOf('/', slash + 1))
            m_sys->makeFolder(AT_FDCWD, path.left(slash).constData(), 0700);
        m_sys->makeFolder(AT_FDCWD, path.constData(), 0700);
    }
    const int fd = m_sys->openAt(AT_FDCWD, path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0) {
        if (errno == ENOTDIR) {
            // A link to a folder is refused like a link to anything else.
            struct stat st;
            if (m_sys->statEntry(AT_FDCWD, path.constData(), &st) == 0 && S_ISLNK(st.st_mode))
                errno = ELOOP;
        }
        return -1;
    }
    struct stat st;
    if (m_sys->fstatFd(fd, &st) != 0 || st.st_uid != ::geteuid()) {
        m_sys->closeFd(fd);
        errno = EPERM;
        return -1;
    }
    return fd;
}

JournalStore::Folder JournalStore::checkFolder() const
{
    const int fd = openFolder(false);
    if (fd >= 0) {
        m_sys->closeFd(fd);
        return Folder::Usable;
    }
    return errno == ELOOP ? Folder::Link : errno == EPERM ? Folder::NotOwn : Folder::Usable;
}

int JournalStore::lock()
{
    if (m_lockFd >= 0)
        return 0;
    useFormerPlace();
    const int dirFd = openFolder(true);
    if (dirFd < 0)
        return errno;
    const int e = lockIn(dirFd);
    m_sys->closeFd(dirFd);
    return e;
}

int JournalStore::lockIn(int dirFd)
{
    int fd = m_sys->openAt(dirFd, lockName, O_RDONLY | O_CREAT | O_NOFOLLOW, 0600);
    if (fd < 0 && errno == EROFS) {
        fd = m_sys->openAt(dirFd, lockName, O_RDONLY | O_NOFOLLOW);
        if (fd < 0)
            return EROFS; // what keeps the lock file from being made
    }
    if (fd < 0)
        return errno;
    if (m_sys->lockFd(fd, LOCK_EX | LOCK_NB) != 0) {
        const int e = errno;
        m_sys->closeFd(fd);
        return e;
    }
    m_lockFd = fd;
    return 0;
}

void JournalStore::unlock()
{
    if (m_lockFd < 0)
        return;
    m_sys->closeFd(m_lockFd); // closing the last descriptor releases the lock
    m_lockFd = -1;
}

int JournalStore::syncFolder(const QByteArray &folder)
{
    const int fd = m_sys->openAt(AT_FDCWD, folder.isEmpty() ? "/" : folder.constData(),
                                 O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return errno;
    const int e = m_sys->fsyncFd(fd) == 0 ? 0 : errno;
    m_sys->closeFd(fd);
    return e;
}

int JournalStore::writeWhole(int dirFd, const char *name, const QByteArray &data)
{
    const QByteArray temp = QByteArray(name) + newSuffix;
    const int fd
        = m_sys->openAt(dirFd, temp.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return errno;
    const char *p = data.constData();
    qsizetype left = data.size();
    int e = 0;
    while (left > 0 && e == 0) {
        const long n = m_sys->writeFd(fd, p, quint64(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            e = n < 0 ? errno : EIO;
        else {
            p += n;
            left -= n;
        }
    }
    if (e == 0 && m_sys->fdatasyncFd(fd) != 0)
        e = errno;
    if (m_sys->closeFd(fd) != 0 && e == 0)
        e = errno;
    if (e == 0 && m_sys->renameReplacing(dirFd, temp.constData(), name) != 0)
        e = errno;
    if (e != 0) {
        m_sys->unlinkFile(dirFd, temp.constData());
        return e;
    }
    return m_sys->fsyncFd(dirFd) == 0 ? 0 : errno;
}

int JournalStore::begin(const Journal &journal)
{
    useFormerPlace();
    const bool wasLocked = locked();
    // The folder made and opened once, for the lock and the record.
    const int dirFd = openFolder(true);
    if (dirFd < 0)
        return errno;
    // Never a run without the lock, whatever keeps it from being taken (ENOLCK where the home
    // folder is on a network without a lock manager).
    if (!wasLocked) {
        if (const int e = lockIn(dirFd)) {
            m_sys->closeFd(dirFd);
            return e;
        }
    }
    // The record of an interrupted run is never overwritten: it is settled first.
    struct stat st;
    const int pending = m_sys->statEntry(dirFd, runningName, &st) == 0 ? EEXIST
        : errno == ENOENT                                              ? 0
                                                                       : errno;
    if (pending != 0) {
        m_sys->closeFd(dirFd);
        if (!wasLocked)
            unlock();
        return pending;
    }
    const int e = writeWhole(dirFd, runningName, encodeJournal(journal));
    if (e != 0) {
        // Whatever reached the disk must not ask about a run that was never made.
        if (m_sys->unlinkFile(dirFd, runningName) == 0)
            m_sys->fsyncFd(dirFd);
        if (!wasLocked)
            unlock();
    } else {
        m_runningFolder = journal.folderPath();
    }
    m_sys->closeFd(dirFd);
    return e;
}

int JournalStore::complete(const QByteArray &renamedFolder)
{
    const QByteArray folder = renamedFolder.isEmpty() ? m_runningFolder : renamedFolder;
    if (!folder.isEmpty()) {
        if (const int e = syncFolder(folder))
            return e;
    }
    return markCompleted(folder);
}

int JournalStore::settleCompleted()
{
    return markCompleted(m_runningFolder);
}

int JournalStore::markCompleted(const QByteArray &folder)
{
    const int dirFd = openFolder(false);
    if (dirFd < 0)
        return errno;
    int e = 0;
    const int fd = m_sys->openAt(dirFd, runningName, O_WRONLY | O_NOFOLLOW);
    if (fd < 0) {
        e = errno;
    } else {
        const char done = 'C';
        if (m_sys->pwriteFd(fd, &done, 1, journalStateOffset) != 1 || m_sys->fdatasyncFd(fd) != 0)
            e = errno ? errno : EIO;
        if (m_sys->closeFd(fd) != 0 && e == 0)
            e = errno;
    }
    if (e == 0 && m_sys->renameReplacing(dirFd, runningName, lastName) != 0)
        e = errno;
    if (e == 0 && m_sys->fsyncFd(dirFd) != 0)
        e = errno;
    m_sys->closeFd(dirFd);
    if (e == 0) {
        m_lastFolder = folder;
        m_runningFolder.clear();
        unlock();
        settledInFormerPlace();
    }
    return e;
}

int JournalStore::keepAsLast(Journal journal)
{
    journal.completed = true;
    const int dirFd = openFolder(true);
    if (dirFd < 0)
        return errno;
    int e = syncFolder(journal.folderPath());
    if (e == 0)
        e = writeWhole(dirFd, lastName, encodeJournal(journal));
    if (e == 0 && m_sys->unlinkFile(dirFd, runningName) != 0 && errno != ENOENT)
        e = errno;
    if (e == 0 && m_sys->fsyncFd(dirFd) != 0)
        e = errno;
    m_sys->closeFd(dirFd);
    if (e == 0) {
        m_lastFolder = journal.folderPath();
        m_runningFolder.clear();
        unlock();
        settledInFormerPlace();
    }
    return e;
}

int JournalStore::removeRecord(const char *name, const QByteArray &renamedFolder)
{
    if (!renamedFolder.isEmpty()) {
        if (const int e = syncFolder(renamedFolder))
            return e;
    }
    const int dirFd = openFolder(false);
    if (dirFd < 0)
        return errno == ENOENT ? 0 : errno;
    int e = 0;
    if (m_sys->unlinkFile(dirFd, name) != 0)
        e = errno == ENOENT ? 0 : errno;
    else if (m_sys->fsyncFd(dirFd) != 0)
        e = errno;
    m_sys->closeFd(dirFd);
    return e;
}

int JournalStore::discardRunning(const QByteArray &renamedFolder)
{
    const int e
        = removeRecord(runningName, renamedFolder.isEmpty() ? m_runningFolder : renamedFolder);
    if (e == 0) {
        m_runningFolder.clear();
        unlock();
        settledInFormerPlace();
    }
    return e;
}

int JournalStore::discardLast(const QByteArray &renamedFolder)
{
    const int e = removeRecord(lastName, renamedFolder.isEmpty() ? m_lastFolder : renamedFolder);
    if (e == 0)
        m_lastFolder.clear();
    return e;
}

bool JournalStore::hasRunning()
{
    useFormerPlace();
    return holds(runningName);
}

JournalStore::Load JournalStore::load(const char *name, Journal *journal)
{
    QByteArray data;
    const Load result = read(name, &data);
    if (result != Load::Ok)
        return result;
    return decodeJournal(data, journal) ? Load::Ok : Load::Corrupt;
}

JournalStore::Load JournalStore::read(const char *name, QByteArray *out)
{
    useFormerPlace();
    const int dirFd = openFolder(false);
    if (dirFd < 0)
        return errno == ENOENT ? Load::None : Load::Refused;
    const int fd = m_sys->openAt(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    const int openError = errno;
    m_sys->closeFd(dirFd);
    if (fd < 0)
        return openError == ENOENT ? Load::None
            : openError == ELOOP   ? Load::Corrupt
                                   : Load::Unreadable;
    struct stat st;
    QByteArray data;
    Load result = Load::Ok;
    if (m_sys->fstatFd(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > journalMaxBytes) {
        result = Load::Corrupt;
    } else {
        data.resize(qsizetype(st.st_size));
        qsizetype got = 0;
        while (got < data.size()) {
            const long n = m_sys->readFd(fd, data.data() + got, quint64(data.size() - got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                result = n < 0 ? Load::Unreadable : Load::Corrupt;
                break;
            }
            got += n;
        }
    }
    m_sys->closeFd(fd);
    if (result == Load::Ok)
        *out = std::move(data);
    return result;
}

JournalStore::Load JournalStore::loadRunning(Journal *journal)
{
    const Load result = load(runningName, journal);
    if (result == Load::Ok)
        m_runningFolder = journal->folderPath();
    return result;
}

JournalStore::Load JournalStore::loadLast(Journal *journal)
{
    const Load result = load(lastName, journal);
    if (result == Load::Ok)
        m_lastFolder = journal->folderPath();
    return result;
}

void JournalStore::setAsideRunning()
{
    const int dirFd = openFolder(false);
    if (dirFd < 0)
        return;
    const QByteArray aside = QByteArray(runningName) + asideSuffix;
    if (m_sys->renameReplacing(dirFd, runningName, aside.constData()) == 0)
        m_sys->fsyncFd(dirFd);
    m_sys->closeFd(dirFd);
}
