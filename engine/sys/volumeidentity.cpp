// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumeidentity.h"

#include "syscalls.h"

#include <QByteArrayView>
#include <QList>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/msdos_fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/sysmacros.h>

namespace {

// Linux 6.5 and later; older headers lack it, older kernels answer ENOTTY.
struct FsUuid2
{
    quint8 len;
    quint8 uuid[16];
};
#ifndef FS_IOC_GETFSUUID
#define FS_IOC_GETFSUUID _IOR(0x15, 0, FsUuid2)
#endif

QByteArray unescape(QByteArrayView field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size() && field[i + 1] >= '0' && field[i + 1] <= '3'
            && field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0'
            && field[i + 3] <= '7') {
            out.append(
                char((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 + (field[i + 3] - '0')));
            i += 3;
        } else {
            out.append(c);
        }
    }
    return out;
}

bool contains(const QByteArray &mountPoint, const QByteArray &path)
{
    if (mountPoint == "/")
        return path.startsWith('/');
    return path.startsWith(mountPoint)
        && (path.size() == mountPoint.size() || path[mountPoint.size()] == '/');
}

QByteArray hex(const quint8 *bytes, int count)
{
    return QByteArray(reinterpret_cast<const char *>(bytes), count).toHex();
}

QByteArray uuidText(const quint8 *uuid)
{
    const QByteArray h = hex(uuid, 16);
    return h.left(8) + '-' + h.mid(8, 4) + '-' + h.mid(12, 4) + '-' + h.mid(16, 4) + '-'
        + h.mid(20);
}

bool isFat(const QByteArray &fsType)
{
    return fsType == "vfat" || fsType == "msdos";
}

// File systems whose statfs f_fsid is folded from their UUID, not from the device number.
bool fsidFromUuid(const QByteArray &fsType)
{
    return fsType == "ext2" || fsType == "ext3" || fsType == "ext4" || fsType == "btrfs";
}

// The block device behind a mount, or 0.
dev_t blockDeviceOf(SysCalls &sys, const MountEntry &mount)
{
    if (major(mount.device) != 0)
        return mount.device; // also fuseblk, which reports its block device
    struct stat st;
    if (mount.source.startsWith("/dev/") && sys.statPath(mount.source.constData(), &st) == 0
        && S_ISBLK(st.st_mode))
        return st.st_rdev;
    return 0;
}

// The name of the /dev/disk/by-uuid link that leads to device; empty where udev does not run.
QByteArray uuidLinkOf(SysCalls &sys, dev_t device)
{
    QByteArray found;
    const int fd = sys.openDirectory("/dev/disk/by-uuid");
    if (fd < 0)
        return found;
    sys.listFolder(fd, [&](const char *name, unsigned char) {
        struct stat st;
        if (found.isEmpty() && sys.statFollowing(fd, name, &st) == 0 && S_ISBLK(st.st_mode)
            && st.st_rdev == device)
            found = name;
    });
    sys.closeFd(fd);
    return found;
}

QByteArray uuidOfOpenFolder(SysCalls &sys, int fd, const MountEntry &mount)
{
    if (isFat(mount.fsType)) {
        __u32 serial = 0;
        if (sys.ioctlFd(fd, FAT_IOCTL_GET_VOLUME_ID, &serial) == 0) {
            const QByteArray h = QByteArray::number(serial, 16).toUpper().rightJustified(8, '0');
            return h.left(4) + '-' + h.mid(4);
        }
    }
    FsUuid2 u {};
    u.len = 16;
    if (!isFat(mount.fsType) && sys.ioctlFd(fd, FS_IOC_GETFSUUID, &u) == 0 && u.len == 16) {
        static const quint8 zero[16] = {};
        if (std::memcmp(u.uuid, zero, 16) != 0)
            return uuidText(u.uuid);
    }
    if (const dev_t device = blockDeviceOf(sys, mount)) {
        const QByteArray link = uuidLinkOf(sys, device);
        if (!link.isEmpty())
            return link;
    }
    struct statfs fs;
    if (fsidFromUuid(mount.fsType) && sys.fstatfsFd(fd, &fs) == 0) {
        quint8 bytes[sizeof fs.f_fsid];
        std::memcpy(bytes, &fs.f_fsid, sizeof bytes);
        static const quint8 zero[sizeof fs.f_fsid] = {};
        if (std::memcmp(bytes, zero, sizeof bytes) != 0)
            return "fsid:" + hex(bytes, int(sizeof bytes));
    }
    return QByteArray();
}

} // namespace

std::vector<MountEntry> parseMountInfo(const QByteArray &text)
{
    std::vector<MountEntry> mounts;
    for (const QByteArray &line : text.split('\n')) {
        // id parent major:minor root mount-point options [optional fields] - type source super
        const QList<QByteArray> f = line.split(' ');
        qsizetype dash = 6;
        while (dash < f.size() && f[dash] != "-")
            ++dash;
        if (f.size() < 7 || dash + 2 >= f.size())
            continue;
        const QList<QByteArray> numbers = f[2].split(':');
        if (numbers.size() != 2)
            continue;
        MountEntry m;
        m.device = makedev(numbers[0].toUInt(), numbers[1].toUInt());
        m.root = unescape(f[3]);
        m.mountPoint = unescape(f[4]);
        m.fsType = unescape(f[dash + 1]);
        m.source = unescape(f[dash + 2]);
        mounts.push_back(m);
    }
    return mounts;
}

const MountEntry *mountOf(const std::vector<MountEntry> &mounts, const QByteArray &path,
                          dev_t device)
{
    const MountEntry *best = nullptr;
    const MountEntry *bestOfDevice = nullptr;
    // The last of equal mount points is the one on top.
    for (const MountEntry &m : mounts) {
        if (!contains(m.mountPoint, path))
            continue;
        if (!best || m.mountPoint.size() >= best->mountPoint.size())
            best = &m;
        if (m.device == device
            && (!bestOfDevice || m.mountPoint.size() >= bestOfDevice->mountPoint.size()))
            bestOfDevice = &m;
    }
    return bestOfDevice ? bestOfDevice : best;
}

QByteArray readMountInfo(SysCalls &sys)
{
    QByteArray text;
    const int fd = sys.openAt(AT_FDCWD, "/proc/self/mountinfo", O_RDONLY);
    if (fd < 0)
        return text;
    char buffer[16384];
    long n;
    while ((n = sys.readFd(fd, buffer, sizeof buffer)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            text.append(buffer, n);
    sys.closeFd(fd);
    return text;
}

VolumeIdentity volumeIdentityOf(const QByteArray &folder, SysCalls &sys)
{
    VolumeIdentity id;
    QByteArray path = folder;
    sys.resolvePath(folder.constData(), &path);
    const int fd = sys.openDirectory(path.constData());
    if (fd < 0)
        return id;
    struct stat st;
    if (sys.fstatFd(fd, &st) == 0) {
        const std::vector<MountEntry> mounts = parseMountInfo(readMountInfo(sys));
        if (const MountEntry *mount = mountOf(mounts, path, st.st_dev)) {
            id.fsType = mount->fsType;
            id.mountPoint = mount->mountPoint;
            id.uuid = uuidOfOpenFolder(sys, fd, *mount);
        }
    }
    sys.closeFd(fd);
    return id;
}

std::vector<QByteArray> mountPointsOf(const QByteArray &uuid, SysCalls &sys)
{
    std::vector<QByteArray> found;
    if (uuid.isEmpty() || uuid.contains('/'))
        return found;
    const std::vector<MountEntry> mounts = parseMountInfo(readMountInfo(sys));
    struct stat link;
    const bool linked = sys.statPath(("/dev/disk/by-uuid/" + uuid).constData(), &link) == 0
        && S_ISBLK(link.st_mode);
    for (const MountEntry &m : mounts) {
        if (m.root != "/" || std::find(found.begin(), found.end(), m.mountPoint) != found.end())
            continue;
        if (linked) {
            if (blockDeviceOf(sys, m) == link.st_rdev)
                found.push_back(m.mountPoint);
            continue;
        }
        // Only volumes on a local block device: asking a network mount could hang.
        if (!m.source.startsWith("/dev/") || !blockDeviceOf(sys, m))
            continue;
        if (volumeIdentityOf(m.mountPoint, sys).uuid == uuid)
            found.push_back(m.mountPoint);
    }
    return found;
}
