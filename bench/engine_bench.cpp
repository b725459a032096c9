// SPDX-License-Identifier: GPL-3.0-or-later
// Times rename runs through the engine with a fake window against a bare renameat2 loop over
// the same number of files, in the same process and folder tree. The sets are the largest a run
// accepts from start number 1: start number + number of files may not exceed 32767.
//   engine_vs_bare_ratio:   file00000.jpg ... renamed to Urlaub00001.jpg ...
//   caseonly_vs_bare_ratio: urlaub00001.jpg ... renamed to Urlaub00001.jpg ... (letter case only)
//   shift_vs_bare_ratio:    Bild00000.jpg ... renumbered in place to Bild00001.jpg ..., a chain
//                           in which every new name is the old name of the next file
// Each set's folder is made once; after every timed run its files get their old names back
// (untimed), so that the engine and the bare loop rename the very same folder in turn. The
// time a rename takes differs between two fresh folders by more than the engine adds, so
// fresh folders for each would measure the folders rather than the engine.

#include "allocator.h"
#include "benchutil.h"
#include "fakewindow.h"
#include "funktionen.h"
#include "renamedialogue.h"

#include <cstdio>

namespace {

// The run's mover, noting when the first move began and when the last one did: what the engine
// does besides moving lies before and after them. One clock read a move, a few nanoseconds.
class StampingMover : public FileMover
{
public:
    std::chrono::steady_clock::time_point first, last;
    int MoveFile(const QByteArray &from, const QByteArray &to) override
    {
        last = std::chrono::steady_clock::now();
        if (first == std::chrono::steady_clock::time_point())
            first = last;
        return FileMover::MoveFile(from, to);
    }
};

struct Round
{
    double seconds = 0; // the whole run, from reading the window to "Bin fertig!"
    double outside = 0; // of which before the first move and after the start of the last one
};

// A folder of count files, what the engine renames them to, and their names afterwards.
struct Set
{
    Set(int count, const char *pattern, int first, const char *newPattern, const char *name)
        : folder(bench::makeFolder())
        , oldNames(bench::makeFiles(folder, count, pattern, first))
        , newNames(bench::namesOf(count, newPattern, 1))
        , newName(name)
    { }
    ~Set() { bench::removeFolder(folder); }
    QByteArray folder;
    std::vector<QByteArray> oldNames, newNames;
    const char *newName;
};

// One run over every file of set, all selected, to newName with the start number 1.
Round engineRound(const Set &set)
{
    FakeWindow window;
    window.folder = set.folder;
    for (const QByteArray &n : set.oldNames)
        window.entries.push_back({n, true});
    window.texts[OptionText::Text2] = QLatin1String(set.newName);
    // Extensions kept with a typed one at hand: the fake records no option change per file.
    window.texts[OptionText::Text1] = QStringLiteral("jpg");
    window.checks[OptionCheck::Check1] = true;
    window.checks[OptionCheck::Check2] = false;
    window.preview(); // as the window's preview shows the run before it is asked for
    StampingMover mover;
    const auto start = std::chrono::steady_clock::now();
    runRename(window, mover, nullptr);
    const auto end = std::chrono::steady_clock::now();
    const std::chrono::duration<double> whole = end - start, before = mover.first - start,
                                        after = end - mover.last;
    if (window.messageTitles().last() != QStringLiteral("Bin fertig!")) {
        std::fprintf(stderr, "engine run failed: %s\n", qPrintable(window.messages.back().prompt));
        std::exit(1);
    }
    // Also checks that the run gave every file the name expected.
    bench::renameAll(set.folder, set.newNames, set.oldNames);
    return {whole.count(), before.count() + after.count()};
}

double bareRound(const Set &set)
{
    const double seconds = bench::bareRenameLoop(set.folder, set.oldNames);
    bench::renameAll(set.folder, set.newNames, set.oldNames);
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    keepLargeAllocationsInHeap(); // as the program's main() does
    const int count = maxNumberSum - 1;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const Set files(count, "file%05d.jpg", 0, "Urlaub%05d.jpg", "Urlaub");
    const Set lowerCase(count, "urlaub%05d.jpg", 1, "Urlaub%05d.jpg", "Urlaub");
    const Set chain(count, "Bild%05d.jpg", 0, "Bild%05d.jpg", "Bild");
    std::vector<Round> engine, caseOnly, shift;
    std::vector<double> bare;
    std::printf("files %d, rounds %d\n", count, rounds);
    for (int round = 0; round < rounds; ++round) {
        // Which of the two renames the folder first changes from round to round.
        if (round % 2) {
            bare.push_back(bareRound(files));
            engine.push_back(engineRound(files));
        } else {
            engine.push_back(engineRound(files));
            bare.push_back(bareRound(files));
        }
        caseOnly.push_back(engineRound(lowerCase));
        shift.push_back(engineRound(chain));
        std::printf("round %d: bare %.4f, engine %.4f (outside the moves %.4f)\n", round + 1,
                    bare.back(), engine.back().seconds, engine.back().outside);
    }
    const double b = bench::median(bare);
    const auto report = [b](const char *name, const std::vector<Round> &runs) {
        std::vector<double> seconds, outside;
        for (const Round &r : runs) {
            seconds.push_back(r.seconds);
            outside.push_back(r.outside / r.seconds);
        }
        std::printf("%s_median_seconds %.4f\n", name, bench::median(seconds));
        std::printf("%s_vs_bare_ratio %.3f\n", name, bench::median(seconds) / b);
        std::printf("%s_outside_moves_share %.3f\n", name, bench::median(outside));
    };
    std::printf("bare_renameat2_median_seconds %.4f\n", b);
    report("engine", engine);
    report("caseonly", caseOnly);
    report("shift", shift);
    return 0;
}
