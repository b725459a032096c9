// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderscan.h"

#include "filemover.h"
#include "fnv1a.h"
#include "volumeidentity.h"

#include <QString>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

// FNV-1a: quick on short names, and the table is the scan's own.
size_t hashName(QByteArrayView name)
{
    const quint64 hash = fnv1a64(name);
    return size_t(hash ^ (hash >> 32));
}

constexpr long msdosMagic = 0x4d44;
constexpr long exfatMagic = 0x2011bab0;
constexpr long fuseMagic = 0x65735546; // every FUSE file system
constexpr long cifsMagic = 0xff534d42;
constexpr long smb2Magic = 0xfe534d42;

EntryType typeOfMode(mode_t mode)
{
    if (S_ISREG(mode))
        return EntryType::File;
    if (S_ISDIR(mode))
        return EntryType::Folder;
    if (S_ISLNK(mode))
        return EntryType::Symlink;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return EntryType::Device;
    return EntryType::Special;
}

EntryType typeOfDirent(unsigned char type)
{
    switch (type) {
    case DT_REG:
        return EntryType::File;
    case DT_DIR:
        return EntryType::Folder;
    case DT_LNK:
        return EntryType::Symlink;
    case DT_CHR:
    case DT_BLK:
        return EntryType::Device;
    case DT_FIFO:
    case DT_SOCK:
        return EntryType::Special;
    default:
        return EntryType::Missing; // unknown: ask lstat
    }
}

// The name with the case of its ASCII letters changed, or empty when it has none. ASCII
// letters, because every file system that ignores case folds those alike.
QByteArray otherCase(QByteArray other)
{
    bool changed = false;
    for (char &c : other) {
        if (c >= 'a' && c <= 'z') {
            c = char(c - 'a' + 'A');
            changed = true;
        } else if (c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
            changed = true;
        }
    }
    return changed ? other : QByteArray();
}

// How a FUSE mount (all share one magic) treats names: a block-device FUSE mount ("fuseblk")
// holds exFAT or NTFS, which ignore case and limit names to 255 UTF-16 units; a FUSE file
// system of another kind ("fuse.sshfs") tells its type in its subtype.
struct FuseKind
{
    bool ignoresCase = false;
    bool countsUtf16 = false;
};

FuseKind fuseKindOf(SysCalls &sys, const QByteArray &folder, dev_t device)
{
    QByteArray path = folder;
    sys.resolvePath(folder.constData(), &path);
    const std::vector<MountEntry> mounts = parseMountInfo(readMountInfo(sys));
    const MountEntry *mount = mountOf(mounts, path, device);
    if (!mount)
        return {};
    const QByteArray &type = mount->fsType;
    const qsizetype dot = type.indexOf('.');
    const QByteArray subtype = dot < 0 ? QByteArray() : type.mid(dot + 1);
    static const char *const foldingTypes[] = {"exfat", "ntfs", "ntfs-3g", "vfat", "msdos"};
    for (const char *t : foldingTypes)
        if (subtype == t)
            return {true, true};
    if (type == "fuseblk")
        return {true, true};
    return {};
}

constexpr long ntfs3Magic = 0x7366746e; // the kernel's ntfs3
constexpr quint8 dosHidden = 0x02;
constexpr quint8 dosSystem = 0x04;

// Reads the DOS attributes of files on FAT and NTFS media; elsewhere there are none.
class DosAttributes
{
public:
    DosAttributes(SysCalls &sys, int dirFd, long fsType)
        : m_sys(sys)
        , m_dirFd(dirFd)
        , m_fat(fsType == msdosMagic)
        , m_xattr(fsType == ntfs3Magic || fsType == fuseMagic) // ntfs-3g mounts as fuseblk
    { }

    quint8 of(const char *name)
    {
        if (m_fat) {
            const int fd = m_sys.openAt(m_dirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
            if (fd < 0)
                return 0;
            __u32 attributes = 0;
            if (m_sys.ioctlFd(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0)
                attributes = 0;
            m_sys.closeFd(fd);
            return quint8(attributes);
        }
        if (m_xattr) {
            const QByteArray path
                = QByteArray("/proc/self/fd/") + QByteArray::number(m_dirFd) + '/' + name;
            unsigned char value[4] = {};
            // ntfs-3g's little-endian and the kernel driver's attribute, whichever is there.
            for (const char *key : {"system.ntfs_attrib", "system.dos_attrib"}) {
                const long n = m_sys.getXattr(path.constData(), key, value, sizeof value);
                if (n == 4)
                    return quint8(value[0]);
                if (n < 0 && (errno == ENOTSUP || errno == EOPNOTSUPP)) {
                    m_xattr = false; // a FUSE file system that is not NTFS
                    break;
                }
            }
        }
        return 0;
    }

private:
    SysCalls &m_sys;
    int m_dirFd;
    bool m_fat;
    bool m_xattr;
};

} // namespace

QByteArray foldCase(const QByteArray &name, InvalidUtf8 invalid)
{
    const QString text = QString::fromUtf8(name);
    if (text.toUtf8() == name)
        return text.toCaseFolded().toUtf8();
    return invalid == InvalidUtf8::LowerAscii ? name.toLower() : name;
}

bool FolderScan::sameEntries(const FolderScan &other) const
{
    return m_error == other.m_error && m_ignoresCase == other.m_ignoresCase
        && m_countsUtf16 == other.m_countsUtf16 && m_nameMax == other.m_nameMax
        && m_device == other.m_device && m_inode == other.m_inode && m_names == other.m_names
        && m_lengths == other.m_lengths && m_types == other.m_types;
}

FolderScan FolderScan::read(const QByteArray &folder, SysCalls &sys, Details details)
{
    FolderScan scan;
    const QByteArray path = folder.isEmpty() ? QByteArray("/") : folder;
    const int fd = sys.openDirectory(path.constData());
    if (fd < 0) {
        scan.m_error = errno ? errno : EIO;
        return scan;
    }
    struct stat self;
    if (sys.fstatFd(fd, &self) == 0) {
        scan.m_device = self.st_dev;
        scan.m_inode = self.st_ino;
    }
    struct statfs fs;
    long fsType = 0;
    if (sys.fstatfsFd(fd, &fs) == 0)
        fsType = long(fs.f_type);
    const FuseKind fuse = fsType == fuseMagic ? fuseKindOf(sys, path, scan.m_device) : FuseKind();
    scan.m_countsUtf16 = fsType == msdosMagic || fsType == exfatMagic || fuse.countsUtf16;
    const long max = sys.nameMaxOf(fd);
    scan.m_nameMax = scan.m_countsUtf16 ? 255 : (max > 0 ? max : 255);

    // An entry deleted since the listing fails its lstat: it counts as special, not as an
    // error of the folder.
    const bool listing = details == Details::Listing;
    DosAttributes dos(sys, fd, fsType);
    const int listed = sys.listFolder(fd, [&](const char *n, unsigned char direntType) {
        EntryType type = typeOfDirent(direntType);
        struct stat st;
        if (type == EntryType::Missing)
            type = sys.statEntry(fd, n, &st) == 0 ? typeOfMode(st.st_mode) : EntryType::Special;
        scan.add(QByteArrayView(n), type);
        if (!listing)
            return;
        // What the list shows: a link as what it leads to (Missing where it leads nowhere),
        // and the DOS attributes of files.
        EntryType target = type;
        if (type == EntryType::Symlink)
            target
                = sys.statFollowing(fd, n, &st) == 0 ? typeOfMode(st.st_mode) : EntryType::Missing;
        scan.m_targets.push_back(target);
        scan.m_dos.push_back(target == EntryType::File ? dos.of(n) : quint8(0));
    });
    const int readError = listed == 0 ? 0 : (errno ? errno : EIO);
    scan.buildIndex();
    if (readError != 0)
        scan.m_error = readError;

    // Ask the kernel, without writing: a listed name in another case that the listing does not
    // hold, looked up. Found, the folder ignores case. Inode numbers cannot decide: FUSE exFAT
    // gives each spelling its own. Two listed names that differ in case only mean the folder
    // tells case apart. Only a folder without a name to ask falls back to its file system.
    bool decided = false;
    for (int e = 0; e < scan.entryCount() && !decided; ++e) {
        const QByteArray other = otherCase(scan.name(e));
        if (other.isEmpty())
            continue;
        decided = true;
        if (scan.findExact(other) >= 0) {
            scan.m_ignoresCase = false;
            break;
        }
        struct stat st;
        if (sys.statEntry(fd, other.constData(), &st) == 0)
            scan.m_ignoresCase = true;
        else if (errno == ENOENT || errno == ENOTDIR)
            scan.m_ignoresCase = false;
        else
            decided = false; // no answer; try the next name
    }
    if (!decided)
        scan.m_ignoresCase
            = scan.m_countsUtf16 || fuse.ignoresCase || fsType == cifsMagic || fsType == smb2Magic;
    sys.closeFd(fd);
    scan.setIgnoresCase(scan.m_ignoresCase);
    return scan;
}

EntryType FolderScan::shownType(int entry) const
{
    return m_targets.empty() ? type(entry) : m_targets[size_t(entry)];
}

bool FolderScan::dosHiddenFlag(int entry) const
{
    return !m_dos.empty() && (m_dos[size_t(entry)] & dosHidden);
}

bool FolderScan::dosSystemFlag(int entry) const
{
    return !m_dos.empty() && (m_dos[size_t(entry)] & dosSystem);
}

void FolderScan::add(QByteArrayView name, EntryType type)
{
    m_offsets.push_back(quint32(m_names.size()));
    m_lengths.push_back(quint16(name.size()));
    m_types.push_back(type);
    m_names.append(name.data(), name.size());
}

void FolderScan::buildIndex()
{
    size_t size = 16;
    while (size < 2 * m_types.size())
        size *= 2;
    m_slots.assign(size, -1);
    for (int e = 0; e < entryCount(); ++e) {
        size_t slot = hashName(QByteArrayView(m_names.constData() + m_offsets[size_t(e)],
                                              m_lengths[size_t(e)]))
            & (size - 1);
        while (m_slots[slot] >= 0)
            slot = (slot + 1) & (size - 1);
        m_slots[slot] = e;
    }
}

int FolderScan::findExact(QByteArrayView name) const
{
    if (m_slots.empty())
        return -1;
    const size_t mask = m_slots.size() - 1;
    for (size_t slot = hashName(name) & mask;; slot = (slot + 1) & mask) {
        const int e = m_slots[slot];
        if (e < 0)
            return -1;
        if (m_lengths[size_t(e)] == name.size()
            && std::memcmp(m_names.constData() + m_offsets[size_t(e)], name.data(),
                           size_t(name.size()))
                == 0)
            return e;
    }
}

QByteArray FolderScan::name(int entry) const
{
    return m_names.mid(m_offsets[size_t(entry)], m_lengths[size_t(entry)]);
}

void FolderScan::setIgnoresCase(bool ignores)
{
    m_ignoresCase = ignores;
    m_byKey.clear();
    if (!ignores)
        return;
    m_byKey.reserve(entryCount());
    for (int e = 0; e < entryCount(); ++e)
        m_byKey.insert(foldCase(name(e), InvalidUtf8::KeepBytes), e);
}

int FolderScan::find(QByteArrayView name) const
{
    const int e = findExact(name);
    if (e >= 0 || !m_ignoresCase)
        return e;
    return m_byKey.value(foldCase(name.toByteArray(), InvalidUtf8::KeepBytes), -1);
}

QByteArray FolderScan::key(const QByteArray &name) const
{
    return m_ignoresCase ? foldCase(name, InvalidUtf8::KeepBytes) : name;
}

QByteArray FolderScan::holderOf(QByteArrayView name) const
{
    const int e = find(name);
    return e < 0 ? QByteArray() : this->name(e);
}

qsizetype FolderScan::nameLength(const QByteArray &name) const
{
    return m_countsUtf16 ? QString::fromUtf8(name).size() : name.size();
}

bool FolderScan::tooLong(const QByteArray &name) const
{
    return nameLength(name) > m_nameMax;
}

QByteArray FolderScan::unusedName(unsigned &counter) const
{
    for (;;) {
        const QByteArray name = QByteArray(".brixelwand-") + QByteArray::number(::getpid()) + '-'
            + QByteArray::number(++counter) + ".tmp";
        if (holderOf(name).isEmpty())
            return name;
    }
}
