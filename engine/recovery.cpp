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

// Where a moving file is at a point of the run.
enum Place : quint8 { AtOld, AtTemp, AtNew };

// Reads what the disk says about the files of a record, each fact at most once.
class Facts
{
public:
    Facts(const Journal &journal, const FolderScan &scan, SysCalls &sys)
        : m_journal(journal)
        , m_scan(scan)
        , m_sys(sys)
        , m_known(journal.files.size(), 0)
        , m_fits(journal.files.size(), 0)
    {
        m_dirFd = sys.openAt(AT_FDCWD, journal.folderPath().constData(), O_RDONLY | O_DIRECTORY);
    }
    ~Facts()
    {
        if (m_dirFd >= 0)
            m_sys.closeFd(m_dirFd);
    }
    Facts(const Facts &) = delete;
    Facts &operator=(const Facts &) = delete;

    static QByteArray nameAt(const JournalFile &f, Place place)
    {
        return place == AtOld ? f.oldName : place == AtTemp ? f.tempName : f.newName;
    }

    // Whether the file is in the folder under its name at place: that very name in the
    // listing, and the fingerprint of the record.
    bool fits(quint32 file, Place place)
    {
        const quint8 bit = quint8(1 << place);
        if (!(m_known[file] & bit)) {
            m_known[file] |= bit;
            if (readFits(m_journal.files[file], nameAt(m_journal.files[file], place)))
                m_fits[file] |= bit;
        }
        return m_fits[file] & bit;
    }

    bool stat(const QByteArray &name, struct stat *st)
    {
        return m_dirFd >= 0 && m_sys.statEntry(m_dirFd, name.constData(), st) == 0;
    }

private:
    bool readFits(const JournalFile &f, const QByteArray &name)
    {
        struct stat st;
        if (m_scan.holderOf(name) != name || !stat(name, &st))
            return false;
        Fingerprint now = Fingerprint::of(st);
        if (f.fingerprint.hasHead
            && !(now.hasHead = headOf(m_sys, m_dirFd, name.constData(), &now.head)))
            return false;
        return f.fingerprint.matches(now);
    }

    const Journal &m_journal;
    const FolderScan &m_scan;
    SysCalls &m_sys;
    int m_dirFd = -1;
    std::vector<quint8> m_known, m_fits;
};

// Where every moving file is at point k; files that do not move stay out of it.
std::vector<qint8> placesAt(const Journal &journal, size_t k)
{
    std::vector<qint8> place(journal.files.size(), -1);
    for (const JournalStep &s : journal.steps)
        place[s.file] = AtOld;
    for (size_t i = 0; i < k; ++i) {
        const JournalStep &s = journal.steps[i];
        place[s.file] = s.kind == JournalStep::OldToTemp ? AtTemp : AtNew;
    }
    return place;
}

// Whether name, present in the folder, is what a cut move of this run left: an empty file
// made since the run began, or (other given) a second link of the file at other.
bool isLeftover(Facts &facts, const Journal &journal, const QByteArray &name,
                const QByteArray &other)
{
    struct stat st;
    if (!facts.stat(name, &st) || !S_ISREG(st.st_mode))
        return false;
    const qint64 mtimeNs = Fingerprint::of(st).mtimeNs;
    // FAT keeps times in steps of two seconds.
    if (st.st_size == 0 && mtimeNs >= journal.startedNs - 2000000000LL)
        return true;
    struct stat o;
    return !other.isEmpty() && st.st_nlink > 1 && facts.stat(other, &o) && o.st_dev == st.st_dev
        && o.st_ino == st.st_ino;
}

// The German lines that say how the folder differs from point k of the run.
QStringList describeMisfits(const Journal &journal, const FolderScan &scan, Facts &facts, size_t k)
{
    QStringList lines;
    const std::vector<qint8> place = placesAt(journal, k);
    QHash<QByteArray, quint32> expected; // by the folder's key of the name
    for (quint32 i = 0; i < journal.files.size(); ++i) {
        if (place[i] >= 0)
            expected.insert(scan.key(Facts::nameAt(journal.files[i], Place(place[i]))), i);
    }
    QHash<QByteArray, bool> reported;
    for (quint32 i = 0; i < journal.files.size(); ++i) {
        if (place[i] < 0 || facts.fits(i, Place(place[i])))
            continue;
        const JournalFile &f = journal.files[i];
        const QByteArray name = Facts::nameAt(f, Place(place[i]));
        reported.insert(scan.key(name), true);
        const QByteArray holder = scan.holderOf(name);
        if (holder.isEmpty())
            lines << Texts::misfitMissing(name);
        else if (holder != name)
            lines << Texts::misfitRenamed(name, holder);
        else
            lines << Texts::misfitOtherFile(name);
    }
    // Names of the run that the folder holds where the run has none at this point.
    for (const JournalStep &s : journal.steps) {
        for (const QByteArray &name : {journal.from(s), journal.to(s)}) {
            const QByteArray key = scan.key(name);
            if (expected.contains(key) || reported.contains(key) || scan.holderOf(name).isEmpty())
                continue;
            reported.insert(key, true);
            const JournalFile &f = journal.files[s.file];
            const QByteArray other = name == f.oldName ? f.newName : f.oldName;
            if (isLeftover(facts, journal, name, QByteArray()))
                lines << Texts::misfitPlaceholder(name);
            else if (isLeftover(facts, journal, name, other))
                lines << Texts::misfitBothNames(name, other);
            else
                lines << Texts::misfitTaken(name);
        }
    }
    constexpr qsizetype shown = 10;
    if (lines.size() > shown) {
        const qsizetype more = lines.size() - shown;
        lines = lines.mid(0, shown);
        lines << Texts::andMore(more);
    }
    return lines;
}

} // namespace

Progress findProgress(const Journal &journal, const FolderScan &scan, SysCalls &sys)
{
    Progress progress;
    progress.filesTotal = int(journal.files.size());
    const size_t n = journal.steps.size();
    Facts facts(journal, scan, sys);

    // For every name the run touches: whether the run at point k has it, and the folder has it.
    struct Name
    {
        bool expected = false;
        bool present = false;
    };
    QHash<QByteArray, Name> names;
    const auto entry = [&](const QByteArray &name) -> Name & {
        auto it = names.find(scan.key(name));
        if (it == names.end()) {
            it = names.insert(scan.key(name), Name());
            it->present = !scan.holderOf(name).isEmpty();
        }
        return *it;
    };
    for (const JournalStep &step : journal.steps) {
        entry(journal.from(step));
        entry(journal.to(step));
    }
    std::vector<qint8> place(journal.files.size(), -1);
    for (const JournalStep &step : journal.steps) {
        if (step.kind != JournalStep::TempToNew) {
            entry(journal.from(step)).expected = true; // every moving file starts at its old name
            place[step.file] = AtOld;
        }
    }
    qsizetype nameMisses = 0, fileMisses = 0;
    for (const Name &name : std::as_const(names))
        nameMisses += name.expected != name.present;
    for (quint32 i = 0; i < journal.files.size(); ++i)
        fileMisses += place[i] == AtOld && !facts.fits(i, AtOld);

    std::vector<qsizetype> namesOff(n + 1), filesOff(n + 1);
    namesOff[0] = nameMisses;
    filesOff[0] = fileMisses;
    const auto set = [&](const QByteArray &name, bool expected) {
        Name &entered = entry(name);
        nameMisses -= entered.expected != entered.present;
        entered.expected = expected;
        nameMisses += entered.expected != entered.present;
    };
    for (size_t k = 0; k < n; ++k) {
        const JournalStep &step = journal.steps[k];
        set(journal.from(step), false);
        set(journal.to(step), true);
        const Place to = step.kind == JournalStep::OldToTemp ? AtTemp : AtNew;
        fileMisses -= !facts.fits(step.file, Place(place[step.file]));
        place[step.file] = to;
        fileMisses += !facts.fits(step.file, to);
        namesOff[k + 1] = nameMisses;
        filesOff[k + 1] = fileMisses;
    }

    std::vector<size_t> fitting;
    for (size_t k = 0; k <= n; ++k) {
        if (namesOff[k] == 0 && filesOff[k] == 0)
            fitting.push_back(k);
    }
    if (fitting.empty()) {
        // One name too many where a move was cut: the reservation of its new name, or the
        // new link before the old one was removed (or, undoing, the old name's reservation).
        std::vector<std::pair<size_t, QByteArray>> mended;
        for (size_t k = 0; k <= n; ++k) {
            if (namesOff[k] != 1 || filesOff[k] != 0)
                continue;
            if (k < n) {
                const QByteArray to = journal.to(journal.steps[k]);
                const QByteArray holder = scan.holderOf(to);
                if (!holder.isEmpty()
                    && isLeftover(facts, journal, holder, journal.from(journal.steps[k])))
                    mended.emplace_back(k, holder);
            }
            if (k > 0) {
                const QByteArray holder = scan.holderOf(journal.from(journal.steps[k - 1]));
                if (!holder.isEmpty() && isLeftover(facts, journal, holder, QByteArray())
                    && (mended.empty() || mended.back() != std::make_pair(k, holder)))
                    mended.emplace_back(k, holder);
            }
        }
        // Both names of a file cut between link and unlink fit a point each; either one may go.
        const auto sameFile = [&](const std::pair<size_t, QByteArray> &a) {
            struct stat x, y;
            return facts.stat(a.second, &x) && facts.stat(mended.front().second, &y)
                && x.st_nlink > 1 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
        };
        if (mended.size() == 1
            || (!mended.empty() && std::all_of(mended.begin(), mended.end(), sameFile))) {
            fitting.push_back(mended.front().first);
            progress.leftover = mended.front().second;
        }
    }
    progress.fittingPoints = fitting.size();
    progress.exact = fitting.size() == 1;
    if (progress.exact) {
        progress.doneSteps = fitting.front();
    } else if (fitting.empty()) {
        size_t best = 0;
        for (size_t k = 1; k <= n; ++k) {
            if (namesOff[k] + filesOff[k] < namesOff[best] + filesOff[best])
                best = k;
        }
        progress.doneSteps = best;
        progress.misfits = describeMisfits(journal, scan, facts, best);
    } else {
        progress.doneSteps = fitting.front();
        QStringList points;
        for (const size_t k : fitting)
            points << QString::number(journal.filesMoved(k));
        progress.misfits << Texts::severalPoints(points);
    }

    std::vector<bool> arrived(journal.files.size(), false);
    for (size_t k = 0; k < progress.doneSteps; ++k) {
        if (journal.steps[k].kind != JournalStep::OldToTemp)
            arrived[journal.steps[k].file] = true;
    }
    for (size_t i = 0; i < journal.files.size(); ++i)
        progress.filesDone += arrived[i] || journal.files[i].oldName == journal.files[i].newName;
    return progress;
}

CarriedOut carryOut(const Journal &journal, const Progress &progress, size_t from, size_t to,
                    FileMover &mover)
{
    CarriedOut result;
    result.reached = from;
    const QByteArray prefix = journal.folder + '/';
    if (!progress.leftover.isEmpty()) {
        SysCalls &sys = mover.sys();
        const int dirFd
            = sys.openAt(AT_FDCWD, journal.folderPath().constData(), O_RDONLY | O_DIRECTORY);
        const int e = dirFd < 0                                         ? errno
            : sys.unlinkFile(dirFd, progress.leftover.constData()) == 0 ? 0
                                                                        : errno;
        if (dirFd >= 0)
            sys.closeFd(dirFd);
        if (e != 0) {
            result.error = e;
            result.failure = Texts::leftoverNotRemoved(progress.leftover, e);
            result.moving = false;
            result.notTried = from < to ? to - from : from - to;
            return result;
        }
    }
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
                      Texts::Record record)
{
    const QByteArray recorded = journal.folderPath();
    VolumeIdentity here;
    if (canOpenFolder(sys, recorded)) {
        if (journal.volumeUuid.isEmpty())
            return recorded;
        here = volumeIdentityOf(recorded);
        if (here.uuid == journal.volumeUuid)
            return recorded;
    }
    if (!journal.volumeUuid.isEmpty() && recorded.startsWith(journal.mountPoint)) {
        const QByteArray inside
            = journal.mountPoint == "/" ? recorded : recorded.mid(journal.mountPoint.size());
        for (const QByteArray &mountPoint : mountPointsOf(journal.volumeUuid)) {
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

// Finds the record's folder and the point of the run it is at; journal then names the folder
// as it is mounted now. Shows the warning and returns false where the folder cannot be found
// or fits no single point: nothing may move then.
bool locate(IRenameWindow &window, Journal &journal, SysCalls &sys, Texts::Record record,
            Progress *progress)
{
    const QByteArray found = findFolder(window, journal, sys, record);
    if (found.isEmpty())
        return false;
    journal.folder = found == "/" ? QByteArray() : found;
    const FolderScan scan = FolderScan::read(journal.folderPath(), sys);
    if (!scan.ok()) {
        window.messageBox(
            Texts::journalFolderUnreadable(record, journal.folderPath(), scan.error()),
            MessageKind::Warning, warningTitle());
        return false;
    }
    *progress = findProgress(journal, scan, sys);
    if (progress->exact)
        return true;
    window.messageBox(
        progress->fittingPoints > 1
            ? Texts::journalPointUnclear(record, journal.folderPath(), progress->misfits)
            : Texts::journalFilesNotThere(record, journal.folderPath(), progress->misfits),
        MessageKind::Warning, warningTitle());
    return false;
}

void reportStoreError(IRenameWindow &window, int error, Texts::Settled settled)
{
    if (error == 0)
        return;
    window.messageBox(Texts::recordNotUpdated(settled, error), MessageKind::Error, errorTitle());
}

void reportFailedMove(IRenameWindow &window, const CarriedOut &result, bool undoButton)
{
    window.messageBox(
        Texts::recoveryFailed(result.failure, result.moving, result.notTried, undoButton),
        MessageKind::Error, errorTitle());
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
    Progress progress;
    if (!locate(window, journal, mover.sys(), Texts::Record::Interrupted, &progress))
        return QByteArray();

    const size_t total = journal.steps.size();
    MessageAnswer answer;
    if (progress.doneSteps == total && total > 0)
        answer = MessageAnswer::Continue; // every move made: only the record is left to settle
    else if (progress.doneSteps == 0)
        answer = MessageAnswer::Undo; // nothing moved: nothing to ask
    else
        answer = window.messageBox(
            Texts::recoveryQuestion(journal.folderPath(), progress.filesDone, progress.filesTotal),
            MessageKind::RecoveryQuestion, questionTitle());
    if (answer != MessageAnswer::Continue && answer != MessageAnswer::Undo)
        return QByteArray();
    const bool finish = answer == MessageAnswer::Continue;
    window.setStatusLine(busyCaption(), StatusLook::Busy);
    const CarriedOut result
        = carryOut(journal, progress, progress.doneSteps, finish ? total : 0, mover);
    window.setStatusLine(readyCaption(), StatusLook::Ready);
    if (!result.ok()) {
        reportFailedMove(window, result, false);
    } else if (finish) {
        // Now the last run, to be undone if the user wishes.
        reportStoreError(window, store.complete(journal.folderPath()),
                         Texts::Settled::InterruptedRunComplete);
    } else {
        reportStoreError(window, store.discardRunning(journal.folderPath()),
                         Texts::Settled::OldNamesBack);
    }
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
            || (!journal.volumeUuid.isEmpty() && !mountPointsOf(journal.volumeUuid).empty()));
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
    Progress progress;
    if (!locate(window, journal, mover.sys(), Texts::Record::Last, &progress))
        return QByteArray();
    if (progress.doneSteps > 0
        && window.messageBox(
               Texts::undoQuestion(journal.folderPath(), journal.filesMoved(progress.doneSteps)),
               MessageKind::Question, questionTitle())
            != MessageAnswer::Yes)
        return QByteArray();
    window.setStatusLine(busyCaption(), StatusLook::Busy);
    const CarriedOut result = carryOut(journal, progress, progress.doneSteps, 0, mover);
    window.setStatusLine(readyCaption(), StatusLook::Ready);
    if (!result.ok())
        reportFailedMove(window, result, true);
    else
        reportStoreError(window, store.discardLast(journal.folderPath()),
                         Texts::Settled::OldNamesBack);
    return journal.folderPath();
}
