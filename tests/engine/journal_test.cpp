// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakewindow.h"
#include "folderscan.h"
#include "journal.h"
#include "realmedia.h"
#include "recovery.h"
#include "renamedialogue.h"
#include "renameplan.h"
#include "scriptedsyscalls.h"
#include "tempfolder.h"
#include "texts.h"

#include <gtest/gtest.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <set>
#include <sys/stat.h>
#include <sys/wait.h>

namespace {

using Names = std::vector<std::string>;

// How the file system of the card moves: renameat2 with RENAME_NOREPLACE; link and unlink
// (renameat2 refused); or an empty reservation of the new name and a replacing rename (no
// renameat2 and no hard links, as exFAT through FUSE); or a real exFAT through FUSE.
enum class Mover { NoReplace, Link, Placeholder, ExFat };

void emulate(ScriptedSysCalls &sys, Mover mover)
{
    sys.foldCase = mover != Mover::ExFat; // exFAT folds case itself
    sys.skipSyncs = true; // a killed process loses nothing that was written
    if (mover == Mover::Link || mover == Mover::Placeholder)
        sys.failures["renameat2"].assign(1000, EINVAL);
    if (mover == Mover::Placeholder)
        sys.failures["link"].assign(1000, EPERM);
}

// The folder after a run of steps [0, k) of the record, made in the test.
void moveUpTo(const Journal &journal, size_t k)
{
    FileMover mover;
    ASSERT_TRUE(carryOut(journal, 0, k, mover).ok());
}

// A small run with a chain (a2 -> a3, a1 -> a2), a swap (s1 <-> s2, through a temporary name)
// and a case-only rename on a folder that folds case (through a temporary name too). Every
// file holds its own old name; all are of one size and one FAT time, as on a camera card.
struct SmallRun
{
    std::vector<QByteArray> oldNames {"a1.jpg", "a2.jpg", "s1.jpg", "s2.jpg", "urlaub.jpg"};
    std::vector<QByteArray> newNames {"a2.jpg", "a3.jpg", "s2.jpg", "s1.jpg", "Urlaub.jpg"};
    std::vector<QByteArray> tempNames {{}, {}, ".brixelwand-1-1.tmp", {}, ".brixelwand-1-2.tmp"};
    std::vector<Step> steps {{1, "a2.jpg", "a3.jpg"},
                             {0, "a1.jpg", "a2.jpg"},
                             {2, "s1.jpg", ".brixelwand-1-1.tmp"},
                             {3, "s2.jpg", "s1.jpg"},
                             {2, ".brixelwand-1-1.tmp", "s2.jpg"},
                             {4, "urlaub.jpg", ".brixelwand-1-2.tmp"},
                             {4, ".brixelwand-1-2.tmp", "Urlaub.jpg"}};

    void make(const TempFolder &dir) const
    {
        for (const QByteArray &name : oldNames) {
            dir.write(name, name.left(2) + "-Bilddaten"); // one size for all
            dir.setTime(name, 1700000000);
        }
    }
    Journal journal(const TempFolder &dir, SysCalls *sys = nullptr) const
    {
        return Journal::of(dir.path(), oldNames, newNames, tempNames, steps, sys);
    }
    // Recorded in store as a run does, and cut after k steps: the program ended mid-run.
    Journal cut(const TempFolder &dir, JournalStore &store, size_t k) const
    {
        const Journal j = journal(dir);
        EXPECT_EQ(store.begin(j), 0);
        store.unlock();
        moveUpTo(j, k);
        return j;
    }
    // Every file's content exactly once, all under their old or all under their new names.
    bool allOld(const TempFolder &dir) const { return holds(dir, oldNames); }
    bool allNew(const TempFolder &dir) const { return holds(dir, newNames); }

private:
    bool holds(const TempFolder &dir, const std::vector<QByteArray> &names) const
    {
        Names expected;
        for (size_t i = 0; i < names.size(); ++i) {
            expected.push_back(names[i].toStdString());
            if (dir.read(names[i]) != oldNames[i].left(2) + "-Bilddaten")
                return false;
        }
        std::sort(expected.begin(), expected.end());
        return dir.names() == expected;
    }
};

// Sets window to rename every file of dir to name.
void renameAllTo(const char *name, FakeWindow &window, const TempFolder &dir)
{
    window.folder = dir.path();
    window.list(dir.names());
    window.selectAll();
    window.texts[OptionText::Text2] = QLatin1String(name);
}

// Makes the run's steps one by one and completes its record, as a run does.
void makeRun(const SmallRun &run, const TempFolder &dir, const QString &state,
             ScriptedSysCalls *sys, FileMover &mover)
{
    JournalStore store(state, sys);
    const Journal journal = run.journal(dir, sys);
    if (store.begin(journal) != 0)
        return;
    for (const Step &s : run.steps) {
        if (mover.MoveFile(dir.path() + '/' + s.from, dir.path() + '/' + s.to) != 0)
            return;
    }
    mover.release();
    store.complete();
}

} // namespace

// A run whose old and new names are apart, the common case: names alone tell where each file
// is, and only the card's sample carries fingerprints.
SmallRun disjointRun()
{
    SmallRun run;
    run.oldNames = {"a.jpg", "b.jpg"};
    run.newNames = {"Urlaub1.jpg", "Urlaub2.jpg"};
    run.tempNames = {{}, {}};
    run.steps = {{0, "a.jpg", "Urlaub1.jpg"}, {1, "b.jpg", "Urlaub2.jpg"}};
    return run;
}

TEST(Journal, RunKilledAtEveryCallIsFinishedOrUndoneFromTheDisk)
{
    RealMedia card(RealMedia::ExfatFuse);
    const bool exFat = card.mounted();
    if (!exFat)
        std::printf("exFAT through FUSE: %s\n", card.skipReason().c_str());
    for (const SmallRun &run : {SmallRun(), disjointRun()})
        for (const Mover mode : {Mover::NoReplace, Mover::Link, Mover::Placeholder, Mover::ExFat}) {
            if (mode == Mover::ExFat && !exFat)
                continue;
            const QByteArray parent = mode == Mover::ExFat ? card.path() : QByteArray("/tmp");
            // The calls of a whole run, counted on a run that is not killed.
            int total = 0;
            {
                TempFolder dir(parent), state;
                run.make(dir);
                auto &&[sys, mover] = ScriptedMover();
                emulate(*sys, mode);
                sys->beforeCall = [&](const char *) { ++total; };
                makeRun(run, dir, QString::fromUtf8(state.path()), sys, mover);
                ASSERT_TRUE(run.allNew(dir));
            }
            for (int killAt = 1; killAt <= total; ++killAt) {
                for (const MessageAnswer answer : {MessageAnswer::Continue, MessageAnswer::Undo}) {
                    SCOPED_TRACE(testing::Message()
                                 << "mode " << int(mode) << " kill " << killAt << " of " << total
                                 << " answer " << int(answer));
                    TempFolder dir(parent), state;
                    const QString stateDir = QString::fromUtf8(state.path());
                    run.make(dir);
                    const pid_t child = ::fork();
                    ASSERT_GE(child, 0);
                    if (child == 0) {
                        auto &&[sys, mover] = ScriptedMover();
                        emulate(*sys, mode);
                        int calls = 0;
                        sys->beforeCall = [&](const char *) {
                            if (++calls == killAt)
                                ::raise(SIGKILL);
                        };
                        makeRun(run, dir, stateDir, sys, mover);
                        ::_exit(3);
                    }
                    int status = 0;
                    ::waitpid(child, &status, 0);
                    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << status;

                    auto &&[sys, mover] = ScriptedMover();
                    emulate(*sys, mode);
                    JournalStore store(stateDir, sys);
                    FakeWindow window;
                    window.answers = {answer};
                    recoverInterruptedRun(window, store, mover);
                    const bool asked = window.answers.empty(); // a question took the answer
                    EXPECT_FALSE(window.messageTitles().contains(QStringLiteral("Achtung!")))
                        << window.messages.front().prompt.toStdString();
                    EXPECT_FALSE(window.messageTitles().contains(errorTitle()));
                    Journal journal;
                    EXPECT_EQ(store.loadRunning(&journal), JournalStore::Load::None);
                    ASSERT_TRUE(run.allOld(dir) || run.allNew(dir))
                        << testing::PrintToString(dir.names());
                    if (run.allNew(dir)) {
                        window.answers = {MessageAnswer::Yes};
                        undoLastRun(window, store, mover);
                        EXPECT_TRUE(run.allOld(dir)) << testing::PrintToString(dir.names());
                        EXPECT_EQ(store.loadLast(&journal), JournalStore::Load::None);
                    }
                    if (!asked)
                        break; // finished or not begun: the other answer would not be asked for
                }
            }
        }
}

TEST(Journal, RecordIsWrittenAndSyncedBeforeTheFirstMoveAndTheFolderBeforeItCompletes)
{
    TempFolder dir, state;
    for (const char *n : {"a.jpg", "b.jpg"})
        dir.write(n, n);
    FakeWindow window;
    renameAllTo("Bild", window, dir);
    window.checks[OptionCheck::Check1] = true;
    auto *sys = new ScriptedSysCalls;
    window.sysForMover.reset(sys);
    window.fileMover();
    window.journal = std::make_unique<JournalStore>(QString::fromUtf8(state.path()), sys);
    runRename(window);
    ASSERT_EQ(dir.names(), (Names {"Bild01.jpg", "Bild02.jpg"}));

    const QString running = QStringLiteral("laufende-umbenennung.journal");
    const QString folder = QString::fromUtf8(dir.path());
    const QString stateFolder = QString::fromUtf8(state.path());
    // Each of these, in this order; taking out any sync breaks the order.
    const QStringList wanted {
        QStringLiteral("write ") + running + QStringLiteral(".neu"),
        QStringLiteral("fdatasync ") + running + QStringLiteral(".neu"),
        QStringLiteral("renameat ") + running + QStringLiteral(".neu ") + running,
        QStringLiteral("fsync ") + stateFolder,
        QStringLiteral("renameat2 a.jpg Bild01.jpg"),
        QStringLiteral("renameat2 b.jpg Bild02.jpg"),
        QStringLiteral("fsync ") + folder,
        QStringLiteral("pwrite ") + running,
        QStringLiteral("fdatasync ") + running,
        QStringLiteral("renameat ") + running + QStringLiteral(" letzte-umbenennung.journal"),
        QStringLiteral("fsync ") + stateFolder,
    };
    qsizetype at = 0;
    for (const QString &line : std::as_const(sys->log)) {
        if (at < wanted.size() && line.trimmed() == wanted[at])
            ++at;
    }
    EXPECT_EQ(at, wanted.size()) << "missing: " << wanted.value(at).toStdString() << "\n"
                                 << sys->log.join(QLatin1Char('\n')).toStdString();

    // Undo drops the record only after the folder is synced.
    sys->log.clear();
    JournalStore store(QString::fromUtf8(state.path()), sys);
    window.journal.reset();
    undoLastRun(window, store, window.fileMover());
    ASSERT_EQ(dir.names(), (Names {"a.jpg", "b.jpg"}));
    const qsizetype sync = sys->log.indexOf(QStringLiteral("fsync %1 ").arg(folder));
    const qsizetype drop = sys->log.indexOf(QStringLiteral("unlink letzte-umbenennung.journal "));
    EXPECT_GE(sync, 0);
    EXPECT_GT(drop, sync) << sys->log.join(QLatin1Char('\n')).toStdString();
    // And the state folder after the record is gone from it.
    EXPECT_GT(sys->log.indexOf(QStringLiteral("fsync %1 ").arg(stateFolder), drop), drop)
        << sys->log.join(QLatin1Char('\n')).toStdString();

    // A run that failed and was not restored stays as the last run: its folder is synced before
    // the record says so.
    {
        TempFolder failing;
        for (const char *n : {"c.jpg", "d.jpg"})
            failing.write(n, n);
        FakeWindow failed;
        renameAllTo("Bild", failed, failing);
        auto *failingSys = new ScriptedSysCalls;
        failingSys->failures["renameat2"] = {0, EACCES};
        failed.sysForMover.reset(failingSys);
        failed.journal
            = std::make_unique<JournalStore>(QString::fromUtf8(state.path()), failingSys);
        failed.answers = {MessageAnswer::Yes, MessageAnswer::Ok, MessageAnswer::No};
        runRename(failed);
        ASSERT_EQ(failing.names(), (Names {"Bild01.jpg", "d.jpg"}));
        const QStringList &log = failingSys->log;
        const qsizetype synced
            = log.indexOf(QStringLiteral("fsync %1 ").arg(QString::fromUtf8(failing.path())));
        const qsizetype kept = log.indexOf(
            QStringLiteral("renameat letzte-umbenennung.journal.neu letzte-umbenennung.journal"));
        EXPECT_GE(synced, 0);
        EXPECT_GT(kept, synced) << log.join(QLatin1Char('\n')).toStdString();
    }

    // So does recovery, either way.
    const SmallRun small;
    for (const MessageAnswer answer : {MessageAnswer::Continue, MessageAnswer::Undo}) {
        TempFolder cut, cutState;
        small.make(cut);
        JournalStore recorded(QString::fromUtf8(cutState.path()));
        const Journal journal = small.cut(cut, recorded, 3);
        sys->log.clear();
        JournalStore logged(QString::fromUtf8(cutState.path()), sys);
        window.answers = {answer};
        recoverInterruptedRun(window, logged, window.fileMover());
        ASSERT_TRUE(answer == MessageAnswer::Continue ? small.allNew(cut) : small.allOld(cut));
        const qsizetype synced
            = sys->log.indexOf(QStringLiteral("fsync %1 ").arg(QString::fromUtf8(cut.path())));
        const qsizetype settled
            = sys->log.indexOf(answer == MessageAnswer::Continue
                                   ? QStringLiteral("pwrite laufende-umbenennung.journal ")
                                   : QStringLiteral("unlink laufende-umbenennung.journal "));
        EXPECT_GE(synced, 0);
        EXPECT_GT(settled, synced) << sys->log.join(QLatin1Char('\n')).toStdString();
    }
}

TEST(Journal, HoldsAnyByteAndRefusesDamage)
{
    Journal j;
    j.folder = "/media/karte/DCIM\xff";
    j.device = 42;
    j.volumeUuid = "1234-ABCD";
    j.mountPoint = "/media/karte";
    j.startedNs = 5;
    Fingerprint cycled;
    cycled.known = true;
    cycled.size = 1;
    cycled.mtimeNs = 3;
    cycled.hasHead = true;
    cycled.head = 99;
    // Names that share beginnings and ends with the one before, over each other too.
    j.files = {{"a\xff\xfe.jpg", {}, "Bild01.jpg", {}},
               {"b\x80.jpg", ".brixelwand-1-1.tmp", "Bild\xc3\x28.jpg", cycled},
               {"b.jpg", {}, "Bild.jpg.jpg", {}},
               {"b.jpgb.jpg", {}, "B", {}}};
    j.steps = {{1, JournalStep::OldToTemp},
               {0, JournalStep::OldToNew},
               {1, JournalStep::TempToNew},
               {2, JournalStep::OldToNew},
               {3, JournalStep::OldToNew}};
    const QByteArray data = encodeJournal(j);
    Journal back;
    ASSERT_TRUE(decodeJournal(data, &back));
    EXPECT_EQ(back.folder, j.folder);
    EXPECT_EQ(back.device, 42u);
    EXPECT_EQ(back.volumeUuid, j.volumeUuid);
    EXPECT_EQ(back.mountPoint, j.mountPoint);
    for (size_t i = 0; i < j.files.size(); ++i) {
        EXPECT_EQ(back.files[i].oldName, j.files[i].oldName);
        EXPECT_EQ(back.files[i].newName, j.files[i].newName);
    }
    EXPECT_EQ(back.files[1].fingerprint.mtimeNs, 3);
    EXPECT_EQ(back.files[1].fingerprint.head, 99u);
    EXPECT_FALSE(back.files[0].fingerprint.known);
    EXPECT_EQ(back.to(back.steps[0]), ".brixelwand-1-1.tmp");
    for (qsizetype cut = 0; cut < data.size(); ++cut)
        EXPECT_FALSE(decodeJournal(data.left(cut), &back)) << cut;
    for (qsizetype at = 9; at < data.size(); ++at) {
        QByteArray damaged = data;
        damaged[at] = char(damaged[at] ^ 0x10);
        EXPECT_FALSE(decodeJournal(damaged, &back)) << at;
    }

    // Well-formed but crafted: refused as damaged, never acted on.
    const auto crafted = [&](const std::function<void(Journal &)> &change) {
        Journal c = j;
        change(c);
        return decodeJournal(encodeJournal(c), &back);
    };
    EXPECT_FALSE(crafted([](Journal &c) { std::swap(c.steps[0], c.steps[2]); }));
    EXPECT_FALSE(crafted([](Journal &c) { c.steps.push_back({0, JournalStep::OldToNew}); }));
    EXPECT_FALSE(crafted([](Journal &c) { c.steps.push_back({7, JournalStep::OldToNew}); }));
    EXPECT_FALSE(crafted([](Journal &c) { c.steps[1].kind = JournalStep::OldToTemp; }));
    for (const QByteArray &bad : {QByteArray("../victim.txt"), QByteArray(".."), QByteArray("."),
                                  QByteArray("a/b"), QByteArray("a\0b", 3), QByteArray()}) {
        EXPECT_FALSE(crafted([&](Journal &c) { c.files[0].newName = bad; })) << bad.constData();
        EXPECT_FALSE(crafted([&](Journal &c) { c.files[1].tempName = bad; })) << bad.constData();
    }
    for (const QByteArray &folder :
         {QByteArray("media/karte"), QByteArray("/media/../etc"), QByteArray("/media/karte/")})
        EXPECT_FALSE(crafted([&](Journal &c) { c.folder = folder; })) << folder.constData();

    // A file far larger than any record is refused without a byte of it read.
    TempFolder state;
    state.write("laufende-umbenennung.journal", data);
    ASSERT_EQ(::truncate((state.path() + "/laufende-umbenennung.journal").constData(),
                         journalMaxBytes + 1),
              0);
    ScriptedSysCalls sys;
    sys.failures["read"] = {EIO};
    EXPECT_EQ(JournalStore(QString::fromUtf8(state.path()), &sys).loadRunning(&back),
              JournalStore::Load::Corrupt);
}

// A record as the versions before this one wrote it. BWJOURN2: no volume and no start time, and
// inode, size and time of the files in cycles; BWJOURN3: size and time of every file. Both with
// their lengths in two bytes each and every step in five. BWJOURN4: lengths and steps as varints,
// a fingerprint only where the run took one.
QByteArray previousFormat(const Journal &j, int version)
{
    QByteArray out = "BWJOURN" + QByteArray::number(version);
    out += j.completed ? 'C' : 'R';
    const auto put = [&out](quint64 value, int bytes) {
        for (int i = 0; i < bytes; ++i)
            out += char(value >> (8 * i));
    };
    const auto varint = [&out](quint64 value) {
        for (; value >= 0x80; value >>= 7)
            out += char((value & 0x7f) | 0x80);
        out += char(value);
    };
    put(j.device, 8);
    put(j.inode, 8);
    if (version >= 3) {
        put(quint64(j.startedNs), 8);
        for (const QByteArray *name : {&j.volumeUuid, &j.mountPoint}) {
            put(quint64(name->size()), 2);
            out += *name;
        }
    }
    put(quint64(j.folder.size()), 4);
    out += j.folder;
    put(j.files.size(), 4);
    qint64 mtimeBefore = 0;
    for (const JournalFile &f : j.files) {
        for (const QByteArray *name : {&f.oldName, &f.tempName, &f.newName}) {
            if (version == 4) {
                if (name != &f.tempName)
                    varint(0); // nothing shared with the name before
                varint(quint64(name->size()));
            } else {
                if (name != &f.tempName)
                    put(0, 2);
                put(quint64(name->size()), 2);
            }
            out += *name;
        }
        const Fingerprint &fp = f.fingerprint;
        if (version == 4 && !fp.known) {
            varint(0);
        } else if (version >= 3) {
            varint(version == 4 ? fp.size << 2 | 2 | quint64(fp.hasHead)
                                : fp.size << 1 | quint64(fp.hasHead));
            const qint64 step = fp.mtimeNs - mtimeBefore;
            varint(quint64(step) << 1 ^ quint64(step >> 63));
            mtimeBefore = fp.mtimeNs;
            if (fp.hasHead)
                put(fp.head, 8);
        } else if (!f.tempName.isEmpty()) {
            put(0, 8);
            put(fp.size, 8);
            put(quint64(fp.mtimeNs), 8);
        }
    }
    put(j.steps.size(), 4);
    qint64 fileBefore = -1;
    for (const JournalStep &s : j.steps) {
        if (version == 4) {
            const qint64 jump = qint64(s.file) - fileBefore - 1;
            varint((quint64(jump) << 1 ^ quint64(jump >> 63)) << 2 | s.kind);
            fileBefore = s.file;
            continue;
        }
        put(s.file, 4);
        put(s.kind, 1);
    }
    quint32 hash = 2166136261u;
    for (qsizetype i = 9; i < out.size(); ++i)
        hash = (hash ^ quint8(out[i])) * 16777619u;
    put(hash, 4);
    return out;
}

// An interrupted run recorded by a version before is finished, and then undone as the last
// run. Its files have times of their own: BWJOURN2 kept no hash to tell a swap of two alike
// files.
TEST(Journal, RecordsOfThePreviousVersionsAreFinishedAndUndone)
{
    const SmallRun run;
    for (const int version : {2, 3, 4}) {
        SCOPED_TRACE(version);
        TempFolder dir, state;
        run.make(dir);
        for (size_t i = 0; i < run.oldNames.size(); ++i)
            dir.setTime(run.oldNames[i], 1700000000 + qint64(i) * 60);
        const Journal journal = run.journal(dir);
        moveUpTo(journal, 3);
        state.write("laufende-umbenennung.journal", previousFormat(journal, version));
        JournalStore store(QString::fromUtf8(state.path()));
        FakeWindow window;
        window.answers = {MessageAnswer::Continue};
        FileMover mover;
        recoverInterruptedRun(window, store, mover);
        EXPECT_EQ(window.messageTitles(), QStringList {questionTitle()});
        EXPECT_TRUE(run.allNew(dir)) << testing::PrintToString(dir.names());
        window.messages.clear();
        undoLastRun(window, store, mover);
        EXPECT_EQ(window.messageTitles(), QStringList {questionTitle()});
        EXPECT_TRUE(run.allOld(dir)) << testing::PrintToString(dir.names());
    }
}

// A swap of six pictures of one size and one FAT time, cut anywhere: only the first 64 KiB
// tell the points of the run apart.
TEST(Journal, PointOfACutSwapIsFoundByContentWhereSizeAndTimeAgree)
{
    TempFolder dir;
    std::vector<QByteArray> oldNames, newNames;
    for (int i = 1; i <= 6; ++i) {
        const QByteArray name = "Bild000" + QByteArray::number(i) + ".jpg";
        dir.write(name, "Bild " + QByteArray::number(i));
        dir.setTime(name, 1700000000);
        oldNames.push_back(name);
    }
    for (int i = 0; i < 6; ++i)
        newNames.push_back(oldNames[size_t(i ^ 1)]);
    FileMover mover;
    const FolderScan before = FolderScan::read(dir.path(), mover.sys());
    std::vector<QByteArray> temps;
    unsigned counter = 0;
    const auto steps = orderMoves(before, oldNames, newNames, &temps, counter);
    const Journal journal = Journal::of(dir.path(), oldNames, newNames, temps, steps);
    ASSERT_EQ(journal.steps.size(), 9u);
    size_t done = 0;
    for (const size_t k : {size_t(0), size_t(3), size_t(4), size_t(6), size_t(9)}) {
        ASSERT_TRUE(carryOut(journal, done, k, mover).ok());
        done = k;
        const Whereabouts where = locateFiles(journal, FolderScan::read(dir.path(), mover.sys()),
                                              mover.sys(), true, false);
        std::vector<qint8> expected(6, AtOld);
        for (size_t s = 0; s < k; ++s)
            expected[journal.steps[s].file]
                = journal.steps[s].kind == JournalStep::OldToTemp ? AtTemp : AtNew;
        EXPECT_EQ(where.place, expected) << k;
    }
}

// A large renumbering (a chain: every new name is the old name of the next file) reads sizes
// and times on two threads, each its half of the moving files: every file gets its own,
// whatever order the files move in and wherever the halves meet.
TEST(Journal, EveryFileOfALargeRunGetsItsOwnSizeAndTime)
{
    struct SizeFromName : SysCalls
    {
        int sizeAndTime(int, const char *name, quint64 *size, qint64 *mtimeNs) override
        {
            *size = std::strtoull(name + 1, nullptr, 10) + 1; // "f41" is 42 bytes
            *mtimeNs = qint64(*size) * 2000000000;
            return 0;
        }
    } sys;
    TempFolder dir;
    const int count = 5003; // 4,288 moving: two halves of over 2,048
    std::vector<QByteArray> oldNames, newNames;
    std::vector<Step> steps;
    for (int i = 0; i < count; ++i) {
        oldNames.push_back("f" + QByteArray::number(i));
        newNames.push_back(i % 7 ? "f" + QByteArray::number(i + 1) : oldNames.back());
    }
    // The last file first, as in a renumbering; every seventh keeps its name and does not move.
    for (int i = count - 1; i >= 0; --i) {
        if (i % 7)
            steps.push_back({i, oldNames[size_t(i)], newNames[size_t(i)]});
    }
    const Journal journal = Journal::of(dir.path(), oldNames, newNames, {}, steps, &sys);
    ASSERT_EQ(journal.files.size(), size_t(count));
    std::vector<int> wrong;
    for (int i = 0; i < count; ++i) {
        const Fingerprint &f = journal.files[size_t(i)].fingerprint;
        if (i % 7 && (f.size != quint64(i) + 1 || f.mtimeNs != qint64(i + 1) * 2000000000))
            wrong.push_back(i);
    }
    EXPECT_TRUE(wrong.empty()) << wrong.size() << " files, the first " << wrong.front();
}

// Names decide where a file is unless a name is an old and a new name of the run, letter case
// aside in every script: those files, and the card's sample, are fingerprinted, no others.
TEST(Journal, FingerprintsGoWhereNamesCannotDecide)
{
    Journal journal;
    for (int i = 0; i < 1000; ++i)
        journal.files.push_back({"IMG_" + QByteArray::number(i).rightJustified(4, '0') + ".JPG",
                                 {},
                                 "Urlaub" + QByteArray::number(i) + ".jpg",
                                 {}});
    const auto rename = [&](int file, const char *from, const char *to) {
        journal.files[size_t(file)].oldName = from;
        journal.files[size_t(file)].newName = to;
    };
    rename(100, "Urlaub_1.jpg", "urlaub_1.JPG"); // case only
    rename(200, "a.jpg", "Kette.jpg"); // a chain, in another case
    rename(300, "kETTE.JPG", "b.jpg");
    rename(400, "c.jpg", "Äpfel.jpg"); // beyond ASCII
    rename(500, "äPFEL.JPG", "d.jpg");
    rename(600, "\xe2\x84\xaa.jpg", "e.jpg"); // the Kelvin sign, whose small letter is k
    rename(700, "f.jpg", "k.jpg");
    rename(800, "Foto\xff.jpg", "g.jpg"); // no UTF-8: ASCII letters compare without case
    rename(900, "h.jpg", "fOTO\xff.JPG");
    std::vector<quint32> moving(1000);
    std::iota(moving.begin(), moving.end(), 0);
    const std::vector<quint32> chosen = journal.needingFingerprints(moving);
    const std::set<quint32> named(chosen.begin(), chosen.end());
    for (const quint32 file : {100, 200, 300, 400, 500, 600, 700, 800, 900})
        EXPECT_TRUE(named.count(file)) << file;
    EXPECT_LE(chosen.size(), Journal::cardSample + 9);
}

// Recovery decides file by file: a file gone, changed or unclear keeps its name and is named in
// one report, the others move. Only another card, told by the files' sizes and times where the
// volume has no identity, moves nothing.
TEST(Journal, RecoveryDecidesFileByFileAndRefusesOnlyAnotherCard)
{
    const SmallRun run;
    struct Case
    {
        const char *name;
        std::function<void(const TempFolder &)> change;
        const char *said; // in the last box
        bool anotherCard = false; // the record has no volume identity; nothing may move
        std::vector<QByteArray> staying = {}; // files not renamed; all others get new names
        bool onExfat = false; // on a real exFAT through FUSE, which keeps local times
    };
    const Case cases[] = {
        {"every time an hour later: exFAT read in another time zone",
         [](const TempFolder &dir) {
             for (const std::string &name : dir.names())
                 dir.setTime(QByteArray::fromStdString(name), 1700000000 + 3600);
         },
         "",
         true,
         {},
         true},
        {"another card with the same names, no volume identity",
         [](const TempFolder &dir) {
             for (const std::string &name : dir.names())
                 dir.write(QByteArray::fromStdString(name), "ein anderes Bild");
         },
         "„a1.jpg“ ist eine andere Datei", true},
        {"one changed file does not make it another card",
         [](const TempFolder &dir) { dir.setTime("urlaub.jpg", 1600000000); }, "", true},
        // a2.jpg holds a1.jpg's picture now; the time tells it from a2.jpg's, as the size cannot.
        {"a file of a chain with the same size and another time",
         [](const TempFolder &dir) { dir.setTime("a2.jpg", 1700000100); },
         "„a2.jpg“ ist nicht mehr die Datei der Umbenennung",
         false,
         {"a1.jpg"}},
        {"a file gone",
         [](const TempFolder &dir) { ::unlink(dir.pathOf("urlaub.jpg").constData()); },
         "„urlaub.jpg“ fehlt – sie behält ihren Namen.",
         false,
         {"urlaub.jpg"}},
        // Not moved to its temporary name either, where it would stay hidden.
        {"a new name taken",
         [](const TempFolder &dir) { dir.write("Urlaub.jpg", "fremd"); },
         "„urlaub.jpg“ behält ihren Namen, denn eine andere Datei oder ein Ordner heißt schon "
         "„Urlaub.jpg“.",
         false,
         {"urlaub.jpg"}},
    };
    RealMedia card(RealMedia::ExfatFuse);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.onExfat && !card.mounted()) {
            std::printf("skipped: %s\n", card.skipReason().c_str());
            continue;
        }
        TempFolder dir(c.onExfat ? card.path() : QByteArray("/tmp")), state;
        run.make(dir);
        JournalStore store(QString::fromUtf8(state.path()));
        Journal journal = run.journal(dir);
        if (c.anotherCard)
            journal.volumeUuid.clear();
        ASSERT_EQ(store.begin(journal), 0);
        store.unlock();
        moveUpTo(journal, 3); // inside the swap
        c.change(dir);
        const Names before = dir.names();
        FakeWindow window;
        window.answers = {MessageAnswer::Continue};
        FileMover mover;
        recoverInterruptedRun(window, store, mover);
        ASSERT_FALSE(window.messages.empty());
        EXPECT_TRUE(window.messages.back().prompt.contains(QString::fromUtf8(c.said)))
            << window.messages.back().prompt.toStdString();
        Journal kept;
        if (c.anotherCard && *c.said) {
            EXPECT_EQ(window.messageTitles(), QStringList {"Achtung!"});
            EXPECT_TRUE(window.messages[0].prompt.contains(QString::fromUtf8(dir.path())));
            EXPECT_EQ(dir.names(), before);
            EXPECT_EQ(store.loadRunning(&kept), JournalStore::Load::Ok); // waits for its card
            continue;
        }
        EXPECT_EQ(store.loadRunning(&kept), JournalStore::Load::None);
        for (size_t i = 0; i < run.oldNames.size(); ++i) {
            const bool stays
                = std::find(c.staying.begin(), c.staying.end(), run.oldNames[i]) != c.staying.end();
            if (!stays) {
                EXPECT_EQ(dir.read(run.newNames[i]), run.oldNames[i].left(2) + "-Bilddaten")
                    << run.newNames[i].constData();
            }
        }
        EXPECT_EQ(window.messageTitles().size(), c.staying.empty() ? 1 : 2);
    }
}

// The undo of the last run after the photographer culled and edited: every file still at its
// new name gets its old one, where that is free; the others are named, each once.
TEST(Journal, UndoAfterFilesWereDeletedRenamedEditedOrTheirOldNameTaken)
{
    TempFolder dir, state;
    const std::vector<QByteArray> oldNames {"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.png"};
    const std::vector<QByteArray> newNames {"Urlaub01.jpg", "Urlaub02.jpg", "Urlaub03.jpg",
                                            "Urlaub04.jpg", "Urlaub05.png"};
    std::vector<Step> steps;
    for (int i = 0; i < 5; ++i) {
        dir.write(oldNames[size_t(i)], oldNames[size_t(i)]);
        steps.push_back({i, oldNames[size_t(i)], newNames[size_t(i)]});
    }
    JournalStore store(QString::fromUtf8(state.path()));
    ScriptedSysCalls counting;
    Journal journal = Journal::of(dir.path(), oldNames, newNames, {}, steps, &counting);
    journal.volumeUuid.clear(); // the card told by its files: one of five changed is still it
    ASSERT_EQ(store.begin(journal), 0);
    moveUpTo(journal, steps.size());
    ASSERT_EQ(store.complete(), 0);
    ::unlink(dir.pathOf("Urlaub02.jpg").constData());
    ::rename(dir.pathOf("Urlaub03.jpg").constData(), dir.pathOf("Gut.jpg").constData());
    dir.write("Urlaub04.jpg", "bearbeitet, größer");
    dir.setTime("Urlaub04.jpg", 1700000000);
    dir.write("e.png", "neu");

    FakeWindow window;
    FileMover mover;
    undoLastRun(window, store, mover);
    ASSERT_EQ(window.messageTitles(), (QStringList {questionTitle(), "Achtung!"}));
    EXPECT_TRUE(window.messages[0].prompt.contains(QStringLiteral(" 2 Dateien erhalten")))
        << window.messages[0].prompt.toStdString();
    const QString report = window.messages[1].prompt;
    for (const char *line : {"„Urlaub02.jpg“ fehlt – sie behält ihren Namen.",
                             "„Urlaub03.jpg“ fehlt – sie behält ihren Namen.",
                             "„Urlaub05.png“ behält ihren Namen, denn eine andere Datei oder ein "
                             "Ordner heißt schon „e.png“."})
        EXPECT_EQ(report.count(QString::fromUtf8(line)), 1) << report.toStdString();
    EXPECT_EQ(dir.names(), (Names {"Gut.jpg", "Urlaub05.png", "a.jpg", "d.jpg", "e.png"}));
    EXPECT_EQ(dir.read("d.jpg"), "bearbeitet, größer");
    Journal last;
    EXPECT_EQ(store.loadLast(&last), JournalStore::Load::None);
}

// A move cut after it reserved the new name, or after the link before the unlink: recovery
// removes what the cut move left, and only that, then goes on either way.
TEST(Journal, RecoveryRemovesWhatTheCutMoveLeftAndNothingElse)
{
    const SmallRun run;
    for (const bool link : {false, true}) {
        for (const MessageAnswer answer : {MessageAnswer::Continue, MessageAnswer::Undo}) {
            SCOPED_TRACE(testing::Message() << "link " << link << " answer " << int(answer));
            TempFolder dir, state;
            run.make(dir);
            JournalStore store(QString::fromUtf8(state.path()));
            const Journal journal = run.cut(dir, store, 3);
            // Step 3 moves s2.jpg onto s1.jpg.
            if (link)
                ASSERT_EQ(
                    ::link(dir.pathOf("s2.jpg").constData(), dir.pathOf("s1.jpg").constData()), 0);
            else
                dir.write("s1.jpg");
            FakeWindow window;
            window.answers = {answer};
            FileMover mover;
            recoverInterruptedRun(window, store, mover);
            EXPECT_EQ(window.messageTitles(), QStringList {questionTitle()})
                << window.messages[0].prompt.toStdString();
            EXPECT_TRUE(answer == MessageAnswer::Continue ? run.allNew(dir) : run.allOld(dir))
                << testing::PrintToString(dir.names());
        }
    }
}

// A read-only card: every move fails. The failure is named with its German reason, and the
// record stays to be offered again.
TEST(Journal, FailedMovesKeepTheRecordAndAreReported)
{
    const SmallRun run;
    TempFolder dir, state;
    run.make(dir);
    JournalStore store(QString::fromUtf8(state.path()));
    const Journal journal = run.cut(dir, store, 3);
    const Names cut = dir.names();
    struct Case
    {
        MessageAnswer answer;
        std::deque<int> failures; // of renameat2, 0 where it works
        const char *notTried;
    };
    const Case cases[] = {
        {MessageAnswer::Continue, std::deque<int>(10, EROFS), "Die übrigen 3 Dateien"},
        {MessageAnswer::Undo, std::deque<int>(10, EROFS), "Die übrigen 2 Dateien"},
        {MessageAnswer::Undo, {0, EROFS}, "Eine weitere Datei"}, // the last: one undone
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.notTried);
        auto &&[sys, mover] = ScriptedMover();
        sys->failures["renameat2"] = c.failures;
        FakeWindow window;
        window.answers = {c.answer};
        recoverInterruptedRun(window, store, mover);
        ASSERT_EQ(window.messageTitles(), (QStringList {questionTitle(), errorTitle()}));
        EXPECT_TRUE(window.messages[1].prompt.contains(QStringLiteral("schreibgeschützt")));
        EXPECT_TRUE(window.messages[1].prompt.contains(QString::fromUtf8(c.notTried)))
            << window.messages[1].prompt.toStdString();
        if (c.failures.front() != 0) {
            EXPECT_EQ(dir.names(), cut);
        }
        Journal kept;
        EXPECT_EQ(store.loadRunning(&kept), JournalStore::Load::Ok);
    }

    // Finished, but the state disk refuses to mark the record: said, and the record stays.
    {
        ScriptedSysCalls stateSys;
        stateSys.failures["pwrite"] = {EROFS};
        JournalStore readOnly(QString::fromUtf8(state.path()), &stateSys);
        FileMover mover;
        FakeWindow window;
        window.answers = {MessageAnswer::Continue};
        recoverInterruptedRun(window, readOnly, mover);
        ASSERT_EQ(window.messageTitles(), (QStringList {questionTitle(), errorTitle()}));
        EXPECT_TRUE(window.messages[1].prompt.contains(QStringLiteral("schreibgeschützt")));
        Journal kept;
        EXPECT_EQ(store.loadRunning(&kept), JournalStore::Load::Ok);
    }

    // Undo of the last run: the same, and the undo stays on offer.
    FileMover mover;
    FakeWindow window;
    recoverInterruptedRun(window, store, mover); // finished: the record is settled unasked
    ASSERT_TRUE(window.messages.empty());
    ASSERT_TRUE(run.allNew(dir));
    auto &&[sys, failing] = ScriptedMover();
    sys->failures["renameat2"] = {0, EROFS};
    window.messages.clear();
    undoLastRun(window, store, failing);
    ASSERT_EQ(window.messageTitles(), (QStringList {questionTitle(), errorTitle()}));
    EXPECT_TRUE(window.messages[0].prompt.contains(QStringLiteral(" 5 Dateien")));
    {
        // A run that stopped at its fourth move: the question counts the three files moved.
        TempFolder otherDir, otherState;
        run.make(otherDir);
        JournalStore other(QString::fromUtf8(otherState.path()));
        Journal stopped = run.journal(otherDir);
        ASSERT_EQ(other.begin(stopped), 0);
        moveUpTo(stopped, 3);
        stopped.steps.resize(3);
        ASSERT_EQ(other.keepAsLast(stopped), 0);
        FakeWindow asked;
        asked.answers = {MessageAnswer::No};
        undoLastRun(asked, other, mover);
        ASSERT_EQ(asked.messageTitles(), QStringList {questionTitle()});
        EXPECT_TRUE(asked.messages[0].prompt.contains(QStringLiteral(" 3 Dateien")));
    }
    EXPECT_TRUE(window.messages[1].prompt.contains(QStringLiteral("schreibgeschützt")));
    EXPECT_TRUE(canUndoLastRun(store, mover.sys()));
    window.messages.clear();
    undoLastRun(window, store, mover); // the card writable again: the rest is undone
    EXPECT_TRUE(run.allOld(dir)) << testing::PrintToString(dir.names());
    EXPECT_FALSE(canUndoLastRun(store, mover.sys()));
}

// The state disk full or read-only: no failure of the record is passed over.
TEST(Journal, FailedWritesOfTheRecordAreNeverIgnored)
{
    TempFolder dir, state;
    const SmallRun run;
    run.make(dir);
    const QString stateDir = QString::fromUtf8(state.path());
    for (const char *op : {"write", "fdatasync", "renameat", "fsync"}) {
        SCOPED_TRACE(op);
        ScriptedSysCalls sys;
        sys.failures[op] = {ENOSPC};
        JournalStore store(stateDir, &sys);
        EXPECT_EQ(store.begin(run.journal(dir)), ENOSPC);
        Journal journal;
        EXPECT_EQ(store.loadRunning(&journal), JournalStore::Load::None); // nothing to ask
        EXPECT_FALSE(store.locked());
    }
    for (const char *op : {"fsync", "pwrite", "fdatasync", "renameat"}) {
        SCOPED_TRACE(op);
        ScriptedSysCalls sys;
        JournalStore store(stateDir, &sys);
        ASSERT_EQ(store.begin(run.journal(dir)), 0);
        sys.failures[op] = {EROFS};
        EXPECT_EQ(store.complete(), EROFS);
        Journal journal;
        EXPECT_EQ(store.loadRunning(&journal), JournalStore::Load::Ok);
        EXPECT_EQ(store.keepAsLast(journal), 0);
        ASSERT_EQ(store.begin(run.journal(dir)), 0);
        sys.failures["renameat"] = {EROFS};
        EXPECT_EQ(store.keepAsLast(journal), EROFS);
        EXPECT_EQ(store.loadRunning(&journal), JournalStore::Load::Ok); // still there
        EXPECT_EQ(store.discardRunning(), 0);
    }

    // Marked completed but not yet the last run's record when the program ended: the next start
    // settles it, though the card is out by then (its folder was synced before the mark).
    {
        TempFolder card;
        run.make(card);
        ScriptedSysCalls sys;
        JournalStore store(stateDir, &sys);
        ASSERT_EQ(store.begin(run.journal(card)), 0);
        sys.failures["renameat"] = {EINTR};
        ASSERT_EQ(store.complete(), EINTR);
    }
    JournalStore store(stateDir);
    FakeWindow window;
    FileMover mover;
    recoverInterruptedRun(window, store, mover);
    EXPECT_TRUE(window.messages.empty());
    Journal last;
    EXPECT_EQ(store.loadLast(&last), JournalStore::Load::Ok);
    EXPECT_EQ(store.loadRunning(&last), JournalStore::Load::None);
}

TEST(Journal, StateFolderIsNeverFollowedThroughALinkNorTakenFromSomeoneElse)
{
    TempFolder place, elsewhere, dir;
    const SmallRun run;
    run.make(dir);
    // The state folder a link to another folder.
    const QByteArray linked = place.pathOf("Brixelwand");
    ASSERT_EQ(::symlink(elsewhere.path().constData(), linked.constData()), 0);
    JournalStore viaLink {QString::fromUtf8(linked)};
    EXPECT_EQ(viaLink.checkFolder(), JournalStore::Folder::Link);
    EXPECT_NE(viaLink.begin(run.journal(dir)), 0);
    EXPECT_EQ(elsewhere.names(), Names {});
    FakeWindow window;
    FileMover mover;
    recoverInterruptedRun(window, viaLink, mover);
    EXPECT_EQ(window.messageTitles(), QStringList {"Achtung!"});

    // The record's temporary file a link to a file elsewhere.
    TempFolder state;
    elsewhere.write("victim", "keep");
    ASSERT_EQ(::symlink(elsewhere.pathOf("victim").constData(),
                        state.pathOf("laufende-umbenennung.journal.neu").constData()),
              0);
    JournalStore store {QString::fromUtf8(state.path())};
    EXPECT_NE(store.begin(run.journal(dir)), 0);
    EXPECT_EQ(elsewhere.read("victim"), "keep");

    // A folder of another user.
    TempFolder foreign;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(foreign.path().constData(), 4321, 4321), 0);
        JournalStore theirs {QString::fromUtf8(foreign.path())};
        EXPECT_EQ(theirs.checkFolder(), JournalStore::Folder::NotOwn);
        EXPECT_NE(theirs.begin(run.journal(dir)), 0);
    }
}

// The records live in $XDG_STATE_HOME/Brixelwand where that is absolute, else in
// ~/.local/state/Brixelwand. An interrupted run recorded in the former place is found and
// finished there, and its record then moves into the new place.
TEST(Journal, StateFolderFollowsTheXdgRulesAndTheFormerPlaceIsFound)
{
    TempFolder home;
    const QByteArray savedHome = qgetenv("HOME"), savedState = qgetenv("XDG_STATE_HOME");
    qputenv("HOME", home.path());
    const QString local
        = QString::fromUtf8(home.path()) + QStringLiteral("/.local/state/Brixelwand");
    const std::pair<const char *, QString> rows[] = {
        {"/var/lib/zustand", QStringLiteral("/var/lib/zustand/Brixelwand")},
        {"zustand", local}, // relative: ignored
        {"", local},
    };
    for (const auto &[state, wanted] : rows) {
        qputenv("XDG_STATE_HOME", state);
        EXPECT_EQ(JournalStore::defaultDirectory(), wanted) << state;
    }
    qputenv("HOME", savedHome);
    if (savedState.isNull())
        qunsetenv("XDG_STATE_HOME");
    else
        qputenv("XDG_STATE_HOME", savedState);

    TempFolder dir, former, fresh;
    const SmallRun run;
    run.make(dir);
    {
        JournalStore before(QString::fromUtf8(former.path()));
        run.cut(dir, before, 3);
    }
    const QString place = QString::fromUtf8(fresh.path()) + QStringLiteral("/Brixelwand");
    JournalStore store(place, nullptr, QString::fromUtf8(former.path()));
    FakeWindow window;
    window.answers = {MessageAnswer::Continue};
    FileMover mover;
    recoverInterruptedRun(window, store, mover);
    EXPECT_EQ(window.messageTitles(), QStringList {questionTitle()});
    EXPECT_TRUE(run.allNew(dir));
    Journal last;
    EXPECT_EQ(JournalStore(place).loadLast(&last), JournalStore::Load::Ok);
    EXPECT_EQ(JournalStore(QString::fromUtf8(former.path())).loadLast(&last),
              JournalStore::Load::None);
    EXPECT_EQ(JournalStore(QString::fromUtf8(former.path())).loadRunning(&last),
              JournalStore::Load::None);
}

// A second copy of the program while the first one runs: it neither offers the first one's
// record nor records a run of its own.
TEST(Journal, ASecondCopyLeavesTheRunningRecordAlone)
{
    TempFolder dir, state;
    const SmallRun run;
    run.make(dir);
    const QString stateDir = QString::fromUtf8(state.path());
    JournalStore first(stateDir);
    const Journal journal = run.journal(dir);
    ASSERT_EQ(first.begin(journal), 0);
    moveUpTo(journal, 3);

    JournalStore second(stateDir);
    FakeWindow window;
    FileMover mover;
    recoverInterruptedRun(window, second, mover);
    EXPECT_TRUE(window.messages.empty());
    EXPECT_EQ(second.begin(journal), EWOULDBLOCK);
    FakeWindow secondWindow; // a run of the second copy
    renameAllTo("Bild", secondWindow, dir);
    secondWindow.journal = std::make_unique<JournalStore>(stateDir);
    const Names cut = dir.names();
    runRename(secondWindow);
    EXPECT_EQ(dir.names(), cut);
    ASSERT_EQ(secondWindow.messageTitles(), (QStringList {questionTitle(), "Achtung!"}));
    EXPECT_TRUE(secondWindow.messages[1].prompt.contains(QStringLiteral("anderen Fenster")))
        << secondWindow.messages[1].prompt.toStdString();
    Journal kept;
    ASSERT_EQ(second.loadRunning(&kept), JournalStore::Load::Ok);
    EXPECT_EQ(kept.startedNs, journal.startedNs);

    first.unlock(); // the first copy ended without finishing
    window.answers = {MessageAnswer::Undo};
    recoverInterruptedRun(window, second, mover);
    EXPECT_EQ(window.messageTitles(), QStringList {questionTitle()});
    EXPECT_TRUE(window.messages[0].prompt.contains(QStringLiteral("nach 2 von 5 Dateien")));
    EXPECT_TRUE(run.allOld(dir));
}

// A run in another folder while a run waits interrupted: the interrupted one is offered
// first; "Später" refuses the new run and keeps the record, which is asked about again.
TEST(Journal, AnInterruptedRunIsOfferedFirstAndNeverOverwritten)
{
    TempFolder cutDir, otherDir, state;
    const SmallRun run;
    run.make(cutDir);
    const QString stateDir = QString::fromUtf8(state.path());
    {
        JournalStore store(stateDir);
        run.cut(cutDir, store, 3); // inside the swap: one file under a temporary name
    }
    const Names cut = cutDir.names();
    otherDir.write("x.jpg", "x");
    FakeWindow window;
    renameAllTo("Bild", window, otherDir);
    window.journal = std::make_unique<JournalStore>(stateDir);
    for (const MessageAnswer answer : {MessageAnswer::Later, MessageAnswer::Continue}) {
        SCOPED_TRACE(int(answer));
        window.messages.clear();
        window.answers = {MessageAnswer::Yes, answer};
        runRename(window);
        Journal record;
        if (answer == MessageAnswer::Later) {
            ASSERT_EQ(window.messageTitles(),
                      (QStringList {questionTitle(), questionTitle(), "Achtung!"}));
            EXPECT_TRUE(window.messages[2].prompt.contains(Texts::quoted(cutDir.path())))
                << window.messages[2].prompt.toStdString();
            EXPECT_EQ(cutDir.names(), cut);
            EXPECT_EQ(otherDir.names(), Names {"x.jpg"});
            ASSERT_EQ(window.journal->loadRunning(&record), JournalStore::Load::Ok);
            EXPECT_EQ(record.folderPath(), cutDir.path());
            EXPECT_FALSE(window.journal->locked());
        } else {
            EXPECT_EQ(window.messageTitles().last(), doneTitle());
            EXPECT_TRUE(run.allNew(cutDir)) << testing::PrintToString(cutDir.names());
            EXPECT_EQ(otherDir.names(), Names {"Bild01.jpg"});
            ASSERT_EQ(window.journal->loadLast(&record), JournalStore::Load::Ok);
            EXPECT_EQ(record.folderPath(), otherDir.path());
        }
    }
    // The store itself never writes over a waiting record.
    TempFolder again;
    run.make(again);
    JournalStore store(stateDir);
    run.cut(again, store, 1);
    EXPECT_EQ(store.begin(run.journal(again)), EEXIST);
    EXPECT_FALSE(store.locked());
}

// A card cut during a run: another card at the same path with the same pictures is left
// alone, and the card itself is found again under another path.
TEST(Journal, RecoveryActsOnlyOnTheRecordedCardWhereverItIsMounted)
{
    TempFolder first, second, state;
    RealMedia cardA(RealMedia::Ext4Loop), cardB(RealMedia::Ext4Loop);
    if (!cardA.mounted() || !cardB.mounted())
        GTEST_SKIP() << (cardA.mounted() ? cardB : cardA).skipReason();
    ASSERT_TRUE(cardA.mountAt(first.path()));
    const SmallRun run;
    run.make(first);
    JournalStore store(QString::fromUtf8(state.path()));
    // Renamed through a link to the card's folder: the folder is recorded as it is.
    TempFolder links;
    const QByteArray link = links.pathOf("Karte");
    ASSERT_EQ(::symlink(first.path().constData(), link.constData()), 0);
    const Journal journal = Journal::of(link, run.oldNames, run.newNames, run.tempNames, run.steps);
    EXPECT_EQ(journal.folderPath(), first.path());
    ASSERT_EQ(store.begin(journal), 0);
    store.unlock();
    moveUpTo(journal, 3);
    ASSERT_FALSE(journal.volumeUuid.isEmpty());

    // Card B at the same path, at the same point of the same run: only the volume tells.
    ASSERT_TRUE(cardB.mountAt(first.path()));
    run.make(first);
    moveUpTo(journal, 3);
    const Names cardBNames = first.names();
    FakeWindow window;
    FileMover mover;
    recoverInterruptedRun(window, store, mover);
    ASSERT_EQ(window.messageTitles(), QStringList {"Achtung!"});
    EXPECT_TRUE(window.messages[0].prompt.contains(QStringLiteral("anderer Datenträger")));
    EXPECT_EQ(first.names(), cardBNames);
    Journal kept;
    EXPECT_EQ(store.loadRunning(&kept), JournalStore::Load::Ok);
    cardB.unmount();

    // Only a subfolder of card A mounted (a bind mount): that is not where the card's folder is.
    {
        ASSERT_TRUE(cardA.mountAt(second.path()));
        TempFolder sub(second.path()), bound;
        run.make(sub);
        ASSERT_EQ(
            std::system(("mount --bind '" + sub.path() + "' '" + bound.path() + "'").constData()),
            0);
        cardA.unmount();
        const Names boundNames = bound.names();
        window.messages.clear();
        recoverInterruptedRun(window, store, mover);
        EXPECT_EQ(window.messageTitles(), QStringList {"Achtung!"});
        EXPECT_EQ(bound.names(), boundNames);
        EXPECT_EQ(std::system(("umount '" + bound.path() + "'").constData()), 0);
        ASSERT_TRUE(cardA.mountAt(second.path())); // sub goes with it
    }

    // Card A back, under another path.
    ASSERT_TRUE(cardA.mountAt(second.path()));
    window.messages.clear();
    window.answers = {MessageAnswer::Continue};
    EXPECT_EQ(recoverInterruptedRun(window, store, mover), second.path());
    EXPECT_EQ(window.messageTitles(), QStringList {questionTitle()});
    EXPECT_TRUE(run.allNew(second)) << testing::PrintToString(second.names());
    EXPECT_TRUE(canUndoLastRun(store, mover.sys()));
    EXPECT_EQ(undoLastRun(window, store, mover), second.path());
    EXPECT_TRUE(run.allOld(second)) << testing::PrintToString(second.names());
}
