// Times a rename run through the engine with a fake window against a bare renameat2 loop over
// an identical set of files, in the same process and folder tree. The set is the largest a run
// accepts from start number 1: start number + number of files may not exceed 32767.

#include "benchutil.h"
#include "fakewindow.h"
#include "funktionen.h"
#include "renamerun.h"

#include <cstdio>

int main(int argc, char **argv)
{
    const int count = maxNumberSum - 1;
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    std::vector<double> engineTimes;
    std::vector<double> bareTimes;
    for (int round = 0; round < rounds; ++round) {
        {
            const QByteArray folder = bench::makeFolder();
            const auto names = bench::makeFiles(folder, count);
            FakeWindow window;
            window.folder = folder;
            for (const QByteArray &n : names)
                window.entries.push_back({n, true});
            window.texts[OptionText::Text2] = QStringLiteral("Urlaub");
            window.checks[OptionCheck::Check1] = true;
            window.checks[OptionCheck::Check2] = false;
            const auto start = std::chrono::steady_clock::now();
            runRename(window);
            engineTimes.push_back(bench::secondsSince(start));
            if (window.messageTitles().last() != QStringLiteral("Bin fertig!")) {
                std::fprintf(stderr, "engine run failed\n");
                return 1;
            }
            bench::removeFolder(folder);
        }
        bareTimes.push_back(bench::bareRenameRound(count));
    }
    const double engine = bench::median(engineTimes);
    const double bare = bench::median(bareTimes);
    std::printf("files %d, rounds %d\n", count, rounds);
    std::printf("engine_median_seconds %.4f\n", engine);
    std::printf("bare_renameat2_median_seconds %.4f\n", bare);
    std::printf("engine_vs_bare_ratio %.3f\n", engine / bare);
    return 0;
}
