#include "fakewindow.h"
#include "folderscan.h"
#include "journal.h"
#include "recovery.h"
#include "renamedialogue.h"
#include "scriptedsyscalls.h"
#include "tempfolder.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>

namespace {

using Names = std::vector<std::string>;

QByteArray numbered(int n)
{
    return QByteArray("Bild") + QByteArray::number(n).rightJustified(4, '0') + ".jpg";
}

// A run over count files Bild0001.jpg ... (each holding its own name) in a child process that
// is killed before its killAt-th rename. reversed lists the files backwards, so that the run
// swaps them in pairs (cycles); otherwise it shifts them up by one (a chain).
void killedRun(const TempFolder &dir, const QString &journalDir, int count, bool reversed,
               int killAt)
{
    for (int i = 1; i <= count; ++i)
        dir.write(numbered(i), numbered(i));
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        FakeWindow window;
        window.folder = dir.path();
        for (int i = 1; i <= count; ++i)
            window.entries.push_back({numbered(reversed ? count + 1 - i : i), true});
        window.texts[OptionText::Text2] = QStringLiteral("Bild");
        window.texts[OptionText::Text3] = QLatin1String(reversed ? "1" : "2");
        window.checks[OptionCheck::Check1] = true;
        window.journal = std::make_unique<JournalStore>(journalDir);
        auto *sys = new ScriptedSysCalls;
        int renames = 0;
        sys->beforeRename = [&] {
            if (++renames == killAt)
                ::raise(SIGKILL);
        };
        window.sysForMover.reset(sys);
        runRename(window);
        ::_exit(3); // not killed: the test is wrong
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;
}

} // namespace

TEST(Journal, RunKilledAnywhereIsFinishedOrUndoneFromTheDisk)
{
    struct Case
    {
        bool reversed;
        int killAt;
    };
    const int count = 5000;
    // Shift: 5000 renames; swap in pairs: 2500 cycles of three renames each.
    const Case cases[] = {{false, 1},   {false, 2500}, {false, 5000}, {true, 1},
                          {true, 3001}, {true, 3002},  {true, 7500}};
    for (const auto &c : cases) {
        for (const bool finish : {true, false}) {
            SCOPED_TRACE(testing::Message() << "reversed " << c.reversed << " kill " << c.killAt
                                            << " finish " << finish);
            TempFolder dir, state;
            killedRun(dir, QString::fromUtf8(state.path()), count, c.reversed, c.killAt);
            JournalStore store(QString::fromUtf8(state.path()));
            Journal journal;
            ASSERT_EQ(store.loadRunning(&journal), JournalStore::Load::Ok);
            EXPECT_FALSE(journal.completed);
            FileMover mover;
            const FolderScan scan = FolderScan::read(journal.folderPath(), mover.sys());
            const Progress progress = findProgress(journal, scan, mover.sys());
            EXPECT_TRUE(progress.exact);
            EXPECT_EQ(progress.doneSteps, size_t(c.killAt - 1));
            const QStringList problems = finish
                ? carryOut(journal, progress.doneSteps, journal.steps.size(), false, mover)
                : carryOut(journal, 0, progress.doneSteps, true, mover);
            EXPECT_TRUE(problems.isEmpty()) << problems.join(QLatin1Char('\n')).toStdString();

            ASSERT_EQ(dir.names().size(), size_t(count));
            for (int i = 1; i <= count; ++i) {
                const int now = !finish ? i : c.reversed ? count + 1 - i : i + 1;
                ASSERT_EQ(dir.read(numbered(now)), numbered(i)) << i;
            }
        }
    }
}

TEST(Journal, HoldsAnyByteAndRefusesDamage)
{
    Journal j;
    j.folder = "/media/karte/DCIM\xff";
    j.device = 42;
    j.inode = 7;
    j.files = {{"a\xff\xfe.jpg", {}, "Bild01.jpg", {}},
               {"b\x80.jpg", ".brixelwand-1-1.tmp", "Bild\xc3\x28.jpg", {1, 2, 3}}};
    j.steps
        = {{1, JournalStep::OldToTemp}, {0, JournalStep::OldToNew}, {1, JournalStep::TempToNew}};
    const QByteArray data = encodeJournal(j);
    Journal back;
    ASSERT_TRUE(decodeJournal(data, &back));
    EXPECT_EQ(back.folder, j.folder);
    EXPECT_EQ(back.device, 42u);
    EXPECT_EQ(back.files[0].oldName, j.files[0].oldName);
    EXPECT_EQ(back.files[1].newName, j.files[1].newName);
    EXPECT_EQ(back.files[1].fingerprint.mtimeNs, 3);
    EXPECT_EQ(back.to(back.steps[0]), ".brixelwand-1-1.tmp");
    for (qsizetype cut = 0; cut < data.size(); ++cut)
        EXPECT_FALSE(decodeJournal(data.left(cut), &back)) << cut;
    for (qsizetype at = 9; at < data.size(); ++at) {
        QByteArray damaged = data;
        damaged[at] = char(damaged[at] ^ 0x10);
        EXPECT_FALSE(decodeJournal(damaged, &back)) << at;
    }
}

TEST(Journal, UndoLeavesFilesRenamedSinceAloneAndNamesThem)
{
    TempFolder dir, state;
    FakeWindow window;
    window.folder = dir.path();
    for (const char *n : {"a.jpg", "b\xff.jpg", "c.jpg"})
        dir.write(n, n);
    window.list(dir.names());
    window.selectAll();
    window.texts[OptionText::Text2] = QStringLiteral("Bild");
    window.checks[OptionCheck::Check1] = true;
    window.journal = std::make_unique<JournalStore>(QString::fromUtf8(state.path()));
    runRename(window);
    ASSERT_EQ(dir.names(), (Names {"Bild01.jpg", "Bild02.jpg", "Bild03.jpg"}));
    ::rename(dir.pathOf("Bild02.jpg").constData(), dir.pathOf("mine.jpg").constData());

    Journal journal;
    ASSERT_EQ(window.journal->loadRunning(&journal), JournalStore::Load::None);
    ASSERT_EQ(window.journal->loadLast(&journal), JournalStore::Load::Ok);
    EXPECT_TRUE(journal.completed);
    FileMover mover;
    const QStringList problems = carryOut(journal, 0, journal.steps.size(), true, mover);
    ASSERT_EQ(problems.size(), 1);
    EXPECT_TRUE(problems[0].startsWith(QStringLiteral("„Bild02.jpg“")))
        << problems[0].toStdString();
    EXPECT_EQ(dir.names(), (Names {"a.jpg", "c.jpg", "mine.jpg"}));
    EXPECT_EQ(dir.read("a.jpg"), "a.jpg");
}
