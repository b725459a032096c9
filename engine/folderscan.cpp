#include "folderscan.h"

#include "filemover.h"

#include <QString>

#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

namespace {

constexpr long msdosMagic = 0x4d44;
constexpr long exfatMagic = 0x2011bab0;
constexpr long fuseblkMagic = 0x65735546; // ntfs-3g
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

// The case folding of a name that is valid UTF-8; other names compare as their bytes.
QByteArray foldCase(const QByteArray &name)
{
    const QString text = QString::fromUtf8(name);
    if (text.toUtf8() != name)
        return name;
    return text.toCaseFolded().toUtf8();
}

// The name with the case of its letters changed, or empty when it has no letter with case.
QByteArray otherCase(const QByteArray &name)
{
    const QString text = QString::fromUtf8(name);
    if (text.toUtf8() != name)
        return QByteArray();
    QString other = text.toUpper();
    if (other == text)
        other = text.toLower();
    return other == text ? QByteArray() : other.toUtf8();
}

} // namespace

FolderScan FolderScan::read(const QByteArray &folder, SysCalls &sys)
{
    FolderScan scan;
    const int fd = sys.openDirectory(folder.isEmpty() ? "/" : folder.constData());
    if (fd < 0) {
        scan.m_error = errno ? errno : EIO;
        return scan;
    }
    DIR *dir = ::fdopendir(fd);
    if (!dir) {
        scan.m_error = errno;
        sys.closeFd(fd);
        return scan;
    }
    struct stat self;
    if (::fstat(fd, &self) == 0) {
        scan.m_device = self.st_dev;
        scan.m_inode = self.st_ino;
    }
    struct statfs fs;
    long fsType = 0;
    if (::fstatfs(fd, &fs) == 0)
        fsType = long(fs.f_type);
    scan.m_countsUtf16 = fsType == msdosMagic || fsType == exfatMagic;
    const long max = ::fpathconf(fd, _PC_NAME_MAX);
    scan.m_nameMax = scan.m_countsUtf16 ? 255 : (max > 0 ? max : 255);

    QByteArray probe; // an entry whose name has letters, to learn how the folder treats case
    errno = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const char *n = entry->d_name;
        if (n[0] == '.' && (n[1] == 0 || (n[1] == '.' && n[2] == 0)))
            continue;
        const QByteArray name(n);
        EntryType type = typeOfDirent(entry->d_type);
        if (type == EntryType::Missing) {
            struct stat st;
            type = sys.statEntry(fd, n, &st) == 0 ? typeOfMode(st.st_mode) : EntryType::Special;
        }
        scan.m_entries.insert(name, type);
        if (probe.isEmpty() && !otherCase(name).isEmpty())
            probe = name;
    }
    if (errno != 0)
        scan.m_error = errno;

    if (!probe.isEmpty()) {
        // Without writing: the same entry under the other case means the folder ignores case.
        struct stat a, b;
        const QByteArray other = otherCase(probe);
        scan.m_ignoresCase = !scan.m_entries.contains(other)
            && sys.statEntry(fd, probe.constData(), &a) == 0
            && sys.statEntry(fd, other.constData(), &b) == 0 && a.st_dev == b.st_dev
            && a.st_ino == b.st_ino;
    } else {
        scan.m_ignoresCase = scan.m_countsUtf16 || fsType == fuseblkMagic || fsType == cifsMagic
            || fsType == smb2Magic;
    }
    ::closedir(dir);
    scan.setIgnoresCase(scan.m_ignoresCase);
    return scan;
}

void FolderScan::setIgnoresCase(bool ignores)
{
    m_ignoresCase = ignores;
    m_byKey.clear();
    if (!ignores)
        return;
    m_byKey.reserve(m_entries.size());
    for (auto it = m_entries.cbegin(); it != m_entries.cend(); ++it)
        m_byKey.insert(foldCase(it.key()), it.key());
}

QByteArray FolderScan::key(const QByteArray &name) const
{
    return m_ignoresCase ? foldCase(name) : name;
}

QByteArray FolderScan::holderOf(const QByteArray &name) const
{
    if (m_entries.contains(name))
        return name;
    return m_ignoresCase ? m_byKey.value(foldCase(name)) : QByteArray();
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
