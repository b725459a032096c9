// SPDX-License-Identifier: GPL-3.0-or-later
// Times listing a folder of 100,000 empty files into the file list against a bare readdir plus
// case-insensitive sort of the same folder, the memory each listed entry adds, and "Alle
// auswählen" on a folder of 32,767 files against listing that folder.

#include "benchutil.h"
#include "filelist.h"
#include "windowtesting.h"

#include <QApplication>
#include <QPushButton>

#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <malloc.h>
#include <strings.h>

namespace {

long residentBytes()
{
    long pages = 0, resident = 0;
    if (FILE *f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * ::sysconf(_SC_PAGESIZE);
}

double bareListing(const QByteArray &folder)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> names;
    DIR *dir = ::opendir(folder.constData());
    while (const dirent *e = ::readdir(dir)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
            names.emplace_back(e->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string &a, const std::string &b) {
        return ::strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return bench::secondsSince(start);
}

double listing(FileList &list, const QByteArray &folder)
{
    const auto start = std::chrono::steady_clock::now();
    list.setFolder(folder);
    return bench::secondsSince(start);
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 5;
    const int bigCount = 100000;
    const int selectCount = 32767;

    const QByteArray big = bench::makeFolder();
    bench::makeFiles(big, bigCount);
    std::vector<double> listTimes, bareTimes;
    long addedBytes = 0;
    for (int round = 0; round < rounds; ++round) {
        bareTimes.push_back(bareListing(big));
        FileList list;
        list.show();
        QCoreApplication::processEvents();
        ::malloc_trim(0);
        const long before = residentBytes();
        listTimes.push_back(listing(list, big));
        QCoreApplication::processEvents();
        ::malloc_trim(0);
        addedBytes = residentBytes() - before;
        if (list.count() != bigCount)
            return 1;
    }
    bench::removeFolder(big);

    const QByteArray folder = bench::makeFolder();
    bench::makeFiles(folder, selectCount);
    qputenv("HOME", folder);
    QTemporaryDir config;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, config.path());
    std::vector<double> selectTimes, smallListTimes;
    {
        ScriptedBoxes boxes;
        Hptfrm window(&boxes);
        window.show();
        for (int round = 0; round < rounds; ++round) {
            smallListTimes.push_back(listing(*controlOf<FileList>(&window, "File1"), folder));
            const auto start = std::chrono::steady_clock::now();
            controlOf<QPushButton>(&window, "Command1")->click();
            selectTimes.push_back(bench::secondsSince(start));
            if (!controlOf<FileList>(&window, "File1")->isSelected(selectCount - 1))
                return 1;
        }
    }
    bench::removeFolder(folder);

    const double list = bench::median(listTimes);
    const double bare = bench::median(bareTimes);
    const double select = bench::median(selectTimes);
    const double smallList = bench::median(smallListTimes);
    std::printf("listing %d files: median %.4f s; bare readdir+sort: median %.4f s\n", bigCount,
                list, bare);
    std::printf("resident_bytes_per_entry %.1f\n", double(addedBytes) / bigCount);
    std::printf("select all %d files: median %.4f s; listing them: median %.4f s\n", selectCount,
                select, smallList);
    std::printf("listing_vs_bare_ratio %.3f\n", list / bare);
    std::printf("selectall_vs_listing_ratio %.3f\n", select / smallList);
    return 0;
}
