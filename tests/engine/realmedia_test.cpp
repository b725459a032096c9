// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakewindow.h"
#include "filemover.h"
#include "folderscan.h"
#include "realmedia.h"
#include "renamedialogue.h"
#include "volumeidentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace {

using Names = std::vector<std::string>;

Names namesIn(const QByteArray &folder)
{
    Names names;
    if (DIR *dir = ::opendir(folder.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..")
                names.push_back(name);
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

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
    const QStringList refused {"Frage ...?", "Fehler ..."};
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
    int n = 0;
    for (const Case &c : cases) {
        const QByteArray folder = media.path() + "/case" + QByteArray::number(++n);
        ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
        FakeWindow w;
        w.folder = folder;
        for (const Names *names : {&c.files, &c.unselected})
            for (const std::string &name : *names) {
                const int fd = ::open((folder + '/' + name.c_str()).constData(),
                                      O_WRONLY | O_CREAT | O_EXCL, 0644);
                ASSERT_GE(fd, 0) << c.what << ": " << name;
                ASSERT_EQ(::write(fd, name.data(), name.size()), ssize_t(name.size()));
                ::close(fd);
            }
        w.list(namesIn(folder));
        for (auto &entry : w.entries)
            entry.selected
                = std::find(c.unselected.begin(), c.unselected.end(), entry.name.toStdString())
                == c.unselected.end();
        w.lister = [&folder] { return namesIn(folder); };
        w.texts[OptionText::Text2] = c.name;
        w.texts[OptionText::Text3] = c.start;
        w.checks[OptionCheck::Check1] = true;
        runRename(w);
        const Names &after = exfat ? c.afterOnExfat : c.afterOnExt4;
        EXPECT_EQ(namesIn(folder), after) << c.what;
        EXPECT_EQ(w.messageTitles(), exfat ? c.titlesOnExfat : c.titlesOnExt4)
            << c.what << "\n"
            << (w.messages.empty() ? std::string() : w.messages.back().prompt.toStdString());
        if ((exfat ? c.titlesOnExfat : c.titlesOnExt4) == refused) {
            EXPECT_TRUE(!w.mover || w.mover->moves.isEmpty()) << c.what << ": a file moved";
        } else if (c.unselected.empty() && after.size() == c.files.size()) {
            // Each file kept its content (its old name) under its new name, in list order.
            for (size_t i = 0; i < after.size(); ++i) {
                char buffer[512] = {};
                const int fd = ::open((folder + '/' + after[i].c_str()).constData(), O_RDONLY);
                const ssize_t size = fd >= 0 ? ::read(fd, buffer, sizeof buffer - 1) : -1;
                if (fd >= 0)
                    ::close(fd);
                EXPECT_EQ(std::string(buffer, size_t(std::max<ssize_t>(size, 0))), c.files[i])
                    << c.what << ": " << after[i];
            }
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
    const QByteArray folder = media.path() + "/fotos";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    for (const char *name : {"a.jpg", "b.jpg"}) {
        const int fd = ::open((folder + '/' + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        ASSERT_GE(fd, 0) << name;
        ::close(fd);
    }
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
    const FolderScan scan = FolderScan::read(folder, sys);
    ASSERT_FALSE(sys.deleted.isEmpty()) << "the listing told the types";
    EXPECT_TRUE(scan.ok()) << std::strerror(scan.error());
}

std::string mediaName(const ::testing::TestParamInfo<RealMedia::Kind> &param)
{
    return param.param == RealMedia::Ext4Loop ? "Ext4Loop" : "ExfatFuse";
}

INSTANTIATE_TEST_SUITE_P(Media, RealMediaRun,
                         ::testing::Values(RealMedia::Ext4Loop, RealMedia::ExfatFuse), mediaName);
