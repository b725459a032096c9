// SPDX-License-Identifier: GPL-3.0-or-later
// Times rename runs through the engine with a fake window against a bare renameat2 loop over
// the same number of files, in the same process and folder tree. The sets are the largest a run
// accepts from start number 1: start number + number of files may not exceed 32767.
//   engine_vs_bare_ratio:   file00000.jpg ... renamed to Urlaub00001.jpg ...
//   caseonly_vs_bare_ratio: urlaub00001.jpg ... renamed to Urlaub00001.jpg ... (letter case only)
//   shift_vs_bare_ratio:    Bild00000.jpg ... renumbered in place to Bild00001.jpg ..., a chain
//                           in which every new name is the old name of the next file

#include "allocator.h"
#include "benchutil.h"
#include "fakewindow.h"
#include "funktionen.h"
#include "renamedialogue.h"

#include <cstdio>

namespace {

// One run over count files named by pattern (a printf pattern taking the number, from first).
double engineRound(int count, const char *pattern, int first, const char *newName)
{
    const QByteArray folder = bench::makeFolder();
    const auto names = bench::makeFiles(folder, count, pattern, first);
    FakeWindow window;
    window.folder = folder;
    for (const QByteArray &n : names)
        window.entries.push_back({n, true});
    window.texts[OptionText::Text2] = QLatin1String(newName);
    // Extensions kept with a typed one at hand: the fake records no option change per file.
    window.texts[OptionText::Text1] = QStringLiteral("jpg");
    window.checks[OptionCheck::Check1] = true;
    window.checks[OptionCheck::Check2] = false;
    window.fileMover().record = false;
    const auto start = std::chrono::steady_clock::now();
    runRename(window);
    const double seconds = bench::secondsSince(start);
    if (window.messageTitles().last() != QStringLiteral("Bin fertig!")) {
        std::fprintf(stderr, "engine run failed: %s\n", qPrintable(window.messages.back().prompt));
        std::exit(1);
    }
    bench::removeFolder(folder);
    return seconds;
}

} // namespace

int main(int argc, char **argv)
{
    keepLargeAllocationsInHeap(); // as the program's main() does
    const int count = maxNumberSum - 1;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<double> engine, caseOnly, shift, bare;
    for (int round = 0; round < rounds; ++round) {
        engine.push_back(engineRound(count, "file%05d.jpg", 0, "Urlaub"));
        caseOnly.push_back(engineRound(count, "urlaub%05d.jpg", 1, "Urlaub"));
        shift.push_back(engineRound(count, "Bild%05d.jpg", 0, "Bild"));
        bare.push_back(bench::bareRenameRound(count));
    }
    const double b = bench::median(bare);
    std::printf("files %d, rounds %d\n", count, rounds);
    std::printf("bare_renameat2_median_seconds %.4f\n", b);
    std::printf("engine_median_seconds %.4f\n", bench::median(engine));
    std::printf("engine_vs_bare_ratio %.3f\n", bench::median(engine) / b);
    std::printf("caseonly_median_seconds %.4f\n", bench::median(caseOnly));
    std::printf("caseonly_vs_bare_ratio %.3f\n", bench::median(caseOnly) / b);
    std::printf("shift_median_seconds %.4f\n", bench::median(shift));
    std::printf("shift_vs_bare_ratio %.3f\n", bench::median(shift) / b);
    return 0;
}
