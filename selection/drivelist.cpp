// SPDX-License-Identifier: GPL-3.0-or-later
#include "drivelist.h"

#include <QFile>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

namespace {

constexpr int mountRole = Qt::UserRole;

bool holdsFiles(const QStorageInfo &volume)
{
    static const QByteArrayList pseudo = {
        "proc",       "sysfs",     "cgroup",      "cgroup2",  "devpts",     "debugfs", "tracefs",
        "securityfs", "mqueue",    "autofs",      "squashfs", "pstore",     "bpf",     "configfs",
        "fusectl",    "hugetlbfs", "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs",    "devtmpfs"};
    return volume.isValid() && volume.isReady() && !pseudo.contains(volume.fileSystemType());
}

} // namespace

DriveList::DriveList(QWidget *parent)
    : QComboBox(parent)
{
    reread();
}

QByteArray DriveList::currentDrive() const
{
    return currentData(mountRole).toByteArray();
}

QByteArray DriveList::driveOf(const QByteArray &path) const
{
    QByteArray best;
    for (int i = 0; i < count(); ++i) {
        const QByteArray mount = itemData(i, mountRole).toByteArray();
        const bool above = mount == "/" || path == mount || path.startsWith(mount + '/');
        if (above && mount.size() > best.size())
            best = mount;
    }
    return best;
}

void DriveList::setDriveOf(const QByteArray &path)
{
    const int index = findData(driveOf(path), mountRole);
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveList::reread()
{
    const QSignalBlocker blocker(this);
    const QByteArray chosen = currentDrive();
    clear();
    QList<QStorageInfo> volumes = QStorageInfo::mountedVolumes();
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo &a, const QStorageInfo &b) {
        return a.rootPath() < b.rootPath();
    });
    for (const QStorageInfo &volume : volumes) {
        if (!holdsFiles(volume))
            continue;
        const QByteArray mount = QFile::encodeName(volume.rootPath());
        if (findData(mount, mountRole) >= 0)
            continue; // mounted twice; the first one is enough
        QString text = volume.rootPath();
        if (!volume.name().isEmpty())
            text += QStringLiteral(" [%1]").arg(volume.name());
        addItem(text, mount);
    }
    if (findData(QByteArray("/"), mountRole) < 0)
        insertItem(0, QStringLiteral("/"), QByteArray("/")); // always offer the root
    const int index = findData(chosen, mountRole);
    setCurrentIndex(index >= 0 ? index : findData(QByteArray("/"), mountRole));
}
