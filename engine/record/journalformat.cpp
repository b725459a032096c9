// SPDX-License-Identifier: GPL-3.0-or-later
#include "journalformat.h"

#include "filemover.h"
#include "fnv1a.h"
#include "folderscan.h"
#include "renameplan.h"
#include "volumeidentity.h"

#include <QDateTime>
#include <QtEndian>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <system_error>
#include <thread>

namespace {

// The format written; the three before it are read.
const char magic[] = "BWJOURN5";
const char magic4[] = "BWJOURN4"; // names share their beginning only; a byte-wise checksum
const char magic3[] = "BWJOURN3"; // a fingerprint for every moving file
const char magic2[] = "BWJOURN2"; // no volume and no start time; fingerprints in cycles only
constexpr int magicSize = 8;
constexpr int stateOffset = journalStateOffset;
static_assert(stateOffset == magicSize);

quint32 fnv1a(const char *data, qsizetype size)
{
    quint32 hash = 2166136261u;
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= quint8(data[i]);
        hash *= 16777619u;
    }
    return hash;
}

// The checksum of the current format: eight bytes a step, which a run of tens of thousands of
// files records before its first move; a byte a step took half the time of the record's making.
quint32 wordChecksum(const char *data, qsizetype size)
{
    quint64 hash = 0x9e3779b97f4a7c15ull ^ quint64(size);
    const auto mix = [&hash](quint64 word) {
        hash = (hash ^ word) * 0xff51afd7ed558ccdull;
        hash ^= hash >> 32;
    };
    qsizetype i = 0;
    for (; i + 8 <= size; i += 8)
        mix(qFromLittleEndian<quint64>(data + i));
    quint64 last = 0;
    for (qsizetype k = i; k < size; ++k)
        last |= quint64(quint8(data[k])) << (8 * (k - i));
    mix(last);
    return quint32(hash ^ hash >> 32);
}

// Writes little-endian values and names into a buffer sized beforehand.
// Seven bits a byte, the high bit set on all but the last: sizes and time steps are small.
int varintSize(quint64 value)
{
    int n = 1;
    while (value >= 0x80) {
        value >>= 7;
        ++n;
    }
    return n;
}

// A signed step as an unsigned number, small for small steps either way.
quint64 zigzag(qint64 v)
{
    return (quint64(v) << 1) ^ quint64(v >> 63);
}

qint64 unzigzag(quint64 v)
{
    return qint64(v >> 1) ^ -qint64(v & 1);
}

struct Writer
{
    char *at;
    template<typename T> void put(T value)
    {
        for (size_t i = 0; i < sizeof(T); ++i)
            *at++ = char((quint64(value) >> (8 * i)) & 0xff);
    }
    void varint(quint64 value)
    {
        while (value >= 0x80) {
            *at++ = char((value & 0x7f) | 0x80);
            value >>= 7;
        }
        *at++ = char(value);
    }
    void bytes(const QByteArray &b)
    {
        std::memcpy(at, b.constData(), size_t(b.size()));
        at += b.size();
    }
    void name(const QByteArray &n)
    {
        put<quint16>(quint16(n.size()));
        bytes(n);
    }
    void shortName(const QByteArray &n)
    {
        varint(quint64(n.size()));
        bytes(n);
    }
    // A name as the lengths of its beginning and its end that the one before has too, and what
    // lies between: a run's names differ in a few digits before the same extension, and a
    // smaller record is synced sooner.
    void nameBetween(const QByteArray &n, const QByteArray &before)
    {
        const qsizetype shared = sharedPrefix(n, before);
        const qsizetype end = sharedSuffix(n, before, shared);
        varint(quint64(shared));
        varint(quint64(end));
        const qsizetype middle = n.size() - shared - end;
        varint(quint64(middle));
        std::memcpy(at, n.constData() + shared, size_t(middle));
        at += middle;
    }
    static qsizetype nameBetweenSize(const QByteArray &n, const QByteArray &before)
    {
        const qsizetype shared = sharedPrefix(n, before);
        const qsizetype end = sharedSuffix(n, before, shared);
        const qsizetype middle = n.size() - shared - end;
        return varintSize(quint64(shared)) + varintSize(quint64(end)) + varintSize(quint64(middle))
            + middle;
    }
    // How many bytes n ends with that before ends with too, not counting into the first
    // shared bytes of either.
    static qsizetype sharedSuffix(const QByteArray &n, const QByteArray &before, qsizetype shared)
    {
        const qsizetype most
            = std::min<qsizetype>(std::min(n.size(), before.size()) - shared, 0xffff);
        qsizetype i = 0;
        while (i < most && n[n.size() - 1 - i] == before[before.size() - 1 - i])
            ++i;
        return i;
    }
    static qsizetype sharedPrefix(const QByteArray &a, const QByteArray &b)
    {
        const qsizetype n = std::min<qsizetype>(std::min(a.size(), b.size()), 0xffff);
        qsizetype i = 0;
        while (i < n && a[i] == b[i])
            ++i;
        return i;
    }
};

// Reads little-endian values and names; any read past the end makes ok false.
struct Reader
{
    const QByteArray &data;
    qsizetype pos;
    bool ok = true;

    template<typename T> T get()
    {
        if (!ok || data.size() - pos < qsizetype(sizeof(T))) {
            ok = false;
            return T();
        }
        quint64 v = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            v |= quint64(quint8(data[pos + qsizetype(i)])) << (8 * i);
        pos += qsizetype(sizeof(T));
        return T(v);
    }
    QByteArray bytes(qsizetype n)
    {
        if (!ok || n < 0 || data.size() - pos < n) {
            ok = false;
            return QByteArray();
        }
        const QByteArray b = data.mid(pos, n);
        pos += n;
        return b;
    }
    QByteArray name() { return bytes(get<quint16>()); }
    quint64 varint()
    {
        quint64 value = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const quint8 b = get<quint8>();
            if (!ok)
                return 0;
            value |= quint64(b & 0x7f) << shift;
            if (!(b & 0x80))
                return value;
        }
        ok = false;
        return 0;
    }
    QByteArray nameAfter(const QByteArray &before)
    {
        const quint16 shared = get<quint16>();
        if (shared > before.size()) {
            ok = false;
            return QByteArray();
        }
        return before.left(shared) + bytes(get<quint16>());
    }
    QByteArray shortNameAfter(const QByteArray &before)
    {
        const quint64 shared = varint();
        if (shared > quint64(before.size())) {
            ok = false;
            return QByteArray();
        }
        const quint64 rest = varint();
        return before.left(qsizetype(shared))
            + bytes(rest > quint64(data.size()) ? -1 : qsizetype(rest));
    }
    QByteArray nameBetween(const QByteArray &before)
    {
        const quint64 shared = varint();
        const quint64 end = varint();
        if (shared > quint64(before.size()) || end > quint64(before.size()) - shared) {
            ok = false;
            return QByteArray();
        }
        const quint64 middle = varint();
        return before.left(qsizetype(shared))
            + bytes(middle > quint64(data.size()) ? -1 : qsizetype(middle))
            + before.right(qsizetype(end));
    }
    QByteArray shortName()
    {
        const quint64 size = varint();
        return bytes(size > quint64(data.size()) ? -1 : qsizetype(size));
    }
};

} // namespace

Fingerprint Fingerprint::of(const struct stat &st)
{
    Fingerprint f;
    f.known = true;
    f.size = quint64(st.st_size);
    f.mtimeNs = nanosecondsOf(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
    return f;
}

bool headOf(SysCalls &sys, int dirFd, const char *name, quint64 *head)
{
    const int fd = sys.openAt(dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0)
        return false;
    constexpr qsizetype headSize = 64 * 1024;
    QByteArray buffer(headSize, Qt::Uninitialized);
    qsizetype got = 0;
    while (got < headSize) {
        const long n = sys.readFd(fd, buffer.data() + got, quint64(headSize - got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            sys.closeFd(fd);
            return false;
        }
        if (n == 0)
            break;
        got += n;
    }
    sys.closeFd(fd);
    *head = fnv1a64(QByteArrayView(buffer.constData(), got));
    return true;
}

QByteArray Journal::from(const JournalStep &step) const
{
    const JournalFile &f = files[step.file];
    return step.kind == JournalStep::TempToNew ? f.tempName : f.oldName;
}

QByteArray Journal::to(const JournalStep &step) const
{
    const JournalFile &f = files[step.file];
    return step.kind == JournalStep::OldToTemp ? f.tempName : f.newName;
}

int Journal::filesMoved(size_t doneSteps) const
{
    std::vector<bool> moved(files.size(), false);
    int count = 0;
    for (size_t k = 0; k < doneSteps && k < steps.size(); ++k) {
        if (!moved[steps[k].file]) {
            moved[steps[k].file] = true;
            ++count;
        }
    }
    return count;
}

namespace {

bool plainName(const QByteArray &name)
{
    return !name.isEmpty() && name != "." && name != ".." && !name.contains('/')
        && !name.contains('\0');
}

bool absoluteFolder(const QByteArray &folder)
{
    if (folder.isEmpty())
        return true; // the root
    if (!folder.startsWith('/') || folder.endsWith('/') || folder.contains('\0'))
        return false;
    for (const QByteArray &part : folder.mid(1).split('/')) {
        if (!plainName(part))
            return false;
    }
    return true;
}

} // namespace

bool Journal::valid() const
{
    if (!absoluteFolder(folder))
        return false;
    for (const JournalFile &f : files) {
        if (!plainName(f.oldName) || !plainName(f.newName)
            || (!f.tempName.isEmpty() && !plainName(f.tempName)))
            return false;
    }
    // 0: not moved yet, 1: at its new name, 2: at its temporary name.
    std::vector<quint8> where(files.size(), 0);
    for (const JournalStep &s : steps) {
        if (s.file >= files.size())
            return false;
        quint8 &w = where[s.file];
        switch (s.kind) {
        case JournalStep::OldToNew:
            if (w != 0)
                return false;
            w = 1;
            break;
        case JournalStep::OldToTemp:
            if (w != 0 || files[s.file].tempName.isEmpty())
                return false;
            w = 2;
            break;
        case JournalStep::TempToNew:
            if (w != 2)
                return false;
            w = 1;
            break;
        default:
            return false;
        }
    }
    return true;
}

Journal Journal::fromPlan(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                          const std::vector<QByteArray> &newNames,
                          const std::vector<QByteArray> &tempNames, const std::vector<Step> &steps)
{
    Journal j;
    j.folder = folder;
    j.startedNs = QDateTime::currentMSecsSinceEpoch() * 1000000;
    j.files.reserve(oldNames.size());
    for (size_t i = 0; i < oldNames.size(); ++i)
        j.files.push_back(
            {oldNames[i], tempNames.empty() ? QByteArray() : tempNames[i], newNames[i], {}});
    j.steps.reserve(steps.size());
    for (const Step &s : steps) {
        const JournalFile &f = j.files[size_t(s.file)];
        const JournalStep::Kind kind = s.to == f.tempName   ? JournalStep::OldToTemp
            : s.from == f.tempName && !f.tempName.isEmpty() ? JournalStep::TempToNew
                                                            : JournalStep::OldToNew;
        j.steps.push_back({quint32(s.file), kind});
    }
    return j;
}

Journal Journal::fromPlan(const RenamePlan &plan)
{
    return fromPlan(plan.folder, plan.oldNames, plan.newNames, plan.tempNames, plan.steps);
}

void Journal::readDisk(SysCalls *sysCalls)
{
    SysCalls &sys = sysCalls ? *sysCalls : SysCalls::real();
    // The folder as it is, not as a link names it: its card is found again by its mount point.
    QByteArray resolved;
    if (sys.resolvePath(folderPath().constData(), &resolved) == 0)
        folder = resolved == "/" ? QByteArray() : resolved;
    const VolumeIdentity volume = volumeIdentityOf(folderPath(), sys);
    volumeUuid = volume.uuid;
    mountPoint = volume.mountPoint;
    const int dirFd = sys.openAt(AT_FDCWD, folderPath().constData(), O_RDONLY | O_DIRECTORY);
    if (dirFd < 0)
        return;
    struct stat st;
    if (sys.fstatFd(dirFd, &st) == 0) {
        device = st.st_dev;
        inode = st.st_ino;
    }
    std::vector<quint32> moving; // the files whose fingerprint is read, in the order they move
    moving.reserve(files.size());
    for (const JournalStep &s : steps) {
        if (s.kind != JournalStep::TempToNew)
            moving.push_back(s.file);
    }
    moving = needingFingerprints(moving);
    // Sizes and times first; most of the record's time is this one call per file, and on a
    // large run two cores share it, each its half of the files.
    std::vector<char> found(files.size(), 0); // by file; not vector<bool>: two writers
    const auto read = [&](size_t from, size_t to) {
        for (size_t i = from; i < to; ++i) {
            JournalFile &f = files[moving[i]];
            f.fingerprint.known = sys.sizeAndTime(dirFd, f.oldName.constData(), &f.fingerprint.size,
                                                  &f.fingerprint.mtimeNs)
                == 0;
            found[moving[i]] = f.fingerprint.known;
        }
    };
    const size_t half = moving.size() / 2;
    bool shared = false;
    if (half >= 2048 && std::thread::hardware_concurrency() > 1) {
        try {
            std::thread other(read, half, moving.size());
            read(0, half);
            other.join();
            shared = true;
        } catch (const std::system_error &) {
            // No thread to be had: this one reads them all below.
        }
    }
    if (!shared)
        read(0, moving.size());
    // In a cycle the same names come back; a case-only rename is told by the letter case.
    for (const JournalStep &s : steps) {
        JournalFile &f = files[s.file];
        if (s.kind == JournalStep::OldToTemp && found[s.file]
            && QString::fromUtf8(f.oldName).compare(QString::fromUtf8(f.newName),
                                                    Qt::CaseInsensitive)
                != 0)
            f.fingerprint.hasHead = headOf(sys, dirFd, f.oldName.constData(), &f.fingerprint.head);
    }
    sys.closeFd(dirFd);
}

namespace {

// A hash of a name that is the same for names that differ in letter case only: a name that
// is an old and a new name of the run only as far as the hashes go costs a fingerprint more,
// never one less. Eight bytes at a time, their ASCII capitals lowered all at once: a run's
// record hashes every old and new name, and a byte at a time took most of its time.
quint64 looseHash(QByteArrayView name, bool folded = false)
{
    constexpr quint64 ones = 0x0101010101010101ull;
    constexpr quint64 highBits = 0x8080808080808080ull;
    quint64 hash = quint64(name.size()) * 0x9e3779b97f4a7c15ull;
    qsizetype at = 0;
    while (at < name.size()) {
        quint64 word = 0;
        const qsizetype n = std::min<qsizetype>(8, name.size() - at);
        std::memcpy(&word, name.data() + at, size_t(n));
        if (!(word & highBits)) {
            // Each byte below 0x80: adding 0x80 - 'A' sets its high bit from 'A' on, adding
            // 0x80 - 'Z' - 1 from past 'Z' on; a capital has the first and not the second.
            const quint64 capitals
                = (word + (0x80 - 'A') * ones) & ~(word + (0x80 - 'Z' - 1) * ones) & highBits;
            word |= capitals >> 2; // 0x80 >> 2: the 0x20 between a capital and its small letter
        } else if (!folded) {
            // Not ASCII: the name's case folding, which has no capitals left, hashed instead.
            return looseHash(foldCase(name.toByteArray(), InvalidUtf8::LowerAscii), true);
        }
        hash = (hash ^ word) * 0xff51afd7ed558ccdull;
        hash ^= hash >> 32;
        at += n;
    }
    return hash ^ hash >> 29;
}

} // namespace

std::vector<quint32> Journal::needingFingerprints(const std::vector<quint32> &moving) const
{
    // The moving files by the hash of their old name, in one open-addressing table; each new
    // name looked up there finds the files whose old name it is, letter case aside. A slot is
    // found by the hash's low bits and holds its high half (with the low bit set, 0 is free)
    // and the file's place in moving: two hashes match where both do.
    struct Slot
    {
        quint32 tag = 0;
        quint32 at = 0;
    };
    const size_t n = moving.size();
    const size_t size = std::max<size_t>(16, size_t(1) << (64 - __builtin_clzll(2 * n + 1)));
    const size_t mask = size - 1;
    std::vector<Slot> byOldName(size);
    std::vector<quint64> news(n);
    std::vector<char> needs(n, 0);
    const auto tagOf = [](quint64 hash) { return quint32(hash >> 32) | 1; };
    for (size_t k = 0; k < n; ++k) {
        const JournalFile &f = files[moving[k]];
        const quint64 old = looseHash(f.oldName);
        news[k] = looseHash(f.newName);
        size_t slot = old & mask;
        while (byOldName[slot].tag != 0)
            slot = (slot + 1) & mask;
        byOldName[slot] = {tagOf(old), quint32(k)};
    }
    // A file whose new name is an old name of the run, and the file of that old name; a
    // case-only rename finds its own.
    for (size_t k = 0; k < n; ++k) {
        const quint32 tag = tagOf(news[k]);
        for (size_t slot = news[k] & mask; byOldName[slot].tag != 0; slot = (slot + 1) & mask) {
            if (byOldName[slot].tag == tag)
                needs[k] = needs[byOldName[slot].at] = 1;
        }
    }
    const size_t sample = std::min(n, cardSample);
    std::vector<quint32> chosen;
    // The sample: every (moving / sample)th file, from the first on.
    size_t sampled = 0, nextSampled = 0;
    for (size_t k = 0; k < n; ++k) {
        const bool inSample = sampled < sample && k == nextSampled;
        if (inSample)
            nextSampled = ++sampled * n / sample;
        if (inSample || needs[k])
            chosen.push_back(moving[k]);
    }
    return chosen;
}

Journal Journal::of(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                    const std::vector<QByteArray> &newNames,
                    const std::vector<QByteArray> &tempNames, const std::vector<Step> &steps,
                    SysCalls *sys)
{
    Journal j = fromPlan(folder, oldNames, newNames, tempNames, steps);
    j.readDisk(sys);
    return j;
}

Journal Journal::of(const RenamePlan &plan, SysCalls *sys)
{
    return of(plan.folder, plan.oldNames, plan.newNames, plan.tempNames, plan.steps, sys);
}

QByteArray encodeJournal(const Journal &journal)
{
    qsizetype size = magicSize + 1 + 8 + 8 + 8 + 2 + journal.volumeUuid.size() + 2
        + journal.mountPoint.size() + 4 + journal.folder.size() + 4 + 4 + 4;
    // A step as its file's distance from the file of the step before, and its kind: one byte
    // where the files move in their order.
    const auto stepCode = [](const JournalStep &s, qint64 fileBefore) {
        return zigzag(qint64(s.file) - fileBefore - 1) << 2 | s.kind;
    };
    qint64 fileBefore = -1;
    for (const JournalStep &s : journal.steps) {
        size += varintSize(stepCode(s, fileBefore));
        fileBefore = s.file;
    }
    const QByteArray *oldBefore = &journal.folder, *newBefore = &journal.folder;
    qint64 mtimeBefore = 0;
    for (const JournalFile &f : journal.files) {
        const Fingerprint &fp = f.fingerprint;
        size += Writer::nameBetweenSize(f.oldName, *oldBefore)
            + varintSize(quint64(f.tempName.size())) + f.tempName.size()
            + Writer::nameBetweenSize(f.newName, *newBefore)
            + (fp.known ? varintSize(fp.size << 2 | 2 | quint64(fp.hasHead))
                       + varintSize(zigzag(fp.mtimeNs - mtimeBefore)) + (fp.hasHead ? 8 : 0)
                        : 1);
        oldBefore = &f.oldName;
        newBefore = &f.newName;
        if (fp.known)
            mtimeBefore = fp.mtimeNs;
    }
    QByteArray out(size, Qt::Uninitialized);
    Writer w {out.data()};
    std::memcpy(w.at, magic, magicSize);
    w.at += magicSize;
    w.put<char>(journal.completed ? 'C' : 'R');
    w.put<quint64>(journal.device);
    w.put<quint64>(journal.inode);
    w.put<qint64>(journal.startedNs);
    w.name(journal.volumeUuid);
    w.name(journal.mountPoint);
    w.put<quint32>(quint32(journal.folder.size()));
    w.bytes(journal.folder);
    w.put<quint32>(quint32(journal.files.size()));
    oldBefore = newBefore = &journal.folder;
    mtimeBefore = 0;
    for (const JournalFile &f : journal.files) {
        w.nameBetween(f.oldName, *oldBefore);
        w.shortName(f.tempName);
        w.nameBetween(f.newName, *newBefore);
        oldBefore = &f.oldName;
        newBefore = &f.newName;
        // Size, whether size and time are known and whether a hash follows (0 for a file
        // without a fingerprint); the time as its step from the last file that has one.
        const Fingerprint &fp = f.fingerprint;
        if (!fp.known) {
            w.varint(0);
            continue;
        }
        w.varint(fp.size << 2 | 2 | quint64(fp.hasHead));
        w.varint(zigzag(fp.mtimeNs - mtimeBefore));
        mtimeBefore = fp.mtimeNs;
        if (fp.hasHead)
            w.put<quint64>(fp.head);
    }
    w.put<quint32>(quint32(journal.steps.size()));
    fileBefore = -1;
    for (const JournalStep &s : journal.steps) {
        w.varint(stepCode(s, fileBefore));
        fileBefore = s.file;
    }
    w.put<quint32>(wordChecksum(out.constData() + stateOffset + 1, size - 4 - stateOffset - 1));
    Q_ASSERT(w.at == out.constData() + size);
    return out;
}

bool decodeJournal(const QByteArray &data, Journal *journal)
{
    if (data.size() < magicSize + 1 + 4)
        return false;
    const int version = std::memcmp(data.constData(), magic, magicSize) == 0 ? 5
        : std::memcmp(data.constData(), magic4, magicSize) == 0              ? 4
        : std::memcmp(data.constData(), magic3, magicSize) == 0              ? 3
        : std::memcmp(data.constData(), magic2, magicSize) == 0              ? 2
                                                                             : 0;
    if (version == 0)
        return false;
    const char state = data[stateOffset];
    if (state != 'R' && state != 'C')
        return false;
    Reader tail {data, data.size() - 4};
    const char *checked = data.constData() + stateOffset + 1;
    const qsizetype checkedSize = data.size() - stateOffset - 1 - 4;
    if (tail.get<quint32>()
        != (version >= 5 ? wordChecksum(checked, checkedSize) : fnv1a(checked, checkedSize)))
        return false;
    Reader in {data, stateOffset + 1};
    Journal j;
    j.completed = state == 'C';
    j.device = in.get<quint64>();
    j.inode = in.get<quint64>();
    if (version >= 3) {
        j.startedNs = in.get<qint64>();
        j.volumeUuid = in.name();
        j.mountPoint = in.name();
    } else {
        // No start time: no empty file is taken for a reservation of this run.
        j.startedNs = std::numeric_limits<qint64>::max();
    }
    j.folder = in.bytes(in.get<quint32>());
    const quint32 fileCount = in.get<quint32>();
    if (!in.ok || fileCount > quint32(data.size()))
        return false;
    j.files.reserve(fileCount);
    QByteArray oldBefore = j.folder, newBefore = j.folder;
    qint64 mtimeBefore = 0;
    for (quint32 i = 0; i < fileCount && in.ok; ++i) {
        JournalFile f;
        const auto nameAfter = [&in, version](const QByteArray &before) {
            return version >= 5 ? in.nameBetween(before)
                : version == 4  ? in.shortNameAfter(before)
                                : in.nameAfter(before);
        };
        f.oldName = nameAfter(oldBefore);
        f.tempName = version >= 4 ? in.shortName() : in.name(); // lengths as varints from 4 on
        f.newName = nameAfter(newBefore);
        oldBefore = f.oldName;
        newBefore = f.newName;
        Fingerprint &fp = f.fingerprint;
        if (version == 2) {
            // Inode, size and time of a file in a cycle; the inode is not used any more.
            if (!f.tempName.isEmpty()) {
                in.get<quint64>();
                fp.known = true;
                fp.size = in.get<quint64>();
                fp.mtimeNs = in.get<qint64>();
            }
            j.files.push_back(std::move(f));
            continue;
        }
        const quint64 sizeAndFlags = in.varint();
        fp.known = version == 3 || (sizeAndFlags & 2);
        fp.size = version == 3 ? sizeAndFlags >> 1 : sizeAndFlags >> 2;
        fp.hasHead = sizeAndFlags & 1;
        if (fp.known) {
            fp.mtimeNs = mtimeBefore + unzigzag(in.varint());
            mtimeBefore = fp.mtimeNs;
        } else if (sizeAndFlags != 0) {
            return false;
        }
        if (fp.hasHead)
            fp.head = in.get<quint64>();
        j.files.push_back(std::move(f));
    }
    const quint32 stepCount = in.get<quint32>();
    if (!in.ok || stepCount > quint32(data.size()))
        return false;
    j.steps.reserve(stepCount);
    qint64 fileBefore = -1;
    for (quint32 i = 0; i < stepCount && in.ok; ++i) {
        qint64 file;
        quint8 kind;
        if (version >= 4) {
            const quint64 code = in.varint();
            file = fileBefore + 1 + unzigzag(code >> 2);
            kind = quint8(code & 3);
            if (file < 0 || file > qint64(std::numeric_limits<quint32>::max()))
                return false;
        } else {
            file = in.get<quint32>();
            kind = in.get<quint8>();
        }
        if (kind > JournalStep::TempToNew)
            return false;
        j.steps.push_back({quint32(file), JournalStep::Kind(kind)});
        fileBefore = file;
    }
    if (!in.ok || in.pos != data.size() - 4 || !j.valid())
        return false;
    *journal = std::move(j);
    return true;
}
