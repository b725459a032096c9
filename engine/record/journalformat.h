// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

struct RenamePlan;
struct Step;
struct stat;
class SysCalls;

// What tells a file of a run apart from the others across a remount, where names alone cannot
// (a chain or cycle of renames, where one name is both an old and a new name of the run), and
// what proves the card where its volume has no identity. Inode numbers are not part of it: FAT
// and exFAT make them up anew at every mount. Only some files carry one (see Journal::readDisk);
// a file in a cycle also carries a hash of its first 64 KiB, because on FAT two pictures of one
// second and one size differ in nothing else.
struct Fingerprint
{
    static Fingerprint of(const struct stat &st);
    bool known = false; // size and time were read
    quint64 size = 0;
    qint64 mtimeNs = 0;
    bool hasHead = false;
    quint64 head = 0; // FNV-1a of the first 64 KiB, where hasHead

    // Whether now (taken from the disk) is this file: size and time agree, the time after the
    // shift of the clock the folder shows (FAT keeps local times), and the first 64 KiB where
    // this fingerprint has them.
    bool matches(const Fingerprint &now, qint64 shiftNs = 0) const
    {
        return known && size == now.size && mtimeNs + shiftNs == now.mtimeNs
            && (!hasHead || head == now.head);
    }
};

// The hash of the first 64 KiB of the entry name of the folder dirFd; false when unreadable.
bool headOf(SysCalls &sys, int dirFd, const char *name, quint64 *head);

struct JournalFile
{
    QByteArray oldName;
    QByteArray tempName; // only for a file that goes through a temporary name
    QByteArray newName;
    Fingerprint fingerprint; // at the old name when the run was planned
};

// One rename of the run, in the order the run makes them.
struct JournalStep
{
    enum Kind : quint8 { OldToNew, OldToTemp, TempToNew };
    quint32 file;
    Kind kind;
};

// The record of one run: the folder, the volume it is on, every file's names and fingerprint,
// and the order of its renames.
struct Journal
{
    bool completed = false;
    QByteArray folder; // absolute, without a trailing separator; empty for the root
    quint64 device = 0; // of the folder when the run was planned; for the record only
    quint64 inode = 0;
    // The file-system UUID or serial of the folder's volume (empty where none is known) and
    // where that volume was mounted: a card mounted again elsewhere is found by them.
    QByteArray volumeUuid;
    QByteArray mountPoint;
    // Wall clock when the run was planned: a name reservation the run made is not older.
    qint64 startedNs = 0;
    std::vector<JournalFile> files;
    std::vector<JournalStep> steps;

    QByteArray from(const JournalStep &step) const;
    QByteArray to(const JournalStep &step) const;
    // The folder as a path ("/" for the root).
    QByteArray folderPath() const { return folder.isEmpty() ? QByteArray("/") : folder; }
    // How many files the steps before doneSteps have moved.
    int filesMoved(size_t doneSteps) const;
    // Whether the record can be acted on: an absolute folder, plain names (no "/", NUL, "."
    // or "..", never empty), step indices in range, and every file's steps in a possible
    // order (OldToNew alone, or OldToTemp followed by at most one TempToNew).
    bool valid() const;

    // The record of a planned run, with the fingerprint of every moving file read through sys
    // (the plain system calls where nullptr): fromPlan followed by readDisk.
    static Journal of(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                      const std::vector<QByteArray> &newNames,
                      const std::vector<QByteArray> &tempNames, const std::vector<Step> &steps,
                      SysCalls *sys = nullptr);
    static Journal of(const RenamePlan &plan, SysCalls *sys = nullptr);
    // What the plan alone tells of the run: the folder, the names and the kind of every step.
    // Reads nothing from the disk, so it serves where no record is kept, even on a failing card.
    static Journal fromPlan(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                            const std::vector<QByteArray> &newNames,
                            const std::vector<QByteArray> &tempNames,
                            const std::vector<Step> &steps);
    static Journal fromPlan(const RenamePlan &plan);
    // Adds what the disk tells through sys (the plain system calls where nullptr): the folder
    // with its links resolved, its volume, its device and inode, and the fingerprints where names
    // cannot decide: every file of a chain, a cycle or a case-only rename (a name that is both an
    // old and a new name of the run, letter case aside), with the head of the first file of each
    // cycle, and a sample of at most cardSample files spread over the run, which tells the card
    // where its volume has no identity. A run whose old and new names are apart reads only the
    // sample.
    void readDisk(SysCalls *sys = nullptr);
    static constexpr size_t cardSample = 64;
    // Of the moving files (in the order they move), those readDisk reads.
    std::vector<quint32> needingFingerprints(const std::vector<quint32> &moving) const;
};

// Any byte of any name survives: lengths and raw bytes, with a checksum over all of it.
QByteArray encodeJournal(const Journal &journal);
// False for anything that is not a whole, valid record. Reads the records of earlier versions
// too (BWJOURN2: no volume, fingerprints in cycles only; BWJOURN3: a fingerprint for every
// moving file; BWJOURN4: names that share only their beginning with the one before, and a
// checksum taken a byte at a time).
bool decodeJournal(const QByteArray &data, Journal *journal);
// Where the state byte ('R' running, 'C' completed) of an encoded record is.
constexpr int journalStateOffset = 8;
// The most a record may take: a run of the most files with the longest names stays below a
// third of it; a larger file is no record and is never read into memory.
constexpr qint64 journalMaxBytes = qint64(96) << 20;
