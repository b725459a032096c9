// Times a rename run through the real window (offscreen): the folder's files all selected with
// "Alle auswählen", "Dateien umbenennen >>" pressed, the confirmation answered Yes, until
// "Bin fertig!" is asked; against a bare renameat2 loop over an identical set of files. Also
// times the start of the window until it is shown.

#include "benchutil.h"
#include "funktionen.h"
#include "widgets.h"
#include "windowtesting.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const int count = maxNumberSum - 1; // the most a run accepts from start number 1
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());

    std::vector<double> runTimes, bareTimes, startTimes;
    for (int round = 0; round < rounds; ++round) {
        {
            const QByteArray folder = bench::makeFolder();
            bench::makeFiles(folder, count);
            qputenv("HOME", folder);
            BoxLog boxes;
            auto start = std::chrono::steady_clock::now();
            Hptfrm window(std::make_unique<ScriptedBoxes>(&boxes));
            window.show();
            if (!QTest::qWaitForWindowExposed(&window))
                return 1;
            startTimes.push_back(bench::secondsSince(start));

            window.Command1->click();
            window.Text2->setText(QStringLiteral("Urlaub"));
            double runSeconds = -1;
            start = std::chrono::steady_clock::now();
            boxes.onShow = [&](const BoxLog::Box &box) {
                if (box.title == QStringLiteral("Frage ...?"))
                    start = std::chrono::steady_clock::now(); // the user's answer starts the run
                if (box.title == QStringLiteral("Bin fertig!"))
                    runSeconds = bench::secondsSince(start);
            };
            window.Command5->click();
            if (runSeconds < 0 || window.fileCount() != count) {
                std::fprintf(stderr, "run failed: %s\n", qPrintable(boxes.titles().join(',')));
                return 1;
            }
            runTimes.push_back(runSeconds);
            bench::removeFolder(folder);
        }
        bareTimes.push_back(bench::bareRenameRound(count));
    }
    const double run = bench::median(runTimes);
    const double bare = bench::median(bareTimes);
    std::printf("files %d, rounds %d\n", count, rounds);
    std::printf("start_to_shown_median_seconds %.4f\n", bench::median(startTimes));
    std::printf("window_run_median_seconds %.4f\n", run);
    std::printf("bare_renameat2_median_seconds %.4f\n", bare);
    std::printf("window_vs_bare_ratio %.3f\n", run / bare);
    return 0;
}
