// SPDX-License-Identifier: GPL-3.0-or-later
#include "volumeidentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sys/stat.h>
#include <sys/sysmacros.h>

TEST(VolumeIdentity, ParsesMountInfoWithEscapedNamesAndOptionalFields)
{
    const QByteArray text = "27 1 254:0 / / rw,relatime shared:1 - ext4 /dev/vda rw\n"
                            "45 27 7:0 / /media/u/EOS\\040DIGITAL rw,nosuid master:3 - fuseblk "
                            "/dev/loop0 rw,user_id=0\n"
                            "46 27 0:52 /sub\\134dir /srv/a\\011b rw - fuse.sshfs u@h:/x rw\n"
                            "broken line\n";
    const std::vector<MountEntry> mounts = parseMountInfo(text);
    ASSERT_EQ(mounts.size(), 3u);
    EXPECT_EQ(mounts[0].device, makedev(254, 0));
    EXPECT_EQ(mounts[0].fsType, "ext4");
    EXPECT_EQ(mounts[1].mountPoint, "/media/u/EOS DIGITAL");
    EXPECT_EQ(mounts[1].fsType, "fuseblk");
    EXPECT_EQ(mounts[1].source, "/dev/loop0");
    EXPECT_EQ(mounts[2].root, "/sub\\dir");
    EXPECT_EQ(mounts[2].mountPoint, "/srv/a\tb");
    EXPECT_EQ(mounts[2].source, "u@h:/x");

    // The folder's own device decides; a longer mount point of another device that merely
    // shares the prefix does not, nor does a name that only begins like a mount point.
    EXPECT_EQ(mountOf(mounts, "/media/u/EOS DIGITAL/DCIM", makedev(7, 0)), &mounts[1]);
    EXPECT_EQ(mountOf(mounts, "/media/u/EOS DIGITAL/DCIM", makedev(254, 0)), &mounts[0]);
    EXPECT_EQ(mountOf(mounts, "/media/u/EOS DIGITAL2", makedev(9, 9)), &mounts[0]);
    EXPECT_EQ(mountOf(mounts, "relative", makedev(254, 0)), nullptr);
}

TEST(VolumeIdentity, FindsTheRootFolderAndWhereItsVolumeIsMounted)
{
    const VolumeIdentity id = volumeIdentityOf("/");
    struct stat st;
    ASSERT_EQ(::stat("/", &st), 0);
    const std::vector<MountEntry> mounts = parseMountInfo(readMountInfo());
    const MountEntry *root = mountOf(mounts, "/", st.st_dev);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(id.mountPoint, "/");
    EXPECT_EQ(id.fsType, root->fsType);
    if (!id.known())
        GTEST_SKIP() << "the root volume (" << id.fsType.constData() << ") has no identity here";
    EXPECT_EQ(volumeIdentityOf("/proc/..").uuid, id.uuid);
    if (root->root == "/") {
        const std::vector<QByteArray> points = mountPointsOf(id.uuid);
        EXPECT_NE(std::find(points.begin(), points.end(), QByteArray("/")), points.end());
    }
    EXPECT_TRUE(mountPointsOf("no-such-volume").empty());
}
