// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the capture times of a folder of camera and phone files, against the least any
// reader of file headers has to do.
//
// 1,000 files at the sizes cameras write, an eighth each: JPEG (8 MiB), TIFF-based RAW (.CR2,
// 25 MiB), phone MP4 with its movie box at the end (50 MiB), Canon CR3 with its preview
// (25 MiB), Fuji RAF (30 MiB), HEIC with its Exif item after the picture (3 MiB), JPEG with
// 2 MiB of extended XMP, and a camera's AVI (30 MiB). Each file's first 256 KiB are written
// (the whole metadata of the JPEG with extended XMP, the CR3 up to its raw data's box header),
// and what lies at its end (the MP4's movie
// box, the HEIC's Exif item); the rest is a hole. Before each timed loop every file's pages are
// dropped from the page cache with posix_fadvise(POSIX_FADV_DONTNEED), so both loops read from
// the disk.
//
//   capture_scan_vs_header_read_ratio  scanCaptureTimes with an empty cache, against a loop that
//                                      opens each file and reads its first 64 KiB, and the
//                                      metadata at its end where there is some (median of 5)
//   capture_bytes_per_file             bytes read per file during the scan (/proc/self/io rchar);
//                                      read_bytes (from the disk) is printed alongside
//   capture_most_bytes_one_file        the most the reader read of one file, with its name
//   capture_slowest_file_ms            the longest the reader took for one file, with its name
//   capture_rescan_vs_scan_ratio       the same scan again through the filled cache, against the
//                                      first scan
#include "benchutil.h"
#include "capturefiles.h"
#include "capturetime.h"

#include <QDateTime>

#include <cstdio>
#include <fstream>
#include <map>
#include <string>

namespace {

constexpr int fileCount = 1000;
constexpr qsizetype writtenHead = 256 * 1024;
constexpr qsizetype MiB = 1024 * 1024;
constexpr int rounds = 5;

qint64 ioCounter(const char *name)
{
    std::ifstream io("/proc/self/io");
    std::string key;
    qint64 value = 0;
    while (io >> key >> value) {
        if (key == name)
            return value;
    }
    return 0;
}

// Writes the file whole as a sparse file: its first head and last tail bytes, a hole between.
void writeSparse(const QByteArray &path, const QByteArray &whole, qsizetype head,
                 qsizetype tail = 0)
{
    head = std::min(head, whole.size());
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, whole.constData(), size_t(head)) != head) {
        std::perror("write");
        std::exit(1);
    }
    if (tail > 0
        && ::pwrite(fd, whole.constData() + whole.size() - tail, size_t(tail), whole.size() - tail)
            != tail) {
        std::perror("pwrite");
        std::exit(1);
    }
    if (::ftruncate(fd, whole.size()) != 0)
        std::perror("ftruncate");
    ::close(fd);
}

// A file of the folder, and how many bytes at its end hold metadata.
struct CameraFile
{
    QByteArray name;
    qsizetype tail;
};

std::vector<CameraFile> makeCameraFolder(const QByteArray &folder)
{
    using namespace capturefiles;
    std::vector<CameraFile> files;
    const qint64 start = QDateTime(QDate(2024, 7, 1), QTime(12, 0)).toSecsSinceEpoch();
    char name[32], stamp[32];
    for (int i = 0; i < fileCount; ++i) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(start + i * 7);
        std::snprintf(stamp, sizeof stamp, "%s",
                      when.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1().constData());
        const QByteArray exifData = tiff(exif(stamp, "42", "+02:00"));
        QByteArray whole;
        qsizetype head = writtenHead, tail = 0;
        const char *pattern;
        switch (i % 8) {
        case 0:
            pattern = "IMG_%04d.JPG";
            whole = jpeg(exifData, {}, 8 * MiB);
            break;
        case 1:
            pattern = "IMG_%04d.CR2";
            whole = exifData + QByteArray(25 * MiB, 'r');
            break;
        case 2: {
            pattern = "VID_%04d.mp4";
            whole = movie(quint64(when.toSecsSinceEpoch()) + secondsFrom1904To1970, 0, true,
                          50 * MiB);
            tail = whole.size() - whole.lastIndexOf("moov") + 4;
            break;
        }
        case 3:
            pattern = "IMG_%04d.CR3";
            whole = cr3(tiff(exif("")), exifDirectory(stamp, "+02:00"), 3 * MiB / 2, 25 * MiB);
            head = whole.indexOf("mdat") + 12; // the raw data's box header, after the preview
            break;
        case 4:
            pattern = "DSCF%04d.RAF";
            whole = raf(jpeg(exifData, {}, 3 * MiB), 30 * MiB);
            break;
        case 5:
            pattern = "IMG_%04d.HEIC";
            whole = heic(exifData, 3 * MiB, true);
            tail = whole.size() - whole.lastIndexOf(QByteArray("Exif\0\0", 6)) + 4;
            break;
        case 6:
            pattern = "DSC_%04d.JPG";
            whole = jpegWithExtendedXmp(exifData, 2 * MiB);
            head = whole.size();
            break;
        default:
            pattern = "MVI_%04d.AVI";
            whole = avi(30 * MiB);
            break;
        }
        std::snprintf(name, sizeof name, pattern, i);
        writeSparse(folder + '/' + name, whole, head, tail);
        files.push_back({name, tail});
    }
    ::sync();
    return files;
}

void dropFromPageCache(const QByteArray &folder, const std::vector<QByteArray> &names)
{
    for (const QByteArray &name : names) {
        const int fd = ::open((folder + '/' + name).constData(), O_RDONLY);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

// What any reader of headers has to read: each file's first 64 KiB, and the metadata at its
// end where its format puts it there.
double headerReadLoop(const QByteArray &folder, const std::vector<CameraFile> &files)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<char> buffer(64 * 1024);
    for (const CameraFile &file : files) {
        const int fd = ::open((folder + '/' + file.name).constData(), O_RDONLY | O_CLOEXEC);
        struct stat st;
        if (fd < 0 || ::pread(fd, buffer.data(), buffer.size(), 0) <= 0 || ::fstat(fd, &st) != 0
            || (file.tail > 0
                && ::pread(fd, buffer.data(), size_t(std::min<qsizetype>(file.tail, 64 * 1024)),
                           st.st_size - file.tail)
                    <= 0)) {
            std::perror("read");
            std::exit(1);
        }
        ::close(fd);
    }
    return bench::secondsSince(start);
}

} // namespace

int main()
{
    const QByteArray folder = bench::makeFolder();
    const std::vector<CameraFile> files = makeCameraFolder(folder);
    std::vector<QByteArray> names;
    for (const CameraFile &file : files)
        names.push_back(file.name);
    const int withoutTime = fileCount / 8; // the AVIs

    std::vector<double> ratios, rescanRatios;
    double bytesPerFile = 0, diskBytesPerFile = 0;
    for (int round = 0; round < rounds; ++round) {
        dropFromPageCache(folder, names);
        const double bare = headerReadLoop(folder, files);

        dropFromPageCache(folder, names);
        CaptureTimeCache cache;
        const qint64 chars = ioCounter("rchar:"), disk = ioCounter("read_bytes:");
        auto start = std::chrono::steady_clock::now();
        const CaptureScan scan = scanCaptureTimes(folder, names, cache);
        const double first = bench::secondsSince(start);
        bytesPerFile = double(ioCounter("rchar:") - chars) / fileCount;
        diskBytesPerFile = double(ioCounter("read_bytes:") - disk) / fileCount;
        if (!scan.complete || scan.withoutCaptureTime != withoutTime) {
            std::fprintf(stderr, "scan found %d files without a capture time, not %d\n",
                         scan.withoutCaptureTime, withoutTime);
            return 1;
        }

        start = std::chrono::steady_clock::now();
        scanCaptureTimes(folder, names, cache);
        const double again = bench::secondsSince(start);

        ratios.push_back(first / bare);
        rescanRatios.push_back(again / first);
        std::fprintf(stderr, "round %d: header reads %.3f s, scan %.3f s, rescan %.4f s\n", round,
                     bare, first, again);
    }

    // Each file on its own, from the disk: the most read of one and the slowest.
    dropFromPageCache(folder, names);
    CaptureReadCost most, slowest;
    QByteArray mostName, slowestName;
    std::map<QByteArray, std::pair<double, qint64>> byKind; // milliseconds and bytes
    for (const QByteArray &name : names) {
        CaptureReadCost cost;
        readCaptureTime(folder, name, {}, &cost);
        auto &kind
            = byKind[name.mid(name.lastIndexOf('.') + 1) + (name.startsWith("DSC_") ? "+XMP" : "")];
        kind.first += std::chrono::duration<double, std::milli>(cost.time).count();
        kind.second += cost.bytes;
        if (cost.bytes > most.bytes)
            most = cost, mostName = name;
        if (cost.time > slowest.time)
            slowest = cost, slowestName = name;
    }
    bench::removeFolder(folder);
    for (const auto &[kind, cost] : byKind)
        std::fprintf(stderr, "%s: %.2f ms, %lld bytes a file\n", kind.constData(),
                     cost.first * 8 / fileCount,
                     static_cast<long long>(cost.second * 8 / fileCount));

    std::printf("capture_scan_vs_header_read_ratio %.2f\n", bench::median(ratios));
    std::printf("capture_bytes_per_file %.0f (from disk: %.0f)\n", bytesPerFile, diskBytesPerFile);
    std::printf("capture_most_bytes_one_file %lld (%s)\n", static_cast<long long>(most.bytes),
                mostName.constData());
    std::printf("capture_slowest_file_ms %.2f (%s)\n",
                std::chrono::duration<double, std::milli>(slowest.time).count(),
                slowestName.constData());
    std::printf("capture_rescan_vs_scan_ratio %.3f\n", bench::median(rescanRatios));
    return 0;
}
