// SPDX-License-Identifier: GPL-3.0-or-later
#include "filemover.h"
#include "scriptedsyscalls.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

struct MoverFixture : ::testing::Test, ScriptedMover
{
    TempFolder dir;

    int move(const QByteArray &from, const QByteArray &to)
    {
        return mover.MoveFile(dir.pathOf(from), dir.pathOf(to));
    }
    using Names = std::vector<std::string>;
};

} // namespace

TEST_F(MoverFixture, RenamesWithoutReplacing)
{
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    EXPECT_EQ(move("a.jpg", "c.jpg"), 0);
    EXPECT_EQ(move("b.jpg", "c.jpg"), EEXIST);
    EXPECT_EQ(dir.names(), (Names {"b.jpg", "c.jpg"}));
    EXPECT_EQ(dir.read("c.jpg"), "A");
    EXPECT_EQ(dir.read("b.jpg"), "B");
    EXPECT_EQ(move("gone.jpg", "d.jpg"), ENOENT);
    // The folder was opened once for all three moves.
    EXPECT_EQ(sys->ops().count(QStringLiteral("open")), 1);
}

TEST_F(MoverFixture, RefusesNamesOutsideTheFolder)
{
    dir.write("a.jpg");
    EXPECT_EQ(mover.MoveFile(dir.pathOf("a.jpg"), dir.pathOf("sub/a.jpg")), EXDEV);
    EXPECT_EQ(mover.MoveFile(dir.pathOf("a.jpg"), "/tmp/a.jpg"), EXDEV);
    EXPECT_EQ(move("a.jpg", ".."), EINVAL);
    EXPECT_EQ(dir.names(), (Names {"a.jpg"}));
}

TEST_F(MoverFixture, DanglingSymlinkIsAnExistingDestinationOnEveryPath)
{
    const QByteArray target = dir.pathOf("outside-target");
    // Each round forces one more fallback: renameat2, then link, then the placeholder.
    for (int round = 0; round < 3; ++round) {
        TempFolder local;
        auto &&[s, m] = ScriptedMover();
        if (round >= 1)
            s->failures["renameat2"] = {EINVAL};
        if (round >= 2)
            s->failures["link"] = {EPERM};
        local.write("a.jpg", "A");
        ASSERT_EQ(::symlink(target.constData(), local.pathOf("b.jpg").constData()), 0);
        EXPECT_EQ(m.MoveFile(local.pathOf("a.jpg"), local.pathOf("b.jpg")), EEXIST) << round;
        EXPECT_EQ(local.read("a.jpg"), "A");
        EXPECT_EQ(::access(target.constData(), F_OK), -1) << "followed the link, round " << round;
    }
}

TEST_F(MoverFixture, FallsBackToLinkWhenNoReplaceIsRefused)
{
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    sys->failures["renameat2"] = {EINVAL};
    EXPECT_EQ(move("a.jpg", "x.jpg"), 0);
    EXPECT_EQ(move("b.jpg", "x.jpg"), EEXIST);
    EXPECT_EQ(dir.names(), (Names {"b.jpg", "x.jpg"}));
    EXPECT_EQ(dir.read("x.jpg"), "A");
    // The refusal is remembered for the folder: renameat2 is asked once only.
    EXPECT_EQ(sys->ops(), (QStringList {"open", "renameat2", "link", "unlink", "link"}));
}

TEST_F(MoverFixture, FailingUnlinkUndoesTheLink)
{
    dir.write("a.jpg", "A");
    sys->failures["renameat2"] = {ENOSYS};
    sys->failures["unlink"] = {EACCES};
    EXPECT_EQ(move("a.jpg", "x.jpg"), EACCES);
    EXPECT_EQ(dir.names(), (Names {"a.jpg"}));
    EXPECT_EQ(dir.read("a.jpg"), "A");
}

TEST_F(MoverFixture, LastResortRenamesOntoAnExclusivePlaceholder)
{
    dir.write("a.jpg", "A");
    dir.write("b.jpg", "B");
    sys->failures["renameat2"] = {EINVAL};
    sys->failures["link"] = {EPERM};
    EXPECT_EQ(move("a.jpg", "x.jpg"), 0);
    EXPECT_EQ(dir.read("x.jpg"), "A");
    EXPECT_EQ(sys->ops(), (QStringList {"open", "renameat2", "link", "create", "renameat"}));

    // A destination that appears after any check is still never replaced.
    sys->beforeCreate = [&](const char *name) { dir.write(name, "NEW"); };
    EXPECT_EQ(move("b.jpg", "y.jpg"), EEXIST);
    EXPECT_EQ(dir.read("y.jpg"), "NEW");
    EXPECT_EQ(dir.read("b.jpg"), "B");
    sys->beforeCreate = nullptr;

    // A failing rename removes the placeholder again.
    sys->failures["renameat"] = {EIO};
    EXPECT_EQ(move("b.jpg", "z.jpg"), EIO);
    EXPECT_EQ(dir.names(), (Names {"b.jpg", "x.jpg", "y.jpg"}));
}

TEST_F(MoverFixture, CaseOnlyRenameOnACaseFoldingFileSystem)
{
    // Kernel FAT: one inode under every spelling; FUSE exFAT: an inode per spelling.
    for (const bool inodePerSpelling : {false, true}) {
        TempFolder local;
        auto &&[s, m] = ScriptedMover();
        local.write("urlaub01.jpg", "U");
        local.write("other.jpg", "O");
        // A case-folding file system finds the file's own old name as the destination.
        s->foldCase = true;
        s->inodePerSpelling = inodePerSpelling;
        s->failures["renameat2"] = {EEXIST};
        EXPECT_EQ(m.MoveFile(local.pathOf("urlaub01.jpg"), local.pathOf("Urlaub01.jpg")), 0);
        EXPECT_EQ(local.names(), (Names {"Urlaub01.jpg", "other.jpg"}));
        EXPECT_EQ(local.read("Urlaub01.jpg"), "U");
        EXPECT_EQ(s->ops().count(QStringLiteral("renameat2")), 3); // direct, then two steps

        // Second step fails: the file goes back to its old name.
        s->failures["renameat2"] = {EEXIST, 0, EIO};
        EXPECT_EQ(m.MoveFile(local.pathOf("Urlaub01.jpg"), local.pathOf("URLAUB01.jpg")), EIO);
        EXPECT_EQ(local.names(), (Names {"Urlaub01.jpg", "other.jpg"}));

        // Another file under the other spelling is never taken for the file itself.
        s->failures["renameat2"] = {EEXIST};
        EXPECT_EQ(m.MoveFile(local.pathOf("other.jpg"), local.pathOf("Other.jpg")), 0);
        s->failures["renameat2"] = {EEXIST};
        const int before = int(s->log.size());
        EXPECT_EQ(m.MoveFile(local.pathOf("Urlaub01.jpg"), local.pathOf("OTHER.jpg")), EEXIST);
        EXPECT_EQ(int(s->log.size()), before + 1) << "nothing moved";
        EXPECT_EQ(local.read("Urlaub01.jpg"), "U");
    }
}

TEST_F(MoverFixture, CaseOnlyRenameNeverReplacesAnEntryWithExactlyTheNewName)
{
    dir.write("bild.jpg", "lower");
    dir.write("Bild.jpg", "the upper one"); // another size: plainly another file
    EXPECT_EQ(move("bild.jpg", "Bild.jpg"), EEXIST);
    EXPECT_EQ(sys->ops().count(QStringLiteral("renameat2")), 1) << "not even a temporary name";
    EXPECT_EQ(dir.read("bild.jpg"), "lower");
    EXPECT_EQ(dir.read("Bild.jpg"), "the upper one");
}
