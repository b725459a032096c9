// SPDX-License-Identifier: GPL-3.0-or-later
// Times a rename run through the real window (offscreen): the folder's files all selected with
// "Alle auswählen", "Dateien umbenennen >>" pressed, the confirmation answered Yes, until
// "Bin fertig!" is asked; against a bare renameat2 loop over the same folder. Also
// times the start of the window until it is shown, the preview's update after a change of the
// name with every file selected, and the run journal's share of the run (the plan recorded and
// synced; the record marked completed, which the run does while the list is read again), with
// the number of files whose entry or size and time the plan and the record read before the
// first move; and the preview's update after a change of the name
// with every switch of page 2 on, over 1,000 camera files whose capture times are read already.

#include "allocator.h"
#include "benchutil.h"
#include "capturefiles.h"
#include "filemover.h"
#include "folderreader.h"
#include "folderscan.h"
#include "funktionen.h"
#include "journal.h"
#include "previewmodel.h"
#include "renameplan.h"
#include "switches.h"
#include "windowtesting.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QFile>
#include <QListView>
#include <QPushButton>
#include <QTabWidget>
#include <QTimeZone>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>

namespace {

// The plain system calls, counting those that read a file's entry or its size and time.
struct CountingSysCalls : SysCalls
{
    std::atomic<int> stats {0};
    int statEntry(int dirFd, const char *name, struct stat *st) override
    {
        ++stats;
        return SysCalls::statEntry(dirFd, name, st);
    }
    int sizeAndTime(int dirFd, const char *name, quint64 *size, qint64 *mtimeNs) override
    {
        ++stats;
        return SysCalls::sizeAndTime(dirFd, name, size, mtimeNs);
    }
};

// The parts of the journal's time in one round.
struct JournalParts
{
    double record = 0; // Journal::of: the fingerprints, the volume, the steps
    double begin = 0; // encoded, written, synced, renamed into place, its folder synced
    double complete = 0; // the renamed folder synced, the record marked completed and kept
    double waited = 0; // what of complete the run waits for beyond the list's reading
    int stated = 0; // files whose entry or size and time were read before the first move
};

// What the journal adds to a run over count files: the plan made into a record (with every
// file's fingerprint), written, synced and renamed into place, then, after the renames, the
// renamed folder synced and the record marked completed while the list is read again, as the
// run does.
void journalRound(int count, JournalParts *parts)
{
    const QByteArray folder = bench::makeFolder();
    const std::vector<QByteArray> oldNames = bench::makeFiles(folder, count);
    bench::settle();
    std::vector<QByteArray> newNames;
    for (int i = 1; i <= count; ++i)
        newNames.push_back("Urlaub" + QByteArray::number(i).rightJustified(5, '0') + ".jpg");
    FileMover mover;
    CountingSysCalls counting;
    const FolderScan scan = FolderScan::read(folder, counting);
    std::vector<QByteArray> temps;
    unsigned counter = 0;
    const std::vector<Step> steps = orderMoves(scan, oldNames, newNames, &temps, counter);
    JournalStore store(QString::fromUtf8(folder) + QStringLiteral("/.state"));
    auto start = std::chrono::steady_clock::now();
    const Journal journal = Journal::of(folder, oldNames, newNames, temps, steps, &counting);
    parts->record = bench::secondsSince(start);
    parts->stated = counting.stats;
    start = std::chrono::steady_clock::now();
    if (store.begin(journal) != 0) {
        std::fprintf(stderr, "journal failed\n");
        std::exit(1);
    }
    parts->begin = bench::secondsSince(start);
    for (const Step &step : steps)
        mover.MoveFile(folder + '/' + step.from, folder + '/' + step.to);
    mover.release();
    const auto list = [&] {
        if (readFiles(folder, FileFilter()).size() != size_t(count)) {
            std::fprintf(stderr, "listing failed\n");
            std::exit(1);
        }
    };
    start = std::chrono::steady_clock::now();
    int error = 0;
    std::thread settling([&] {
        const auto begun = std::chrono::steady_clock::now();
        error = store.complete();
        parts->complete = bench::secondsSince(begun);
    });
    list();
    settling.join();
    const double both = bench::secondsSince(start);
    if (error != 0) {
        std::fprintf(stderr, "journal failed\n");
        std::exit(1);
    }
    // The list read alone, after the other: its entries are warmer now, so the wait found is
    // rather too long than too short.
    start = std::chrono::steady_clock::now();
    list();
    parts->waited = std::max(0.0, both - bench::secondsSince(start));
    QDir(QString::fromUtf8(folder) + QStringLiteral("/.state")).removeRecursively();
    bench::removeFolder(folder);
}

// A card of camera files: JPEGs at +02:00 over three days, every tenth file a RAW of the same
// shot as the JPEG before it, every tenth a movie with its UTC time alone.
void makeCameraFiles(const QByteArray &folder, int count)
{
    using namespace capturefiles;
    const qint64 start
        = QDateTime(QDate(2024, 7, 1), QTime(18, 0), QTimeZone(7200)).toSecsSinceEpoch();
    for (int i = 0; i < count; ++i) {
        const qint64 when = start + qint64(i) * 200; // 1,000 files: 55 hours
        const QByteArray clock = QDateTime::fromSecsSinceEpoch(when, QTimeZone(7200))
                                     .toString(QStringLiteral("yyyy:MM:dd HH:mm:ss"))
                                     .toLatin1();
        QByteArray name, content;
        if (i % 10 == 8) {
            name = "IMG_" + QByteArray::number(i - 1).rightJustified(4, '0') + ".CR2";
            content = tiff(exif(clock.constData(), "", "+02:00"));
        } else if (i % 10 == 9) {
            name = "MVI_" + QByteArray::number(i).rightJustified(4, '0') + ".MOV";
            content = movie(quint64(when) + secondsFrom1904To1970, 0, false, 1000, "qt  ");
        } else {
            name = "IMG_" + QByteArray::number(i).rightJustified(4, '0') + ".JPG";
            content = jpeg(tiff(exif(clock.constData(), "", "+02:00")));
        }
        QFile file(QString::fromUtf8(folder + '/' + name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
            std::fprintf(stderr, "cannot write %s\n", name.constData());
            std::exit(1);
        }
    }
}

// The preview's update after a change of the name over count camera files, every check box of
// page 2 on (from the table of switches, so any later switch is on too), the capture times read
// before the first round: a round is the plan made, the rows shown and the list repainted.
std::vector<double> previewWithAllSwitches(int count, int rounds)
{
    const QByteArray folder = bench::makeFolder();
    makeCameraFiles(folder, count);
    qputenv("HOME", folder);
    ScriptedBoxes boxes;
    Hptfrm window(&boxes);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        std::exit(1);
    auto *Text2 = controlOf<QLineEdit>(&window, "Text2");
    auto *List1 = controlOf<QListView>(&window, "List1");
    const auto *preview = qobject_cast<const PreviewModel *>(List1->model());
    controlOf<QPushButton>(&window, "Command1")->click();
    controlOf<QTabWidget>(&window, "SSTab1")->setCurrentIndex(1);
    for (const Switch &s : switches) {
        if (s.page == 1)
            controlOf<QCheckBox>(&window, s.objectName)->setChecked(true);
    }
    const auto shown = [&](const QByteArray &name) {
        return !preview->showsLine() && preview->rowCount() == count
            && preview->newName(0).contains(name);
    };
    Text2->setText(QStringLiteral("Urlaub"));
    while (!shown("Urlaub")) // the capture times are read once, in the background
        QCoreApplication::processEvents();
    // Every switch on: blanks become underscores.
    if (!preview->newName(0).startsWith("2024-07-01_Urlaub_")) {
        std::fprintf(stderr, "preview without the date: %s\n", preview->newName(0).constData());
        std::exit(1);
    }
    std::vector<double> times;
    for (int round = 0; round < rounds; ++round) {
        const QByteArray name = "Sommer" + QByteArray::number(round);
        const auto start = std::chrono::steady_clock::now();
        Text2->setText(QString::fromUtf8(name));
        while (!shown(name))
            QCoreApplication::processEvents();
        List1->repaint();
        times.push_back(bench::secondsSince(start));
    }
    bench::removeFolder(folder);
    return times;
}

} // namespace

int main(int argc, char *argv[])
{
    keepLargeAllocationsInHeap(); // as the program's main() does
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const int count = maxNumberSum - 1; // the most a run accepts from start number 1
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());

    std::vector<double> runTimes, bareTimes, startTimes, previewTimes, workTimes, waitedTimes,
        recordTimes, beginTimes, completeTimes, completionWaits;
    int stated = 0;
    for (int round = 0; round < rounds; ++round) {
        {
            const QByteArray folder = bench::makeFolder();
            const auto names = bench::makeFiles(folder, count);
            const auto renamed = bench::namesOf(count, "Urlaub %05d.jpg", 1);
            // The bare loop renames the window's folder, before the window in every other round
            // and after it in the others; the files get their names back in between. The time
            // a rename takes differs between two fresh folders by more than the window adds.
            const auto bareRound = [&] {
                bench::settle();
                bareTimes.push_back(bench::bareRenameLoop(folder, names, "Urlaub %05d.jpg"));
                bench::renameAll(folder, renamed, names);
            };
            if (round % 2)
                bareRound();
            bench::settle();
            qputenv("HOME", folder);
            // The home folder is the renamed folder here, and the run keeps its record below
            // it: made before the window lists it, as a user's is, the record's folder is no
            // entry the preview missed.
            QDir().mkpath(JournalStore::defaultDirectory());
            ScriptedBoxes boxes;
            auto start = std::chrono::steady_clock::now();
            Hptfrm window(&boxes);
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                return 1;
            startTimes.push_back(bench::secondsSince(start));

            auto *File1 = controlOf<FileList>(&window, "File1");
            auto *Text2 = controlOf<QLineEdit>(&window, "Text2");
            auto *List1 = controlOf<QListView>(&window, "List1");
            const auto *preview = qobject_cast<const PreviewModel *>(List1->model());
            controlOf<QPushButton>(&window, "Command1")->click();
            controlOf<QTabWidget>(&window, "SSTab1")
                ->setCurrentIndex(1); // the preview reads the folder once
            QCoreApplication::processEvents();
            start = std::chrono::steady_clock::now();
            Text2->setText(QStringLiteral("Urlaub"));
            while (preview->rowCount() != count || !preview->newName(0).startsWith("Urlaub"))
                QCoreApplication::processEvents();
            List1->repaint();
            previewTimes.push_back(bench::secondsSince(start));
            double runSeconds = -1;
            start = std::chrono::steady_clock::now();
            boxes.onShow = [&](const ScriptedBoxes::Message &box) {
                if (box.title == QStringLiteral("Frage ...?"))
                    start = std::chrono::steady_clock::now(); // the user's answer starts the run
                if (box.title == QStringLiteral("Bin fertig!"))
                    runSeconds = bench::secondsSince(start);
            };
            controlOf<QPushButton>(&window, "Command5")->click();
            if (runSeconds < 0 || File1->count() != count) {
                std::fprintf(stderr, "run failed: %s\n",
                             qPrintable(boxes.messageTitles().join(',')));
                return 1;
            }
            runTimes.push_back(runSeconds);
            if (round % 2 == 0) {
                bench::renameAll(folder, renamed, names);
                bareRound();
            }
            bench::removeFolder(folder);
            std::printf("round %d: bare %.4f, window %.4f\n", round + 1, bareTimes.back(),
                        runTimes.back());
        }
        JournalParts parts;
        journalRound(count, &parts);
        workTimes.push_back(parts.record + parts.begin + parts.complete);
        waitedTimes.push_back(parts.record + parts.begin + parts.waited);
        recordTimes.push_back(parts.record);
        beginTimes.push_back(parts.begin);
        completeTimes.push_back(parts.complete);
        completionWaits.push_back(parts.waited);
        stated = parts.stated;
    }
    const double run = bench::median(runTimes);
    const double bare = bench::median(bareTimes);
    // Each round's window run against the bare loop of its own folder: the machine's pace
    // differs between rounds by more than the window adds.
    std::vector<double> ratios;
    for (size_t i = 0; i < runTimes.size(); ++i)
        ratios.push_back(runTimes[i] / bareTimes[i]);
    std::printf("files %d, rounds %d\n", count, rounds);
    std::printf("start_to_shown_median_seconds %.4f\n", bench::median(startTimes));
    std::printf("window_run_median_seconds %.4f\n", run);
    std::printf("bare_renameat2_median_seconds %.4f\n", bare);
    std::printf("window_vs_bare_ratio %.3f\n", bench::median(ratios));
    std::printf("window_vs_bare_ratio_of_medians %.3f\n", run / bare);
    std::printf("preview_update_ms %.1f\n", 1000 * bench::median(previewTimes));
    // What the run waits for: the record made, begun, and what its completion takes beyond
    // the list's reading; and all the record's work, as if nothing ran beside it.
    std::printf("journal_median_seconds %.4f\n", bench::median(waitedTimes));
    std::printf("journal_share_of_window_run %.3f\n", bench::median(waitedTimes) / run);
    std::printf("journal_work_median_seconds %.4f\n", bench::median(workTimes));
    std::printf("journal_work_share_of_window_run %.3f\n", bench::median(workTimes) / run);
    std::printf("journal_record_median_seconds %.4f\n", bench::median(recordTimes));
    std::printf("files_stated_before_first_move %d\n", stated);
    std::printf("journal_begin_median_seconds %.4f\n", bench::median(beginTimes));
    std::printf("journal_complete_median_seconds %.4f\n", bench::median(completeTimes));
    std::printf("journal_complete_waited_median_seconds %.4f\n", bench::median(completionWaits));
    const int cameraFiles = 1000;
    const std::vector<double> allSwitches = previewWithAllSwitches(cameraFiles, 4 * rounds);
    std::printf("camera files %d, page 2 switches all on\n", cameraFiles);
    std::printf("preview_update_all_switches_ms %.1f\n", 1000 * bench::median(allSwitches));
    return 0;
}
