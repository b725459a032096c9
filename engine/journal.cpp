#include "journal.h"

#include "renameplan.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char magic[] = "BWJOURN2";
constexpr int magicSize = 8;
constexpr int stateOffset = magicSize; // 'R' running, 'C' completed

quint32 fnv1a(const char *data, qsizetype size)
{
    quint32 hash = 2166136261u;
    for (qsizetype i = 0; i < size; ++i) {
        hash ^= quint8(data[i]);
        hash *= 16777619u;
    }
    return hash;
}

// Writes little-endian values and names into a buffer sized beforehand.
struct Writer
{
    char *at;
    template<typename T> void put(T value)
    {
        for (size_t i = 0; i < sizeof(T); ++i)
            *at++ = char((quint64(value) >> (8 * i)) & 0xff);
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
    // A name as the length it shares with the one before it, and the rest: the names of a run
    // are alike, and a smaller record is synced sooner.
    void nameAfter(const QByteArray &n, const QByteArray &before)
    {
        const quint16 shared = quint16(sharedPrefix(n, before));
        put<quint16>(shared);
        put<quint16>(quint16(n.size() - shared));
        std::memcpy(at, n.constData() + shared, size_t(n.size() - shared));
        at += n.size() - shared;
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
    QByteArray nameAfter(const QByteArray &before)
    {
        const quint16 shared = get<quint16>();
        if (shared > before.size()) {
            ok = false;
            return QByteArray();
        }
        return before.left(shared) + bytes(get<quint16>());
    }
};

int syncFolder(const QString &directory)
{
    const int fd
        = ::open(QFile::encodeName(directory).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const int e = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    return e;
}

int renameFile(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0
        ? 0
        : errno;
}

} // namespace

Fingerprint Fingerprint::of(const struct stat &st)
{
    return {quint64(st.st_ino), quint64(st.st_size),
            qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
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

Journal Journal::of(const QByteArray &folder, const std::vector<QByteArray> &oldNames,
                    const std::vector<QByteArray> &newNames,
                    const std::vector<QByteArray> &tempNames, const std::vector<Step> &steps)
{
    Journal j;
    j.folder = folder;
    const QByteArray path = j.folderPath();
    struct stat st;
    if (::stat(path.constData(), &st) == 0) {
        j.device = st.st_dev;
        j.inode = st.st_ino;
    }
    j.files.reserve(oldNames.size());
    for (size_t i = 0; i < oldNames.size(); ++i) {
        JournalFile f {
            oldNames[i], tempNames.empty() ? QByteArray() : tempNames[i], newNames[i], {}};
        if (!f.tempName.isEmpty()
            && ::lstat((folder + '/' + f.oldName).constData(), &st) == 0) // cycles only: few
            f.fingerprint = Fingerprint::of(st);
        j.files.push_back(std::move(f));
    }
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

QByteArray encodeJournal(const Journal &journal)
{
    qsizetype size = magicSize + 1 + 8 + 8 + 4 + journal.folder.size() + 4 + 4
        + qsizetype(journal.steps.size()) * 5 + 4;
    const QByteArray *oldBefore = &journal.folder, *newBefore = &journal.folder;
    for (const JournalFile &f : journal.files) {
        size += 10 + f.oldName.size() - Writer::sharedPrefix(f.oldName, *oldBefore)
            + f.tempName.size() + f.newName.size() - Writer::sharedPrefix(f.newName, *newBefore);
        if (!f.tempName.isEmpty())
            size += 24;
        oldBefore = &f.oldName;
        newBefore = &f.newName;
    }
    QByteArray out(size, Qt::Uninitialized);
    Writer w {out.data()};
    std::memcpy(w.at, magic, magicSize);
    w.at += magicSize;
    w.put<char>(journal.completed ? 'C' : 'R');
    w.put<quint64>(journal.device);
    w.put<quint64>(journal.inode);
    w.put<quint32>(quint32(journal.folder.size()));
    w.bytes(journal.folder);
    w.put<quint32>(quint32(journal.files.size()));
    oldBefore = newBefore = &journal.folder;
    for (const JournalFile &f : journal.files) {
        w.nameAfter(f.oldName, *oldBefore);
        w.name(f.tempName);
        w.nameAfter(f.newName, *newBefore);
        oldBefore = &f.oldName;
        newBefore = &f.newName;
        if (!f.tempName.isEmpty()) {
            w.put<quint64>(f.fingerprint.inode);
            w.put<quint64>(f.fingerprint.size);
            w.put<qint64>(f.fingerprint.mtimeNs);
        }
    }
    w.put<quint32>(quint32(journal.steps.size()));
    for (const JournalStep &s : journal.steps) {
        w.put<quint32>(s.file);
        w.put<quint8>(s.kind);
    }
    w.put<quint32>(fnv1a(out.constData() + stateOffset + 1, size - 4 - stateOffset - 1));
    Q_ASSERT(w.at == out.constData() + size);
    return out;
}

bool decodeJournal(const QByteArray &data, Journal *journal)
{
    if (data.size() < magicSize + 1 + 4 || std::memcmp(data.constData(), magic, magicSize) != 0)
        return false;
    const char state = data[stateOffset];
    if (state != 'R' && state != 'C')
        return false;
    Reader tail {data, data.size() - 4};
    if (tail.get<quint32>()
        != fnv1a(data.constData() + stateOffset + 1, data.size() - stateOffset - 1 - 4))
        return false;
    Reader in {data, stateOffset + 1};
    Journal j;
    j.completed = state == 'C';
    j.device = in.get<quint64>();
    j.inode = in.get<quint64>();
    j.folder = in.bytes(in.get<quint32>());
    const quint32 fileCount = in.get<quint32>();
    if (!in.ok || fileCount > quint32(data.size()))
        return false;
    j.files.reserve(fileCount);
    QByteArray oldBefore = j.folder, newBefore = j.folder;
    for (quint32 i = 0; i < fileCount && in.ok; ++i) {
        JournalFile f;
        f.oldName = in.nameAfter(oldBefore);
        f.tempName = in.name();
        f.newName = in.nameAfter(newBefore);
        oldBefore = f.oldName;
        newBefore = f.newName;
        if (!f.tempName.isEmpty()) {
            f.fingerprint.inode = in.get<quint64>();
            f.fingerprint.size = in.get<quint64>();
            f.fingerprint.mtimeNs = in.get<qint64>();
        }
        if (f.oldName.isEmpty() || f.newName.isEmpty())
            return false;
        j.files.push_back(std::move(f));
    }
    const quint32 stepCount = in.get<quint32>();
    if (!in.ok || stepCount > quint32(data.size()))
        return false;
    j.steps.reserve(stepCount);
    for (quint32 i = 0; i < stepCount && in.ok; ++i) {
        const quint32 file = in.get<quint32>();
        const quint8 kind = in.get<quint8>();
        if (file >= fileCount || kind > JournalStep::TempToNew
            || (kind != JournalStep::OldToNew && j.files[file].tempName.isEmpty()))
            return false;
        j.steps.push_back({file, JournalStep::Kind(kind)});
    }
    if (!in.ok || in.pos != data.size() - 4)
        return false;
    *journal = std::move(j);
    return true;
}

JournalStore::JournalStore(const QString &directory)
    : m_directory(directory)
{ }

QString JournalStore::defaultDirectory()
{
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    if (!state.isEmpty() && !QStandardPaths::isTestModeEnabled())
        return state + QStringLiteral("/Brixelwand");
    return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
}

QString JournalStore::runningPath() const
{
    return m_directory + QStringLiteral("/laufende-umbenennung.journal");
}

QString JournalStore::lastPath() const
{
    return m_directory + QStringLiteral("/letzte-umbenennung.journal");
}

int JournalStore::writeWhole(const QString &path, const QByteArray &data)
{
    // The folder is the user's own: nobody else reads what was renamed where.
    if (!QDir().mkpath(m_directory))
        return errno ? errno : EACCES;
    ::chmod(QFile::encodeName(m_directory).constData(), 0700);
    const QString temp = path + QStringLiteral(".neu");
    const int fd = ::open(QFile::encodeName(temp).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno;
    const char *p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int e = n < 0 ? errno : EIO;
            ::close(fd);
            ::unlink(QFile::encodeName(temp).constData());
            return e;
        }
        p += n;
        left -= n;
    }
    if (::fdatasync(fd) != 0 || ::close(fd) != 0) {
        const int e = errno;
        ::unlink(QFile::encodeName(temp).constData());
        return e;
    }
    if (const int e = renameFile(temp, path))
        return e;
    return syncFolder(m_directory);
}

int JournalStore::begin(const Journal &journal)
{
    return writeWhole(runningPath(), encodeJournal(journal));
}

int JournalStore::complete()
{
    const int fd = ::open(QFile::encodeName(runningPath()).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    const char done = 'C';
    int e = ::pwrite(fd, &done, 1, stateOffset) == 1 && ::fdatasync(fd) == 0 ? 0 : errno;
    ::close(fd);
    if (e == 0)
        e = renameFile(runningPath(), lastPath());
    return e ? e : syncFolder(m_directory);
}

int JournalStore::keepAsLast(Journal journal)
{
    journal.completed = true;
    const int e = writeWhole(lastPath(), encodeJournal(journal));
    discardRunning();
    return e;
}

void JournalStore::discardRunning()
{
    QFile::remove(runningPath());
}

void JournalStore::discardLast()
{
    QFile::remove(lastPath());
}

JournalStore::Load JournalStore::load(const QString &path, Journal *journal) const
{
    QFile file(path);
    if (!file.exists())
        return Load::None;
    if (!file.open(QIODevice::ReadOnly))
        return Load::Corrupt;
    return decodeJournal(file.readAll(), journal) ? Load::Ok : Load::Corrupt;
}

JournalStore::Load JournalStore::loadRunning(Journal *journal) const
{
    return load(runningPath(), journal);
}

JournalStore::Load JournalStore::loadLast(Journal *journal) const
{
    return load(lastPath(), journal);
}

void JournalStore::setAsideRunning()
{
    const QString aside = runningPath() + QStringLiteral(".beschaedigt");
    QFile::remove(aside);
    renameFile(runningPath(), aside);
}
