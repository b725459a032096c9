#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct RenamePlan;
struct Step;
struct stat;

// What tells one file from another where names alone cannot (a cycle of renames brings back
// the same set of names): its inode, size and modification time when the run began.
struct Fingerprint
{
    static Fingerprint of(const struct stat &st);
    quint64 inode = 0;
    quint64 size = 0;
    qint64 mtimeNs = 0;
    bool operator==(const Fingerprint &o) const
    {
        return inode == o.inode || (size == o.size && mtimeNs == o.mtimeNs);
    }
};

struct JournalFile
{
    QByteArray oldName;
    QByteArray tempName; // only for a file that goes through a cycle
    QByteArray newName;
    Fingerprint fingerprint; // only with a temporary name
};

// One rename of the run, in the order the run makes them.
struct JournalStep
{
    enum Kind : quint8 { OldToNew, OldToTemp, TempToNew };
    quint32 file;
    Kind kind;
};

// The record of one run: the folder, every file's names and the order of its renames.
struct Journal
{
    bool completed = false;
    QByteArray folder; // without a trailing separator; empty for the root
    quint64 device = 0;
    quint64 inode = 0;
    std::vector<JournalFile> files;
    std::vector<JournalStep> steps;

    QByteArray from(const JournalStep &step) const;
    QByteArray to(const JournalStep &step) const;
    // The folder as a path ("/" for the root).
    QByteArray folderPath() const { return folder.isEmpty() ? QByteArray("/") : folder; }

    static Journal of(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                      const std::vector<QByteArray> &newNames,
                      const std::vector<QByteArray> &tempNames, const std::vector<Step> &steps);
    static Journal of(const RenamePlan &plan);
};

// Any byte of any name survives: lengths and raw bytes, with a checksum over all of it.
QByteArray encodeJournal(const Journal &journal);
bool decodeJournal(const QByteArray &data, Journal *journal);

// The journals of one user: the run going on (or interrupted) and the last completed run.
// Each is written whole to a temporary file, synced, and renamed into place.
class JournalStore
{
public:
    explicit JournalStore(const QString &directory = defaultDirectory());
    // $XDG_STATE_HOME/Brixelwand, else the application's local data folder.
    static QString defaultDirectory();
    const QString &directory() const { return m_directory; }

    // Records a run before its first rename; returns 0 or the errno.
    int begin(const Journal &journal);
    // The running journal says completed and becomes the last run's record.
    int complete();
    // Writes journal (completed) as the last run's record and drops the running one.
    int keepAsLast(Journal journal);
    void discardRunning();
    void discardLast();

    enum class Load { None, Ok, Corrupt };
    Load loadRunning(Journal *journal) const;
    Load loadLast(Journal *journal) const;
    // Moves an unreadable running journal out of the way, so that it is reported once.
    void setAsideRunning();

    QString runningPath() const;
    QString lastPath() const;

private:
    int writeWhole(const QString &path, const QByteArray &data);
    Load load(const QString &path, Journal *journal) const;

    QString m_directory;
};
