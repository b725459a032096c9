// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// Helpers shared by the benchmarks: empty files in a fresh folder, timing, medians.
namespace bench {

inline QByteArray makeFolder(const char *base = nullptr)
{
    const char *tmp = base ? base : std::getenv("TMPDIR");
    QByteArray pattern = QByteArray(tmp && *tmp ? tmp : "/tmp") + "/brixelwand-bench-XXXXXX";
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// count names made by pattern, a printf pattern taking the number, numbered from first.
inline std::vector<QByteArray> namesOf(int count, const char *pattern, int first)
{
    std::vector<QByteArray> names;
    names.reserve(size_t(count));
    char name[32];
    for (int i = 0; i < count; ++i) {
        std::snprintf(name, sizeof name, pattern, first + i);
        names.emplace_back(name);
    }
    return names;
}

// Creates count empty files named by pattern (file00000.jpg ... by default, numbered from
// first) and returns their names.
inline std::vector<QByteArray> makeFiles(const QByteArray &folder, int count,
                                         const char *pattern = "file%05d.jpg", int first = 0)
{
    std::vector<QByteArray> names = namesOf(count, pattern, first);
    for (const QByteArray &name : names) {
        const int fd = ::open((folder + '/' + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        if (fd < 0) {
            std::perror("open");
            std::exit(1);
        }
        ::close(fd);
    }
    // What the file system still has to write of the new files (and of the last round's
    // removed ones) is written now, not during the rename that is timed next.
    ::sync();
    return names;
}

// Renames from[i] to to[i] in the order given, each without replacing, then writes it all out
// as makeFiles does. A name that is not there ends the benchmark.
inline void renameAll(const QByteArray &folder, const std::vector<QByteArray> &from,
                      const std::vector<QByteArray> &to)
{
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (size_t i = 0; i < from.size(); ++i) {
        if (::renameat2(dirFd, from[i].constData(), dirFd, to[i].constData(), RENAME_NOREPLACE)
            != 0) {
            std::fprintf(stderr, "%s: ", from[i].constData());
            std::perror("renameat2");
            std::exit(1);
        }
    }
    ::close(dirFd);
    ::sync();
}

// Waits until what makeFiles and renameAll wrote has settled in the file system. Their sync
// leaves the ext4 journal full of just-written blocks for a few seconds, and the first sync a
// timed run makes then pays for writing those back (measured: the run record's write and
// fdatasync take 1 ms on a settled folder, 6 ms right after 32,766 files were made, 1.7 ms six
// seconds later). A card's files were written long before a run; the commit interval is 5 s.
inline void settle()
{
    ::sync();
    ::sleep(6);
}

// Removes folder with all it holds; the window's run leaves its record in folders of its own
// there (HOME is the folder).
inline void removeFolder(const QByteArray &folder)
{
    ::nftw(
        folder.constData(),
        [](const char *path, const struct stat *, int type, struct FTW *) {
            if (type == FTW_DP)
                ::rmdir(path);
            else
                ::unlink(path);
            return 0; // on with the rest
        },
        16, FTW_DEPTH | FTW_PHYS);
}

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Renames every file with renameat2(RENAME_NOREPLACE) to Urlaub00001.jpg ... (or what
// pattern makes of 1, 2, ...) and returns the seconds it took: the least any renamer has to do.
inline double bareRenameLoop(const QByteArray &folder, const std::vector<QByteArray> &names,
                             const char *pattern = "Urlaub%05d.jpg")
{
    const auto start = std::chrono::steady_clock::now();
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    char newName[32];
    int number = 1;
    for (const QByteArray &name : names) {
        std::snprintf(newName, sizeof newName, pattern, number++);
        if (::renameat2(dirFd, name.constData(), dirFd, newName, RENAME_NOREPLACE) != 0) {
            std::perror("renameat2");
            std::exit(1);
        }
    }
    ::close(dirFd);
    return secondsSince(start);
}

} // namespace bench
