// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the capture times of a folder of camera and phone files, against the least any
// reader of file headers has to do.
//
// 1,000 files, a third each JPEG, TIFF-based RAW (.CR2) and phone MP4 (media data before the
// movie box), each 3 MiB: its header, 256 KiB of written payload, then a hole up to 3 MiB
// (the MP4's movie box after it). Before each timed loop every file's pages are dropped from
// the page cache with posix_fadvise(POSIX_FADV_DONTNEED), so both loops read from the disk.
//
//   capture_scan_vs_header_read_ratio  scanCaptureTimes with an empty cache, against a loop that
//                                      opens each file and reads its first 64 KiB (median of 5)
//   capture_bytes_per_file             bytes read per file during the scan (/proc/self/io rchar);
//                                      read_bytes (from the disk) is printed alongside
//   capture_rescan_vs_scan_ratio       the same scan again through the filled cache, against the
//                                      first scan
#include "benchutil.h"
#include "capturefiles.h"
#include "capturetime.h"

#include <QDateTime>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

constexpr int fileCount = 1000;
constexpr qint64 fileSize = 3 * 1024 * 1024;
constexpr qsizetype writtenPayload = 256 * 1024;
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

void writeFile(const QByteArray &path, const QByteArray &head, const QByteArray &tail = {})
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, head.constData(), size_t(head.size())) != head.size()) {
        std::perror("write");
        std::exit(1);
    }
    if (!tail.isEmpty()
        && ::pwrite(fd, tail.constData(), size_t(tail.size()), fileSize - tail.size())
            != tail.size()) {
        std::perror("pwrite");
        std::exit(1);
    }
    if (::ftruncate(fd, fileSize) != 0)
        std::perror("ftruncate");
    ::close(fd);
}

std::vector<QByteArray> makeCameraFolder(const QByteArray &folder)
{
    using namespace capturefiles;
    std::vector<QByteArray> names;
    const qint64 start = QDateTime(QDate(2024, 7, 1), QTime(12, 0)).toSecsSinceEpoch();
    char name[32], stamp[32];
    for (int i = 0; i < fileCount; ++i) {
        const QDateTime when = QDateTime::fromSecsSinceEpoch(start + i * 7);
        std::snprintf(stamp, sizeof stamp, "%s",
                      when.toString(QStringLiteral("yyyy:MM:dd HH:mm:ss")).toLatin1().constData());
        switch (i % 3) {
        case 0:
            std::snprintf(name, sizeof name, "IMG_%04d.JPG", i);
            writeFile(folder + '/' + name,
                      jpeg(tiff(exif(stamp, "42", "+02:00")), {}, writtenPayload));
            break;
        case 1:
            std::snprintf(name, sizeof name, "IMG_%04d.CR2", i);
            writeFile(folder + '/' + name,
                      tiff(exif(stamp, "", "+02:00")) + QByteArray(writtenPayload, 'r'));
            break;
        default: {
            std::snprintf(name, sizeof name, "VID_%04d.mp4", i);
            // The media data box spans the file up to the movie box at its end.
            const QByteArray whole
                = movie(quint64(when.toSecsSinceEpoch()) + secondsFrom1904To1970, 0, true, 0);
            const qsizetype mdatAt = whole.indexOf("mdat") - 4;
            const QByteArray moov = whole.mid(mdatAt + 8);
            const QByteArray mdatSize = bigEndian(quint64(fileSize - moov.size() - mdatAt), 4);
            writeFile(folder + '/' + name,
                      whole.left(mdatAt) + mdatSize + "mdat" + QByteArray(writtenPayload, 'm'),
                      moov);
        }
        }
        names.emplace_back(name);
    }
    ::sync();
    return names;
}

void dropFromPageCache(const QByteArray &folder, const std::vector<QByteArray> &names)
{
    for (const QByteArray &name : names) {
        const int fd = ::open((folder + '/' + name).constData(), O_RDONLY);
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        ::close(fd);
    }
}

double headerReadLoop(const QByteArray &folder, const std::vector<QByteArray> &names)
{
    const auto start = std::chrono::steady_clock::now();
    std::vector<char> buffer(64 * 1024);
    for (const QByteArray &name : names) {
        const int fd = ::open((folder + '/' + name).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::pread(fd, buffer.data(), buffer.size(), 0) <= 0) {
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
    const std::vector<QByteArray> names = makeCameraFolder(folder);

    std::vector<double> ratios, rescanRatios;
    double bytesPerFile = 0, diskBytesPerFile = 0;
    for (int round = 0; round < rounds; ++round) {
        dropFromPageCache(folder, names);
        const double bare = headerReadLoop(folder, names);

        dropFromPageCache(folder, names);
        CaptureTimeCache cache;
        const qint64 chars = ioCounter("rchar:"), disk = ioCounter("read_bytes:");
        auto start = std::chrono::steady_clock::now();
        const CaptureScan scan = scanCaptureTimes(folder, names, cache);
        const double first = bench::secondsSince(start);
        bytesPerFile = double(ioCounter("rchar:") - chars) / fileCount;
        diskBytesPerFile = double(ioCounter("read_bytes:") - disk) / fileCount;
        if (!scan.complete || scan.withoutCaptureTime != 0) {
            std::fprintf(stderr, "scan found %d files without a capture time\n",
                         scan.withoutCaptureTime);
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
    bench::removeFolder(folder);

    std::printf("capture_scan_vs_header_read_ratio %.2f\n", bench::median(ratios));
    std::printf("capture_bytes_per_file %.0f (from disk: %.0f)\n", bytesPerFile, diskBytesPerFile);
    std::printf("capture_rescan_vs_scan_ratio %.3f\n", bench::median(rescanRatios));
    return 0;
}
