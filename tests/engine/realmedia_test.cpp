// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakewindow.h"
#include "filemover.h"
#include "folderscan.h"
#include "realmedia.h"
#include "renamedialogue.h"
#include "tempfolder.h"
#include "volumeidentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

using Names = std::vector<std::string>;

std::string umlauts(int count)
{
    std::string s;
    for (int i = 0; i < count; ++i)
        s += "ä";
    return s;
}

// Runs of the engine on a real ext4 through a loop device and a real exFAT through FUSE, where
// names that differ in case only are one name and a name may have 255 UTF-16 units.
class RealMediaRun : public ::testing::TestWithParam<RealMedia::Kind>
{ };

} // namespace

TEST_P(RealMediaRun, CaseFoldingAndNameLengthAsTheFileSystemHasThem)
{
    const bool exfat = GetParam() == RealMedia::ExfatFuse;
    RealMedia media(GetParam());
    if (!media.mounted())
        GTEST_SKIP() << media.skipReason();

    const VolumeIdentity id = volumeIdentityOf(media.path());
    EXPECT_EQ(id.mountPoint, media.path()); // with its blank
    EXPECT_EQ(id.fsType, exfat ? "fuseblk" : "ext4");
    if (!exfat) {
        ASSERT_TRUE(id.known());
        const std::vector<QByteArray> points = mountPointsOf(id.uuid);
        EXPECT_NE(std::find(points.begin(), points.end(), media.path()), points.end());
    }

    const QStringList done {"Frage ...?", "Bin fertig!"};
    const QStringList refused {"Fehler ..."}; // the conflict known before the question
    struct Case
    {
        const char *what;
        Names files;
        Names unselected;
        QString name;
        QString start;
        Names afterOnExt4, afterOnExfat;
        QStringList titlesOnExt4, titlesOnExfat;
    };
    const std::string longName = umlauts(200); // 400 bytes, 200 UTF-16 units
    const Case cases[] = {
        {"a case-only rename",
         {"urlaub01.jpg"},
         {},
         QStringLiteral("Urlaub"),
         QStringLiteral("1"),
         {"Urlaub01.jpg"},
         {"Urlaub01.jpg"},
         done,
         done},
        {"renumbering onto names of the run in another case",
         {"bild01.jpg", "bild02.jpg", "bild03.jpg", "bild04.jpg", "bild05.jpg"},
         {},
         QStringLiteral("Bild"),
         QStringLiteral("2"),
         {"Bild02.jpg", "Bild03.jpg", "Bild04.jpg", "Bild05.jpg", "Bild06.jpg"},
         {"Bild02.jpg", "Bild03.jpg", "Bild04.jpg", "Bild05.jpg", "Bild06.jpg"},
         done,
         done},
        {"an unselected file holds a new name in another case",
         {"a.jpg", "b.jpg"},
         {"URLAUB02.JPG"},
         QStringLiteral("Urlaub"),
         QStringLiteral("1"),
         {"URLAUB02.JPG", "Urlaub01.jpg", "Urlaub02.jpg"},
         {"URLAUB02.JPG", "a.jpg", "b.jpg"},
         done,
         refused},
        {"200 umlauts",
         {"a.jpg"},
         {},
         QString::fromStdString(longName),
         QStringLiteral("1"),
         {"a.jpg"},
         {longName + "01.jpg"},
         refused,
         done},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const TempFolder dir(media.path());
        ASSERT_FALSE(dir.path().isEmpty());
        FakeWindow w;
        w.folder = dir.path();
        for (const Names *names : {&c.files, &c.unselected})
            for (const std::string &name : *names)
                dir.write(QByteArray::fromStdString(name), QByteArray::fromStdString(name));
        w.list(dir.names());
        for (auto &entry : w.entries)
            entry.selected
                = std::find(c.unselected.begin(), c.unselected.end(), entry.name.toStdString())
                == c.unselected.end();
        w.lister = [&dir] { return dir.names(); };
        w.texts[OptionText::Text2] = c.name;
        w.texts[OptionText::Text3] = c.start;
        w.checks[OptionCheck::Check1] = true;
        runRename(w);
        const Names &after = exfat ? c.afterOnExfat : c.afterOnExt4;
        EXPECT_EQ(dir.names(), after);
        EXPECT_EQ(w.messageTitles(), exfat ? c.titlesOnExfat : c.titlesOnExt4)
            << (w.messages.empty() ? std::string() : w.messages.back().prompt.toStdString());
        if ((exfat ? c.titlesOnExfat : c.titlesOnExt4) == refused) {
            EXPECT_TRUE(!w.mover || w.mover->moves.isEmpty()) << "a file moved";
        } else if (c.unselected.empty() && after.size() == c.files.size()) {
            // Each file kept its content (its old name) under its new name, in list order.
            for (size_t i = 0; i < after.size(); ++i)
                EXPECT_EQ(dir.read(after[i].c_str()).toStdString(), c.files[i]) << after[i];
        }
    }
}

// An entry deleted between the listing and its lookup, where the listing tells no types: the
// folder still reads.
TEST(RealMediaScan, AnEntryDeletedWhileTheFolderIsReadLeavesItReadable)
{
    RealMedia media(RealMedia::Ext4WithoutTypes);
    if (!media.mounted())
        GTEST_SKIP() << media.skipReason();
    const TempFolder dir(media.path());
    ASSERT_FALSE(dir.path().isEmpty());
    dir.write("a.jpg", "a");
    dir.write("b.jpg", "b");
    // Deletes the first entry it is asked about, just before looking it up.
    struct DeletingSysCalls : SysCalls
    {
        QByteArray deleted;
        int statEntry(int dirFd, const char *name, struct stat *st) override
        {
            if (deleted.isEmpty() && ::unlinkat(dirFd, name, 0) == 0)
                deleted = name;
            return SysCalls::statEntry(dirFd, name, st);
        }
    } sys;
    const FolderScan scan = FolderScan::read(dir.path(), sys);
    ASSERT_FALSE(sys.deleted.isEmpty()) << "the listing told the types";
    EXPECT_TRUE(scan.ok()) << std::strerror(scan.error());
}

std::string mediaName(const ::testing::TestParamInfo<RealMedia::Kind> &param)
{
    return param.param == RealMedia::Ext4Loop ? "Ext4Loop" : "ExfatFuse";
}

INSTANTIATE_TEST_SUITE_P(Media, RealMediaRun,
                         ::testing::Values(RealMedia::Ext4Loop, RealMedia::ExfatFuse), mediaName);
