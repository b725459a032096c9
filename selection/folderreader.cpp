// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderreader.h"

#include "displayname.h"

#include <QCollator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

constexpr long msdosMagic = 0x4d44; // vfat, msdos
constexpr long ntfs3Magic = 0x7366746e; // the kernel's ntfs3
constexpr long fuseMagic = 0x65735546; // ntfs-3g mounts as fuseblk

constexpr unsigned dosHidden = 0x02;
constexpr unsigned dosSystem = 0x04;

enum class Kind { NotAFile, File, SystemFile };

// Reads the DOS attributes of files on FAT and NTFS media; elsewhere there are none.
class DosAttributes
{
public:
    explicit DosAttributes(int dirFd)
        : m_dirFd(dirFd)
    {
        struct statfs fs;
        if (::fstatfs(dirFd, &fs) == 0) {
            m_fat = fs.f_type == msdosMagic;
            m_xattr = fs.f_type == ntfs3Magic || fs.f_type == fuseMagic;
        }
    }

    unsigned of(const char *name)
    {
        if (m_fat) {
            const int fd = ::openat(m_dirFd, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0)
                return 0;
            __u32 attributes = 0;
            if (::ioctl(fd, FAT_IOCTL_GET_ATTRIBUTES, &attributes) != 0)
                attributes = 0;
            ::close(fd);
            return attributes;
        }
        if (m_xattr) {
            const QByteArray path
                = QByteArray("/proc/self/fd/") + QByteArray::number(m_dirFd) + '/' + name;
            unsigned char value[4] = {};
            // ntfs-3g's little-endian and the kernel driver's attribute, whichever is there.
            for (const char *key : {"system.ntfs_attrib", "system.dos_attrib"}) {
                const ssize_t n = ::lgetxattr(path.constData(), key, value, sizeof value);
                if (n == 4)
                    return unsigned(value[0]) | unsigned(value[1]) << 8;
                if (n < 0 && (errno == ENOTSUP || errno == EOPNOTSUPP)) {
                    m_xattr = false; // a FUSE file system that is not NTFS
                    break;
                }
            }
        }
        return 0;
    }

private:
    int m_dirFd;
    bool m_fat = false;
    bool m_xattr = false;
};

Kind kindOf(int dirFd, const dirent *entry)
{
    switch (entry->d_type) {
    case DT_REG:
        return Kind::File;
    case DT_DIR:
        return Kind::NotAFile;
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
        return Kind::SystemFile;
    default:
        break;
    }
    struct stat st;
    if (::fstatat(dirFd, entry->d_name, &st, 0) != 0)
        return ::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0 ? Kind::SystemFile
                                                                              : Kind::NotAFile;
    if (S_ISDIR(st.st_mode))
        return Kind::NotAFile;
    return S_ISREG(st.st_mode) ? Kind::File : Kind::SystemFile;
}

bool isDotOrDotDot(const char *name)
{
    return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0));
}

template<typename Accept>
std::vector<ListedName> readFolder(const QByteArray &folder, Accept accept)
{
    std::vector<ListedName> names;
    DIR *dir = ::opendir(folder.isEmpty() ? "/" : folder.constData());
    if (!dir)
        return names;
    const int dirFd = ::dirfd(dir);
    DosAttributes dos(dirFd);
    while (const dirent *entry = ::readdir(dir)) {
        if (isDotOrDotDot(entry->d_name))
            continue;
        if (accept(dirFd, entry, dos)) {
            names.push_back({QByteArray(entry->d_name)});
        }
    }
    ::closedir(dir);
    sortNames(names);
    return names;
}

} // namespace

QString ListedName::shown() const
{
    return displayName(raw);
}

namespace {

// German order without regard to case: Ä, Ö, Ü next to A, O, U and ß as ss.
int compareGerman(const QString &a, const QString &b)
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}

// Case-insensitive order of two names: byte by byte while both are ASCII, which is what the
// German order does there; from the first other byte on, by their decoded text in German order.
int compareNames(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const uchar x = uchar(a[i]);
        const uchar y = uchar(b[i]);
        if (x >= 0x80 || y >= 0x80)
            return compareGerman(displayName(a.mid(i)), displayName(b.mid(i)));
        const int lx = x >= 'A' && x <= 'Z' ? x + 32 : x;
        const int ly = y >= 'A' && y <= 'Z' ? y + 32 : y;
        if (lx != ly)
            return lx - ly;
    }
    return int(a.size() - b.size());
}

} // namespace

void sortNames(std::vector<ListedName> &names)
{
    // Sorted through keys side by side in one buffer: for names of ASCII only, the lower-case
    // bytes, which compare as compareNames does, without reaching into each name's own memory.
    struct Key
    {
        quint32 offset;
        quint32 size;
        bool ascii;
        quint32 index;
    };
    QByteArray folded;
    std::vector<Key> keys;
    keys.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const QByteArray &raw = names[i].raw;
        const bool ascii
            = std::all_of(raw.begin(), raw.end(), [](char c) { return uchar(c) < 0x80; });
        keys.push_back({quint32(folded.size()), quint32(raw.size()), ascii, quint32(i)});
        if (ascii) {
            for (const char c : raw)
                folded += c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        }
    }
    const char *base = folded.constData();
    std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
        const QByteArray &x = names[a.index].raw;
        const QByteArray &y = names[b.index].raw;
        int c;
        if (a.ascii && b.ascii) {
            c = std::memcmp(base + a.offset, base + b.offset, std::min(a.size, b.size));
            if (c == 0)
                c = int(a.size) - int(b.size);
        } else {
            c = compareNames(x, y);
        }
        return c != 0 ? c < 0 : x < y;
    });
    std::vector<ListedName> sorted;
    sorted.reserve(names.size());
    for (const Key &k : keys)
        sorted.push_back(std::move(names[k.index]));
    names = std::move(sorted);
}

std::vector<ListedName> readFiles(const QByteArray &folder, FileFilter filter)
{
    return readFolder(folder, [filter](int dirFd, const dirent *entry, DosAttributes &dos) {
        const Kind kind = kindOf(dirFd, entry);
        if (kind == Kind::NotAFile)
            return false;
        bool hidden = entry->d_name[0] == '.';
        bool system = kind == Kind::SystemFile;
        if (kind == Kind::File) {
            const unsigned attributes = dos.of(entry->d_name);
            hidden = hidden || (attributes & dosHidden);
            system = system || (attributes & dosSystem);
        }
        return (!hidden || filter.showHidden) && (!system || filter.showSystem);
    });
}

std::vector<ListedName> readSubFolders(const QByteArray &folder)
{
    return readFolder(folder, [](int dirFd, const dirent *entry, DosAttributes &) {
        if (entry->d_name[0] == '.')
            return false;
        if (entry->d_type == DT_DIR)
            return true;
        if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
            return false;
        struct stat st;
        return ::fstatat(dirFd, entry->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
    });
}

bool canReadFolder(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.isEmpty() ? "/" : folder.constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}
