// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "syscalls.h"

#include <QByteArray>

#include <vector>

#include <sys/types.h>

// What tells one volume (a card, a disk partition) apart from another across unmounting and
// mounting again, read without the raw device, which a normal user cannot open.
//
//   file system       identity (uuid)                                      where it comes from
//   ext2/3/4, btrfs   the file system UUID "8-4-4-4-12"                    FS_IOC_GETFSUUID, else
//                                                                          /dev/disk/by-uuid
//                     else "fsid:" + statfs f_fsid (folded from the UUID)  statfs
//   vfat (kernel)     the FAT serial "XXXX-XXXX"                           FAT_IOCTL_GET_VOLUME_ID
//   exFAT (kernel)    the volume serial "XXXX-XXXX"                        /dev/disk/by-uuid only
//   exFAT (FUSE)      the volume serial "XXXX-XXXX"                        /dev/disk/by-uuid only
//   NTFS (ntfs3, -3g) the volume serial, 16 hex digits                     /dev/disk/by-uuid only
//
// The by-uuid links exist only where udev runs. On FAT, exFAT and FUSE the statfs f_fsid comes
// from the device number, which another card in the same reader shares, so it is never used
// there. Without any of these the uuid stays empty and callers tell the card by its files.
struct VolumeIdentity
{
    QByteArray uuid;
    QByteArray fsType; // as /proc/self/mountinfo names it: "ext4", "vfat", "fuseblk", ...
    QByteArray mountPoint; // where the mount that holds the folder is mounted
    bool known() const { return !uuid.isEmpty(); }
};

// The volume that holds folder; an empty uuid when it cannot be told.
VolumeIdentity volumeIdentityOf(const QByteArray &folder, SysCalls &sys = SysCalls::real());
// Where the volume with that uuid is mounted now (whole-volume mounts only), possibly nowhere.
std::vector<QByteArray> mountPointsOf(const QByteArray &uuid, SysCalls &sys = SysCalls::real());

// One line of /proc/self/mountinfo, with the octal escapes ("\040" for a blank) undone.
struct MountEntry
{
    dev_t device = 0; // major:minor as st_dev shows it for files on this mount
    QByteArray root; // the folder of the volume that is mounted, "/" for the whole volume
    QByteArray mountPoint;
    QByteArray fsType; // "fuseblk", "fuse.sshfs", "ext4", ...
    QByteArray source; // "/dev/sdb1", or whatever the file system puts there
};

std::vector<MountEntry> parseMountInfo(const QByteArray &text);
// The mount that holds path (absolute, symlinks resolved) on device: among the entries of that
// device the one with the longest mount point that contains path, else the longest of all.
// Returns nullptr when none contains path.
const MountEntry *mountOf(const std::vector<MountEntry> &mounts, const QByteArray &path,
                          dev_t device);
// /proc/self/mountinfo as text; empty when it cannot be read.
QByteArray readMountInfo(SysCalls &sys = SysCalls::real());
