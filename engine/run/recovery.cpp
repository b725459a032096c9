// SPDX-License-Identifier: GPL-3.0-or-later
#include "recovery.h"

#include "executor.h"
#include "filemover.h"
#include "folderscan.h"
#include "renamewindow.h"
#include "texts.h"
#include "volumeidentity.h"

#include <QHash>

#include <algorithm>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

QByteArray nameAt(const JournalFile &f, int place)
{
    return place == AtOld ? f.oldName : place == AtTemp ? f.tempName : f.newName;
}

// What the disk says about entries of the folder, each read at most once.
class Entries
{
public:
    Entries(const QByteArray &folder, SysCalls &sys)
        : m_sys(sys)
    {
        m_dirFd = sys.openAt(AT_FDCWD, folder.constData(), O_RDONLY | O_DIRECTORY);
    }
    ~Entries()
    {
        if (m_dirFd >= 0)
            m_sys.closeFd(m_dirFd);
    }
    Entries(const Entries &) = delete;
    Entries &operator=(const Entries &) = delete;

    // lstat of the entry; nullptr where it cannot be had.
    const struct stat *stat(const QByteArray &name)
    {
        auto it = m_stats.find(name);
        if (it == m_stats.end()) {
            Stat entry;
            entry.ok = m_dirFd >= 0 && m_sys.statEntry(m_dirFd, name.constData(), &entry.st) == 0;
            it = m_stats.insert(name, entry);
        }
        return it->ok ? &it->st : nullptr;
    }
    // Whether the regular file name is what fingerprint recorded, with the clock shifted.
    bool matches(const QByteArray &name, const Fingerprint &recorded, qint64 shiftNs)
    {
        const struct stat *st = stat(name);
        if (!st || !S_ISREG(st->st_mode) || !recorded.known)
            return false;
        Fingerprint now = Fingerprint::of(*st);
        if (recorded.hasHead
            && !(now.hasHead = headOf(m_sys, m_dirFd, name.constData(), &now.head)))
            return false;
        return recorded.matches(now, shiftNs);
    }
    // Whether name is what a cut move of this run left: an empty file made since the run began
    // (the reservation of a name), or a second link of the file at other.
    bool isLeftover(const QByteArray &name, qint64 startedNs, const QByteArray &other)
    {
        const struct stat *st = stat(name);
        if (!st || !S_ISREG(st->st_mode))
            return false;
        // FAT keeps times in steps of two seconds.
        if (st->st_size == 0
            && Fingerprint::of(*st).mtimeNs
                >= startedNs - std::min<qint64>(startedNs, 2000000000LL))
            return true;
        const struct stat *o = other.isEmpty() ? nullptr : stat(other);
        return o && st->st_nlink > 1 && o->st_dev == st->st_dev && o->st_ino == st->st_ino;
    }

private:
    struct Stat
    {
        bool ok = false;
        struct stat st;
    };
    SysCalls &m_sys;
    int m_dirFd = -1;
    QHash<QByteArray, Stat> m_stats;
};

// The places every moving file has in the run, as a mask of 1 << Place.
std::vector<quint8> placesOf(const Journal &journal)
{
    std::vector<quint8> places(journal.files.size(), 0);
    for (const JournalStep &s : journal.steps)
        places[s.file] |= s.kind == JournalStep::OldToNew ? (1 << AtOld | 1 << AtNew)
            : s.kind == JournalStep::OldToTemp            ? (1 << AtOld | 1 << AtTemp)
                                                          : (1 << AtTemp | 1 << AtNew);
    return places;
}

constexpr qint64 quarterHourNs = 15LL * 60 * 1000000000;

// FAT and exFAT without offsets keep local times: a card read in another time zone shows every
// file's time shifted by the same whole quarter hours. The shift most fingerprinted files show,
// where the folder keeps local times and that shift is of whole quarter hours; else 0.
qint64 clockShift(const Journal &journal, const FolderScan &scan, Entries &entries,
                  const std::vector<quint8> &places)
{
    if (!scan.countsUtf16())
        return 0;
    QHash<qint64, int> shifts;
    for (size_t i = 0; i < journal.files.size(); ++i) {
        const Fingerprint &fp = journal.files[i].fingerprint;
        if (!fp.known)
            continue;
        for (int p = AtOld; p <= AtNew; ++p) {
            const QByteArray name = nameAt(journal.files[i], p);
            const struct stat *st = (places[i] & (1 << p)) && scan.holderOf(name) == name
                ? entries.stat(name)
                : nullptr;
            if (st && quint64(st->st_size) == fp.size) {
                ++shifts[Fingerprint::of(*st).mtimeNs - fp.mtimeNs];
                break;
            }
        }
    }
    qint64 best = 0;
    for (auto it = shifts.cbegin(); it != shifts.cend(); ++it) {
        if (it.value() > shifts.value(best) && it.key() % quarterHourNs == 0
            && std::abs(it.key()) <= 26 * 4 * quarterHourNs)
            best = it.key();
    }
    return best;
}

// Whether the folder holds the recorded files, where no volume identity proved the card: a
// sample spread over the run (the files that carry a fingerprint, at most Journal::cardSample
// of them), of which at least a quarter, and at least one, must be found, each at one of its
// names with its size to the byte and its time (after the folder's clock shift). Another card
// with the same names matches a file so only by chance; the user may have culled or edited
// many of the others. A record without any fingerprint (of the version before BWJOURN3, without a
// cycle) trusts the folder's device and inode as that version did. misfits: the sample's files not
// found.
bool sameCard(const Journal &journal, const FolderScan &scan, Entries &entries,
              const std::vector<quint8> &places, qint64 shiftNs, QStringList *misfits)
{
    std::vector<size_t> printed;
    for (size_t i = 0; i < journal.files.size(); ++i) {
        if (places[i] && journal.files[i].fingerprint.known)
            printed.push_back(i);
    }
    if (printed.empty())
        return journal.device != 0 && journal.device == quint64(scan.device())
            && journal.inode == quint64(scan.inode());
    const size_t sample = std::min(printed.size(), Journal::cardSample);
    size_t found = 0;
    for (size_t k = 0; k < sample; ++k) {
        const JournalFile &f = journal.files[printed[k * printed.size() / sample]];
        const quint8 mask = places[printed[k * printed.size() / sample]];
        bool here = false, present = false;
        for (int p = AtOld; p <= AtNew && !here; ++p) {
            const QByteArray name = nameAt(f, p);
            if (!(mask & (1 << p)) || scan.holderOf(name) != name)
                continue;
            present = true;
            Fingerprint recorded = f.fingerprint;
            recorded.hasHead = false; // size and time tell the card; a cycle is sorted out later
            here = entries.matches(name, recorded, shiftNs);
        }
        found += here;
        if (!here && misfits->size() < 10)
            *misfits << (present ? Texts::misfitOtherFile(f.oldName)
                                 : Texts::misfitMissing(f.oldName));
    }
    return found >= 1 && found * 4 >= sample;
}

} // namespace

Whereabouts locateFiles(const Journal &journal, const FolderScan &scan, SysCalls &sys,
                        bool cardProven, bool nameByNew)
{
    Whereabouts where;
    const size_t n = journal.files.size();
    where.place.assign(n, NotMoving);
    where.lost.resize(n);
    Entries entries(journal.folderPath(), sys);
    const std::vector<quint8> places = placesOf(journal);
    const qint64 shiftNs = clockShift(journal, scan, entries, places);
    if (!cardProven && !sameCard(journal, scan, entries, places, shiftNs, &where.cardMisfits)) {
        where.sameCard = false;
        return where;
    }

    // Which files each name of the run belongs to, by the folder's form of it.
    QHash<QByteArray, std::vector<quint32>> users;
    for (quint32 i = 0; i < n; ++i) {
        for (int p = AtOld; p <= AtNew; ++p) {
            if (!(places[i] & (1 << p)))
                continue;
            std::vector<quint32> &u = users[scan.key(nameAt(journal.files[i], p))];
            if (u.empty() || u.back() != i)
                u.push_back(i);
        }
    }
    // Where each file may be: a name of it that the folder holds, in that letter case, and
    // where another file of the run has that name too, with the file's fingerprint.
    std::vector<std::vector<qint8>> candidates(n);
    for (quint32 i = 0; i < n; ++i) {
        if (!places[i])
            continue;
        where.place[i] = NotFound;
        const JournalFile &f = journal.files[i];
        for (int p = AtOld; p <= AtNew; ++p) {
            const QByteArray name = nameAt(f, p);
            if (!(places[i] & (1 << p)) || scan.holderOf(name) != name)
                continue;
            const bool shared = users.value(scan.key(name)).size() > 1;
            if (shared && f.fingerprint.known && !entries.matches(name, f.fingerprint, shiftNs))
                continue;
            candidates[i].push_back(qint8(p));
        }
        // Under two names of its own: what a cut move left goes, the file is at the other; and
        // where the file has a fingerprint, it tells.
        std::vector<qint8> &c = candidates[i];
        if (c.size() > 1 && f.fingerprint.known) {
            std::vector<qint8> printed;
            for (const qint8 p : c) {
                if (entries.matches(nameAt(f, p), f.fingerprint, shiftNs))
                    printed.push_back(p);
            }
            if (!printed.empty())
                c = printed;
        }
        for (size_t k = 0; c.size() > 1 && k < c.size(); ++k) {
            const QByteArray name = nameAt(f, c[k]);
            const QByteArray other = nameAt(f, c[k == 0 ? 1 : 0]);
            if (entries.isLeftover(name, journal.startedNs, QByteArray())
                || (c[k] != AtOld && entries.isLeftover(name, journal.startedNs, other))) {
                where.leftovers.push_back(name);
                c.erase(c.begin() + qsizetype(k));
                k = size_t(-1);
            }
        }
    }
    // What a cut move left is no file's place.
    for (quint32 i = 0; i < n && !where.leftovers.empty(); ++i) {
        std::vector<qint8> &c = candidates[i];
        c.erase(std::remove_if(c.begin(), c.end(),
                               [&](qint8 p) {
                                   return std::find(where.leftovers.begin(), where.leftovers.end(),
                                                    nameAt(journal.files[i], p))
                                       != where.leftovers.end();
                               }),
                c.end());
    }
    // A file with one name left to it takes that name; the others of that name then cannot
    // be there.
    QHash<QByteArray, quint32> claimed;
    std::vector<quint32> queue;
    for (quint32 i = 0; i < n; ++i) {
        if (places[i])
            queue.push_back(i);
    }
    const auto open = [&](quint32 i) {
        std::vector<qint8> free;
        for (const qint8 p : candidates[i]) {
            const auto it = claimed.constFind(scan.key(nameAt(journal.files[i], p)));
            if (it == claimed.cend() || *it == i)
                free.push_back(p);
        }
        return free;
    };
    // Two files that can each be at one name only, the same one (one size and one time, as on
    // a camera card, and one of them gone): neither is taken to be there.
    const auto contested = [&](quint32 i, const QByteArray &key) {
        for (const quint32 j : users.value(key)) {
            if (j == i || where.place[j] != NotFound)
                continue;
            const std::vector<qint8> other = open(j);
            if (other.size() == 1 && scan.key(nameAt(journal.files[j], other.front())) == key)
                return true;
        }
        return false;
    };
    while (!queue.empty()) {
        const quint32 i = queue.back();
        queue.pop_back();
        if (where.place[i] != NotFound)
            continue;
        const std::vector<qint8> free = open(i);
        if (free.size() != 1)
            continue;
        const QByteArray key = scan.key(nameAt(journal.files[i], free.front()));
        if (contested(i, key))
            continue;
        where.place[i] = free.front();
        claimed.insert(key, i);
        for (const quint32 j : users.value(key)) {
            if (j != i)
                queue.push_back(j);
        }
    }
    // Names of the run the folder holds that no file took: what a cut move left is removed
    // (an empty reservation, or a second link of a file found under another name).
    for (const auto &[key, files] : users.asKeyValueRange()) {
        if (claimed.contains(key))
            continue;
        for (const quint32 j : files) {
            for (int p = AtOld; p <= AtNew; ++p) {
                const QByteArray name = nameAt(journal.files[j], p);
                if (!(places[j] & (1 << p)) || scan.key(name) != key || scan.holderOf(name) != name
                    || std::find(where.leftovers.begin(), where.leftovers.end(), name)
                        != where.leftovers.end())
                    continue;
                const QByteArray found
                    = where.place[j] >= 0 ? nameAt(journal.files[j], where.place[j]) : QByteArray();
                if (entries.isLeftover(name, journal.startedNs, found))
                    where.leftovers.push_back(name);
            }
        }
    }
    // Why a file is not found, named as the user knows it.
    for (quint32 i = 0; i < n; ++i) {
        if (where.place[i] != NotFound)
            continue;
        const JournalFile &f = journal.files[i];
        const QByteArray known = nameByNew && (places[i] & (1 << AtNew)) ? f.newName : f.oldName;
        if (!open(i).empty()) {
            where.lost[i] = Texts::fileUnclear(known);
            continue;
        }
        QString why = Texts::fileMissing(known);
        for (int p = AtOld; p <= AtNew; ++p) {
            const QByteArray name = nameAt(f, p);
            if (!(places[i] & (1 << p)))
                continue;
            const QByteArray holder = scan.holderOf(name);
            if (holder == name) {
                why = Texts::fileChanged(name);
                break;
            }
            if (!holder.isEmpty() && p != AtTemp)
                why = Texts::fileRenamedSince(name, holder);
        }
        where.lost[i] = why;
    }
    return where;
}

int Whereabouts::filesAt(int where) const
{
    return int(std::count(place.begin(), place.end(), qint8(where)));
}

MovePlan planMoves(const Journal &journal, const FolderScan &scan, const Whereabouts &where,
                   bool undo)
{
    // A file that would end under its temporary name stays where it is instead, and the moves
    // are planned again without it.
    std::vector<bool> pinned(where.place.size(), false);
    QStringList pinnedLines;
    for (;;) {
        MovePlan plan;
        plan.left = pinnedLines;
        std::vector<qint8> at = where.place;
        std::vector<bool> stuck = pinned, moves(at.size(), false);
        QHash<QByteArray, bool> taken; // names the moves change, by the folder's key
        const auto isTaken = [&](const QByteArray &name) {
            const auto it = taken.constFind(scan.key(name));
            return it != taken.cend() ? *it : !scan.holderOf(name).isEmpty();
        };
        for (const QByteArray &leftover : where.leftovers)
            taken.insert(scan.key(leftover), false);
        const size_t n = journal.steps.size();
        for (size_t i = 0; i < n; ++i) {
            const size_t k = undo ? n - 1 - i : i;
            const JournalStep &s = journal.steps[k];
            const qint8 from = s.kind == JournalStep::TempToNew ? AtTemp : AtOld;
            const qint8 to = s.kind == JournalStep::OldToTemp ? AtTemp : AtNew;
            const qint8 source = undo ? to : from, target = undo ? from : to;
            if (at[s.file] != source || stuck[s.file])
                continue;
            const JournalFile &f = journal.files[s.file];
            if (isTaken(nameAt(f, target))) {
                stuck[s.file] = true;
                plan.left << Texts::nameTaken(nameAt(f, source), nameAt(f, target));
                continue;
            }
            taken.insert(scan.key(nameAt(f, source)), false);
            taken.insert(scan.key(nameAt(f, target)), true);
            at[s.file] = target;
            moves[s.file] = true;
            plan.steps.push_back(k);
        }
        bool again = false;
        for (size_t i = 0; i < at.size(); ++i) {
            if (at[i] == AtTemp && where.place[i] != AtTemp && !pinned[i]) {
                pinned[i] = again = true;
                const JournalFile &f = journal.files[i];
                pinnedLines << Texts::nameTaken(nameAt(f, where.place[i]),
                                                undo ? f.oldName : f.newName);
            }
        }
        if (again)
            continue;
        plan.files = int(std::count(moves.begin(), moves.end(), true));
        return plan;
    }
}

CarriedOut carryOut(const Journal &journal, size_t from, size_t to, FileMover &mover)
{
    CarriedOut result;
    result.reached = from;
    const QByteArray prefix = journal.folder + '/';
    const bool undo = to < from;
    const size_t count = undo ? from - to : to - from;
    for (size_t i = 0; i < count; ++i) {
        const size_t k = undo ? from - 1 - i : from + i;
        const JournalStep &step = journal.steps[k];
        const QByteArray source = undo ? journal.to(step) : journal.from(step);
        const QByteArray target = undo ? journal.from(step) : journal.to(step);
        if (const int e = mover.MoveFile(prefix + source, prefix + target)) {
            result.error = e;
            result.failure = Texts::failedMove(
                source, target,
                Texts::moveError(e, mover.failedReservingDestination(), undo, target));
            result.notTried = count - i - 1;
            break;
        }
        result.reached = undo ? k : k + 1;
    }
    mover.release();
    return result;
}

namespace {

// Whether a move failed because of that one file (it is gone, or its new name is taken), so
// that the others go on; any other failure (the card gone, read-only or full) stops them all.
bool onlyThisFile(int error)
{
    return error == EEXIST || error == ENOTEMPTY || error == ENOENT || error == EISDIR
        || error == ENOTDIR;
}

} // namespace

Carried carryOutPlan(const Journal &journal, const Whereabouts &where, const MovePlan &plan,
                     bool undo, FileMover &mover)
{
    Carried result;
    const QByteArray prefix = journal.folder + '/';
    SysCalls &sys = mover.sys();
    if (!where.leftovers.empty()) {
        const int dirFd
            = sys.openAt(AT_FDCWD, journal.folderPath().constData(), O_RDONLY | O_DIRECTORY);
        for (const QByteArray &leftover : where.leftovers) {
            const int e = dirFd < 0                                ? errno
                : sys.unlinkFile(dirFd, leftover.constData()) == 0 ? 0
                                                                   : errno;
            if (e != 0 && e != ENOENT) {
                result.error = e;
                result.failure = Texts::leftoverNotRemoved(leftover, e);
                result.moving = false;
                result.notTried = plan.steps.size();
                break;
            }
        }
        if (dirFd >= 0)
            sys.closeFd(dirFd);
        if (result.error)
            return result;
    }
    std::vector<qint8> at = where.place;
    std::vector<bool> stuck(at.size(), false);
    for (size_t i = 0; i < plan.steps.size(); ++i) {
        const JournalStep &step = journal.steps[plan.steps[i]];
        if (stuck[step.file])
            continue;
        const QByteArray source = undo ? journal.to(step) : journal.from(step);
        const QByteArray target = undo ? journal.from(step) : journal.to(step);
        const int e = mover.MoveFile(prefix + source, prefix + target);
        if (e == 0) {
            at[step.file] = qint8(undo ? (step.kind == JournalStep::TempToNew ? AtTemp : AtOld)
                                       : (step.kind == JournalStep::OldToTemp ? AtTemp : AtNew));
            continue;
        }
        const QString line = Texts::failedMove(
            source, target, Texts::moveError(e, mover.failedReservingDestination(), undo, target));
        if (!onlyThisFile(e)) {
            result.error = e;
            result.failure = line;
            result.notTried = plan.steps.size() - i - 1;
            break;
        }
        stuck[step.file] = true;
        result.left << line;
    }
    mover.release();
    for (size_t i = 0; i < at.size(); ++i) {
        if (at[i] == AtTemp) {
            result.hidden = true;
            result.left << Texts::hiddenFile(journal.files[i].oldName, journal.files[i].tempName);
        }
    }
    return result;
}

namespace {

// Releases the store's lock when a dialogue ends, however it ends.
struct Unlocker
{
    JournalStore &store;
    ~Unlocker() { store.unlock(); }
};

bool canOpenFolder(SysCalls &sys, const QByteArray &folder)
{
    const int fd = sys.openAt(AT_FDCWD, folder.constData(), O_RDONLY | O_DIRECTORY);
    if (fd < 0)
        return false;
    sys.closeFd(fd);
    return true;
}

// The warning about a state folder that is refused; false when it can be used.
bool refusedStateFolder(IRenameWindow &window, JournalStore &store)
{
    if (store.checkFolder() == JournalStore::Folder::Usable)
        return false;
    window.messageBox(Texts::stateFolderRefused(store.directory()), MessageKind::Warning,
                      warningTitle());
    return true;
}

// The folder of the record where its volume is now: at the recorded path when the volume
// there is the recorded one (or none is known), else under another mount point of that
// volume. Empty, with the warning shown, where it is not to be found or another volume is
// at the recorded path.
QByteArray findFolder(IRenameWindow &window, const Journal &journal, SysCalls &sys,
                      Texts::Record record, bool *volumeProven)
{
    const QByteArray recorded = journal.folderPath();
    VolumeIdentity here;
    *volumeProven = !journal.volumeUuid.isEmpty(); // by the folder found below, if any
    if (canOpenFolder(sys, recorded)) {
        if (journal.volumeUuid.isEmpty())
            return recorded;
        here = volumeIdentityOf(recorded, sys);
        if (here.uuid == journal.volumeUuid)
            return recorded;
    }
    if (!journal.volumeUuid.isEmpty() && recorded.startsWith(journal.mountPoint)) {
        const QByteArray inside
            = journal.mountPoint == "/" ? recorded : recorded.mid(journal.mountPoint.size());
        for (const QByteArray &mountPoint : mountPointsOf(journal.volumeUuid, sys)) {
            QByteArray moved = (mountPoint == "/" ? QByteArray() : mountPoint) + inside;
            if (moved.size() > 1 && moved.endsWith('/'))
                moved.chop(1);
            if (canOpenFolder(sys, moved.isEmpty() ? QByteArray("/") : moved))
                return moved.isEmpty() ? QByteArray("/") : moved;
        }
    }
    if (here.known()) {
        window.messageBox(Texts::otherVolume(record, recorded, here.uuid, journal.volumeUuid),
                          MessageKind::Warning, warningTitle());
        return QByteArray();
    }
    window.messageBox(Texts::journalFolderUnreachable(record, recorded), MessageKind::Warning,
                      warningTitle());
    return QByteArray();
}

// Finds the record's folder and where each of its files is; journal then names the folder as
// it is mounted now. Shows the warning and returns false where the folder cannot be found or
// does not hold the recorded files (another card): nothing may move then.
bool locate(IRenameWindow &window, Journal &journal, SysCalls &sys, Texts::Record record,
            FolderScan *scan, Whereabouts *where)
{
    bool volumeProven = false;
    const QByteArray found = findFolder(window, journal, sys, record, &volumeProven);
    if (found.isEmpty())
        return false;
    journal.folder = found == "/" ? QByteArray() : found;
    *scan = FolderScan::read(journal.folderPath(), sys);
    if (!scan->ok()) {
        window.messageBox(
            Texts::journalFolderUnreadable(record, journal.folderPath(), scan->error()),
            MessageKind::Warning, warningTitle());
        return false;
    }
    *where = locateFiles(journal, *scan, sys, volumeProven, record == Texts::Record::Last);
    if (where->sameCard)
        return true;
    window.messageBox(Texts::journalFilesNotThere(record, journal.folderPath(), where->cardMisfits),
                      MessageKind::Warning, warningTitle());
    return false;
}

void reportStoreError(IRenameWindow &window, int error, Texts::Settled settled)
{
    if (error == 0)
        return;
    window.messageBox(Texts::recordNotUpdated(settled, error), MessageKind::Error, errorTitle());
}

void reportFailedMove(IRenameWindow &window, const Carried &result, bool undoButton)
{
    window.messageBox(Texts::recoveryFailed(result.failure, result.moving, result.notTried,
                                            undoButton, result.left),
                      MessageKind::Error, errorTitle());
}

// The one report of the files that kept their names, where there are any.
void reportLeft(IRenameWindow &window, const QStringList &left)
{
    if (!left.isEmpty())
        window.messageBox(Texts::filesLeft(left), MessageKind::Warning, warningTitle());
}

} // namespace

QByteArray recoverInterruptedRun(IRenameWindow &window, JournalStore &store, FileMover &mover)
{
    if (refusedStateFolder(window, store))
        return QByteArray();
    Journal journal;
    if (store.loadRunning(&journal) == JournalStore::Load::None)
        return QByteArray(); // nothing to do, and no state folder made for it
    // Another copy that holds the lock is at work on its run: its record is not ours to touch.
    // Without the lock nothing is touched either.
    if (const int error = store.lock()) {
        if (error != EWOULDBLOCK)
            window.messageBox(Texts::lockFailed(error), MessageKind::Warning, warningTitle());
        return QByteArray();
    }
    Unlocker unlocker {store};
    switch (store.loadRunning(&journal)) {
    case JournalStore::Load::None:
    case JournalStore::Load::Refused:
        return QByteArray();
    case JournalStore::Load::Corrupt:
        window.messageBox(Texts::journalDamaged(), MessageKind::Warning, warningTitle());
        store.setAsideRunning();
        return QByteArray();
    case JournalStore::Load::Unreadable:
        window.messageBox(Texts::journalUnreadable(), MessageKind::Warning, warningTitle());
        return QByteArray();
    case JournalStore::Load::Ok:
        break;
    }
    if (journal.completed) { // finished, but not yet put in place as the last run
        reportStoreError(window, store.settleCompleted(), Texts::Settled::LastRunComplete);
        return QByteArray();
    }
    FolderScan scan;
    Whereabouts where;
    if (!locate(window, journal, mover.sys(), Texts::Record::Interrupted, &scan, &where))
        return QByteArray();
    const MovePlan ahead = planMoves(journal, scan, where, false);
    const MovePlan back = planMoves(journal, scan, where, true);
    QStringList lost;
    for (const QString &line : where.lost) {
        if (!line.isEmpty())
            lost << line;
    }
    const int moved = where.filesAt(AtNew) + where.filesAt(AtTemp);
    MessageAnswer answer;
    if (moved == 0 && lost.isEmpty())
        answer = MessageAnswer::Undo; // nothing moved: what a cut move left goes, unasked
    else if (ahead.files == 0 && where.filesAt(AtOld) + where.filesAt(AtTemp) == 0)
        answer = MessageAnswer::Continue; // every move made: only the record is left to settle
    else
        answer = window.messageBox(
            Texts::recoveryQuestion(journal.folderPath(),
                                    where.filesAt(AtNew) + where.filesAt(NotMoving),
                                    int(journal.files.size()), ahead.files, back.files,
                                    int(lost.size() + ahead.left.size())),
            MessageKind::RecoveryQuestion, questionTitle());
    if (answer != MessageAnswer::Continue && answer != MessageAnswer::Undo)
        return QByteArray();
    const bool finish = answer == MessageAnswer::Continue;
    const MovePlan &plan = finish ? ahead : back;
    window.setStatusLine(busyCaption(), StatusLook::Busy);
    const Carried result = carryOutPlan(journal, where, plan, !finish, mover);
    window.setStatusLine(readyCaption(), StatusLook::Ready);
    QStringList left = lost + plan.left + result.left;
    if (!result.ok()) {
        reportFailedMove(window, result, false);
        return journal.folderPath();
    }
    if (result.hidden) { // a file under a temporary name: the record stays for it
        window.messageBox(Texts::filesLeft(left, true), MessageKind::Warning, warningTitle());
        return journal.folderPath();
    }
    if (finish) {
        // Now the last run, to be undone if the user wishes.
        reportStoreError(window, store.complete(journal.folderPath()),
                         Texts::Settled::InterruptedRunComplete);
    } else {
        reportStoreError(window, store.discardRunning(journal.folderPath()),
                         Texts::Settled::OldNamesBack);
    }
    if (moved > 0 || plan.files > 0)
        reportLeft(window, left);
    return journal.folderPath();
}

bool canUndoLastRun(JournalStore &store, SysCalls &sys)
{
    Journal journal;
    if (store.checkFolder() != JournalStore::Folder::Usable
        || store.loadLast(&journal) != JournalStore::Load::Ok)
        return false;
    if (!store.locked()) {
        if (store.lock() != 0)
            return false;
        store.unlock();
    }
    return (canOpenFolder(sys, journal.folderPath())
            || (!journal.volumeUuid.isEmpty() && !mountPointsOf(journal.volumeUuid, sys).empty()));
}

QByteArray undoLastRun(IRenameWindow &window, JournalStore &store, FileMover &mover)
{
    if (refusedStateFolder(window, store))
        return QByteArray();
    if (const int error = store.lock()) {
        window.messageBox(error == EWOULDBLOCK ? Texts::anotherRunGoingOn()
                                               : Texts::lockFailed(error),
                          MessageKind::Warning, warningTitle());
        return QByteArray();
    }
    Unlocker unlocker {store};
    Journal journal;
    if (store.loadLast(&journal) != JournalStore::Load::Ok)
        return QByteArray();
    FolderScan scan;
    Whereabouts where;
    if (!locate(window, journal, mover.sys(), Texts::Record::Last, &scan, &where))
        return QByteArray();
    const MovePlan back = planMoves(journal, scan, where, true);
    QStringList left;
    for (const QString &line : where.lost) {
        if (!line.isEmpty())
            left << line;
    }
    left << back.left;
    if (back.files > 0
        && window.messageBox(Texts::undoQuestion(journal.folderPath(), back.files, left.size()),
                             MessageKind::Question, questionTitle())
            != MessageAnswer::Yes)
        return QByteArray();
    window.setStatusLine(busyCaption(), StatusLook::Busy);
    const Carried result = carryOutPlan(journal, where, back, true, mover);
    window.setStatusLine(readyCaption(), StatusLook::Ready);
    left << result.left;
    if (!result.ok()) {
        reportFailedMove(window, result, true);
    } else if (result.hidden) {
        window.messageBox(Texts::filesLeft(left, true), MessageKind::Warning, warningTitle());
    } else {
        reportStoreError(window, store.discardLast(journal.folderPath()),
                         Texts::Settled::OldNamesBack);
        reportLeft(window, left);
    }
    return journal.folderPath();
}
