// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journalformat.h"

#include <QByteArray>
#include <QString>

class SysCalls;

// The records of one user's runs, in a state folder of its own: the run going on (or
// interrupted) and the last run, which can be undone. Each record is written whole to a
// temporary file, synced, renamed into place and the folder synced. Every call goes through
// SysCalls; nothing follows a symbolic link, and a state folder that is a link or belongs to
// someone else is refused. A record is dropped or marked complete only after the renamed
// folder is synced.
//
// While a run, a recovery or an undo works, the store holds a lock on its folder: a second
// copy of the program neither records a run of its own nor touches the record of the first.
class JournalStore
{
public:
    // sys: the calls to make (the plain system calls where nullptr); it must outlive the store.
    // former: where an earlier version kept the records (empty for none): an interrupted run
    // recorded there is used there until it is settled, and the last run's record is moved to
    // directory.
    explicit JournalStore(const QString &directory = defaultDirectory(), SysCalls *sys = nullptr,
                          const QString &former = QString());
    ~JournalStore();
    JournalStore(const JournalStore &) = delete;
    JournalStore &operator=(const JournalStore &) = delete;

    // $XDG_STATE_HOME/Brixelwand where that is an absolute path, else
    // ~/.local/state/Brixelwand (~/.qttest/state/Brixelwand in Qt's test mode).
    static QString defaultDirectory();
    // Where the versions before kept the records: the application's local data folder
    // (~/.local/share/Brixelwand/Brixelwand); empty where that is the default directory.
    static QString formerDirectory();
    const QString &directory() const { return m_directory; }
    SysCalls &sys() { return *m_sys; }

    // Whether the state folder can be used: it is missing (made on the first write) or a
    // folder of this user. A link or a foreign folder is refused.
    enum class Folder { Usable, Link, NotOwn };
    Folder checkFolder() const;

    // Takes the lock of the state folder: 0, EWOULDBLOCK when another copy holds it, or the
    // errno that kept the lock from being taken (a read-only state disk). Held until unlock(),
    // complete(), keepAsLast(), discardRunning() or the store's end.
    int lock();
    void unlock();
    bool locked() const { return m_lockFd >= 0; }

    // Records a run before its first rename; takes the lock where it is not held. Returns 0 or
    // the errno (EWOULDBLOCK: another copy is running; EEXIST: the record of an interrupted run
    // is there, and is never overwritten; any other error of the lock refuses the run too); on
    // failure no running record is left and nothing is changed.
    int begin(const Journal &journal);
    // Syncs the renamed folder, then the running record says completed and becomes the last
    // run's record. 0 or the errno of the first call that failed; the running record stays
    // where it could not become the last.
    int complete(const QByteArray &renamedFolder = QByteArray());
    // A running record that already says completed becomes the last run's record. Its folder
    // was synced before the record said so and is not touched: the card may be gone by now.
    int settleCompleted();
    // Writes journal (completed) as the last run's record, then drops the running one. On
    // failure the running record stays.
    int keepAsLast(Journal journal);
    // Syncs the renamed folder, then removes the record. 0 or the errno.
    int discardRunning(const QByteArray &renamedFolder = QByteArray());
    int discardLast(const QByteArray &renamedFolder = QByteArray());
    // fsync of a folder (the renamed one).
    int syncFolder(const QByteArray &folder);

    // Refused: the state folder is a link or not the user's own; Unreadable: an I/O error.
    enum class Load { None, Ok, Corrupt, Refused, Unreadable };
    // Whether a record of a run going on or interrupted is there (readable or not).
    bool hasRunning();
    Load loadRunning(Journal *journal);
    Load loadLast(Journal *journal);
    // Moves an unreadable running record out of the way, so that it is reported once.
    void setAsideRunning();

    QString runningPath() const;
    QString lastPath() const;

private:
    // The running record says completed and becomes the last run's record; folder is the
    // renamed one it belongs to.
    int markCompleted(const QByteArray &folder);
    int openFolder(bool create) const;
    // Takes the lock in the state folder open as dirFd: 0 or the errno.
    int lockIn(int dirFd);
    int writeWhole(int dirFd, const char *name, const QByteArray &data);
    int removeRecord(const char *name, const QByteArray &renamedFolder);
    Load read(const char *name, QByteArray *data);
    Load load(const char *name, Journal *journal);
    bool holds(const char *name);
    // Looks once for records in the former place, where the directory holds none.
    void useFormerPlace();
    // After the record in the former place is settled: the directory again, with the last
    // run's record moved there.
    void settledInFormerPlace();
    void moveLastFrom(const QString &former);

    QString m_directory;
    QString m_former;
    QString m_newPlace; // the directory, while the former place is used
    bool m_formerChecked = false;
    SysCalls *m_sys;
    SysCalls *m_ownSys = nullptr;
    int m_lockFd = -1;
    QByteArray m_runningFolder; // of the record begun or loaded: synced before it is dropped
    QByteArray m_lastFolder;
};
