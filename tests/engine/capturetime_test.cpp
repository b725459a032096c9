// SPDX-License-Identifier: GPL-3.0-or-later
#include "cameraclock.h"
#include "capturecontainers.h"
#include "capturedays.h"
#include "capturefiles.h"
#include "capturetime.h"
#include "capturetimetext.h"
#include "photoorder.h"
#include "scriptedsyscalls.h"
#include "tempfolder.h"
#include "zone.h"

#include <QDateTime>
#include <QTimeZone>

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

#include <sys/stat.h>

namespace {

using namespace capturefiles;

qint64 utc(const char *isoText)
{
    return QDateTime::fromString(QString::fromLatin1(isoText), Qt::ISODate).toSecsSinceEpoch();
}

// Bytes this process has read through read calls so far.
qint64 bytesRead()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    qint64 value = 0;
    while (io >> key >> value) {
        if (key == "rchar:")
            return value;
    }
    return 0;
}

constexpr qint64 fileTime = 1500000000; // the modification time of every test file
constexpr qsizetype payload = 3 * 1024 * 1024;
constexpr qsizetype rawSize = 25 * 1024 * 1024; // what a current camera writes
constexpr qint64 budget = 1024 * 1024;

struct CaptureCase
{
    const char *what;
    QByteArray name;
    QByteArray content;
    qint64 seconds;
    qint32 nanoseconds;
    CaptureSource source;
    QByteArray sidecarName = {}; // with its content
    QByteArray sidecar = {};
    const char *zone = nullptr; // TZ while it is read, where not this machine's
    std::optional<qint32> offset = {}; // the offset east of UTC the file recorded, in seconds
    QByteArray contentId = {};
    const char *camera = nullptr; // the body key, where checked
};

// data with the body of a camera: make, model and, where serialKey is given, a serial number.
Exiv2::ExifData body(Exiv2::ExifData data, const char *make, const char *model,
                     const char *serialKey = nullptr, const char *serial = "")
{
    data["Exif.Image.Make"] = make;
    data["Exif.Image.Model"] = model;
    if (serialKey)
        data[serialKey] = serial;
    return data;
}

// Each source in turn, each time zone a camera may record, the layouts of current cameras'
// files at their real size, and files that have none of them or would hang or exhaust a naive
// reader: the time in UTC, its source, never more than 1 MiB of a file read and never more
// than its deadline spent.
TEST(CaptureTime, SourcesFormatsAndZones)
{
    const QByteArray noDate = tiff(exif(""));
    const QByteArray liveId = "3F2504E0-4F89-41D3-9A0C-0305E82C3301";
    const auto withoutSecondItem = [](QByteArray file) { // its item numbered 9 instead
        const qsizetype item = file.indexOf(QByteArray("\0\0\0\x02", 4), file.indexOf("ilst"));
        return file.replace(item, 4, QByteArray("\0\0\0\x09", 4));
    };
    const qint64 localNoon = QDateTime(QDate(2024, 7, 1), QTime(12, 0, 0)).toSecsSinceEpoch();
    const auto at1904 = [](const char *time) { return quint64(utc(time)) + secondsFrom1904To1970; };
    // clang-format off
    const std::vector<CaptureCase> cases = {
        {"JPEG, offset east, sub-seconds", "IMG_0001.JPG",
         jpeg(tiff(exif("2024:07:01 14:00:00", "25", "+02:00")), {}, payload),
         utc("2024-07-01T12:00:00Z"), 250000000, CaptureSource::Exif, {}, {}, nullptr, 7200},
        {"RAW, offset west", "DSC_0001.NEF",
         tiff(exif("2024:07:01 08:00:10", "", "-04:00")) + QByteArray(payload, 'r'),
         utc("2024-07-01T12:00:10Z"), 0, CaptureSource::Exif, {}, {}, nullptr, -4 * 3600},
        {"RAW, offset with half hours", "P0001.ORF",
         tiff(exif("2024:07:01 17:30:20", "5", "+05:30")), utc("2024-07-01T12:00:20Z"), 500000000,
         CaptureSource::Exif, {}, {}, nullptr, 19800},
        {"JPEG without offset: local time", "IMG_0002.JPG",
         jpeg(tiff(exif("2024:07:01 12:00:00"))), localNoon, 0, CaptureSource::Exif},
        {"EXIF wins over XMP", "IMG_0003.JPG",
         jpeg(tiff(exif("2024:07:01 14:00:00", "", "+02:00")),
              xmpPacket("Xmp.exif.DateTimeOriginal", "2020-01-01T00:00:00Z")),
         utc("2024-07-01T12:00:00Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200},
        {"HEIC, ISO BMFF", "IMG_0010.HEIC",
         heic(tiff(exif("2024:07:01 21:00:00", "123", "+09:00")), payload),
         utc("2024-07-01T12:00:00Z"), 123000000, CaptureSource::Exif, {}, {}, nullptr, 9 * 3600},
        {"XMP in the JPEG, the body from its EXIF", "IMG_0004.JPG",
         jpeg(noDate, xmpPacket("Xmp.exif.DateTimeOriginal", "2024-07-01T14:00:01.5+02:00"),
              payload),
         utc("2024-07-01T12:00:01Z"), 500000000, CaptureSource::Xmp, {}, {}, nullptr, 7200,
         {}, "Testkamera||"},
        {"body serial number", "IMG_0100.JPG",
         jpeg(tiff(body(exif("2024:07:01 14:00:00", "", "+02:00"), " Canon ", "Canon EOS R5",
                        "Exif.Photo.BodySerialNumber", "012345"))),
         utc("2024-07-01T12:00:00Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200,
         {}, "Canon|Canon EOS R5|012345"},
        {"serial number in Canon's maker note", "IMG_0101.CR2",
         tiff(body(exif("2024:07:01 14:00:00", "", "+02:00"), "Canon", "Canon EOS 5D",
                   "Exif.Canon.SerialNumber", "1234567")),
         utc("2024-07-01T12:00:00Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200,
         {}, "Canon|Canon EOS 5D|1234567"},
        {"a phone without serial number: make and model; a serial of zeros is none",
         "IMG_0102.HEIC",
         heic(tiff(body(exif("2024:07:01 14:00:00", "", "+02:00"), "Apple", "iPhone 15 Pro",
                        "Exif.Photo.BodySerialNumber", "0000")), 1000),
         utc("2024-07-01T12:00:00Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200,
         {}, "Apple|iPhone 15 Pro|"},
        {"control characters and the separator of a hostile make", "IMG_0103.JPG",
         jpeg(tiff(body(exif("2024:07:01 14:00:00", "", "+02:00"), "Ka\x01m|era", "X\tY"))),
         utc("2024-07-01T12:00:00Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200,
         {}, "Ka m era|X Y|"},
        {"XMP sidecar <stem>.xmp", "IMG_0005.CR2", noDate, utc("2024-07-01T12:00:02Z"), 0,
         CaptureSource::Xmp, "IMG_0005.xmp",
         xmpPacket("Xmp.photoshop.DateCreated", "2024-07-01T12:00:02Z"), nullptr, 0},
        {"XMP sidecar <name>.<ext>.xmp", "IMG_0006.CR2", noDate, utc("2024-07-01T12:00:03Z"), 0,
         CaptureSource::Xmp, "IMG_0006.CR2.xmp",
         xmpPacket("Xmp.exif.DateTimeOriginal", "2024-07-01T12:00:03Z"), nullptr, 0},
        {"MP4 of a phone, media data first: no body", "VID_20240701.mp4",
         movie(at1904("2024-07-01T12:00:04Z"), 0, true, payload), utc("2024-07-01T12:00:04Z"), 0,
         CaptureSource::Video, {}, {}, nullptr, {}, {}, ""},
        {"MOV, version 1 header", "MVI_0001.MOV",
         movie(at1904("2024-07-01T12:00:05Z"), 1, false, 1000, "qt  "),
         utc("2024-07-01T12:00:05Z"), 0, CaptureSource::Video},
        {"MP4 that does not know its date", "clip.mp4", movie(0, 0, true, 1000), fileTime, 0,
         CaptureSource::FileDate},
        {"RAW without any date", "IMG_0007.CR2", noDate + QByteArray(payload, 'r'), fileTime, 0,
         CaptureSource::FileDate},
        {"text file", "liesmich.txt", "Urlaub 2024:07:01 12:00:00", fileTime, 0,
         CaptureSource::FileDate},
        {"JPEG cut off in its EXIF segment", "IMG_0008.JPG",
         jpeg(tiff(exif("2024:07:01 14:00:00"))).left(40), fileTime, 0, CaptureSource::FileDate},
        {"JPEG with a nonsense date", "IMG_0009.JPG", jpeg(tiff(exif("2024:13:45 99:00:00"))),
         fileTime, 0, CaptureSource::FileDate},
        {"movie with a box longer than the file", "broken.mov",
         movie(at1904("2024-07-01T12:00:06Z"), 0, false, 0).replace(28, 4, "\x7f\xff\xff\xff"),
         fileTime, 0, CaptureSource::FileDate},
        {"name that is not UTF-8", "Bild \xe4.jpg",
         jpeg(tiff(exif("2024:07:01 12:00:07", "", "Z"))), utc("2024-07-01T12:00:07Z"), 0,
         CaptureSource::Exif, {}, {}, nullptr, 0},
        {"CR3 at camera size", "IMG_0011.CR3",
         cr3(tiff(exif("")), exifDirectory("2024:07:01 14:00:11", "+02:00"), 1500 * 1024, rawSize),
         utc("2024-07-01T12:00:11Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200},
        {"RAF at camera size", "DSCF0012.RAF",
         raf(jpeg(tiff(exif("2024:07:01 14:00:12", "", "+02:00")), {}, 2 * 1024 * 1024), rawSize),
         utc("2024-07-01T12:00:12Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200},
        {"HEIC with its Exif item after the picture", "IMG_0013.HEIC",
         heic(tiff(exif("2024:07:01 14:00:13", "", "+02:00")), payload, true),
         utc("2024-07-01T12:00:13Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200},
        {"JPEG with 2 MiB of extended XMP after its EXIF", "IMG_0014.JPG",
         jpegWithExtendedXmp(tiff(exif("2024:07:01 14:00:14", "", "+02:00")), 2 * 1024 * 1024),
         utc("2024-07-01T12:00:14Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200},
        {"CRW in Berlin: the camera's clock", "CRW_0015.CRW",
         crw(quint32(utc("2019-07-01T12:00:15Z")), 6 * 1024 * 1024), utc("2019-07-01T10:00:15Z"),
         0, CaptureSource::Exif, {}, {}, "Europe/Berlin"},
        {"CRW in New York", "CRW_0016.CRW",
         crw(quint32(utc("2019-07-01T12:00:16Z")), 1000), utc("2019-07-01T16:00:16Z"), 0,
         CaptureSource::Exif, {}, {}, "America/New_York"},
        {"local time in the hour skipped for summer time", "IMG_0017.JPG",
         jpeg(tiff(exif("2019:03:31 02:30:00"))), utc("2019-03-31T01:30:00Z"), 0,
         CaptureSource::Exif, {}, {}, "Europe/Berlin"},
        {"local time in the hour that repeats: the first", "IMG_0018.JPG",
         jpeg(tiff(exif("2019:10:27 02:30:00"))), utc("2019-10-27T00:30:00Z"), 0,
         CaptureSource::Exif, {}, {}, "Europe/Berlin"},
        {"offset beyond 14 hours: local time", "IMG_0019.JPG",
         jpeg(tiff(exif("2024:07:01 14:00:19", "", "+15:00"))), utc("2024-07-01T12:00:19Z"), 0,
         CaptureSource::Exif, {}, {}, "Europe/Berlin"},
        {"XMP date without a time of day", "IMG_0020.JPG",
         jpeg(noDate, xmpPacket("Xmp.photoshop.DateCreated", "2024-07-01")),
         utc("2024-06-30T22:00:00Z"), 0, CaptureSource::Xmp, {}, {}, "Europe/Berlin"},
        {"an XMP file of its own: XMP, not the EXIF Exiv2 makes of it", "Scan.xmp",
         xmpPacket("Xmp.photoshop.DateCreated", "2024-07-01"), utc("2024-06-30T22:00:00Z"), 0,
         CaptureSource::Xmp, {}, {}, "Europe/Berlin"},
        {"XMP with both dates: the original", "IMG_0021.JPG",
         jpeg(noDate, xmpPacket("Xmp.exif.DateTimeOriginal", "2024-07-01T12:00:21Z")
                          .replace("</rdf:Description>",
                                   "<photoshop:DateCreated>2020-01-01T00:00:00Z"
                                   "</photoshop:DateCreated></rdf:Description>")),
         utc("2024-07-01T12:00:21Z"), 0, CaptureSource::Xmp, {}, {}, nullptr, 0},
        {"AVI over 64 KiB", "MVI_0022.AVI", avi(300 * 1024), fileTime, 0,
         CaptureSource::FileDate},
        {"Matroska header followed by zeros", "clip.mkv",
         QByteArray("\x1a\x45\xdf\xa3", 4) + QByteArray(100 * 1024, '\0'), fileTime, 0,
         CaptureSource::FileDate},
        {"QuickTime whose first atom is junk", "junk.mov",
         box("junk", QByteArray(1800, '\xee')) + box("moov", QByteArray(64, '\xee')), fileTime,
         0, CaptureSource::FileDate},
        {"JPEG of a Live Photo: the identifier in Apple's maker note", "IMG_0108.JPG",
         jpeg(tiff(phoneExif("2024:07:01 14:00:30", "+02:00", appleMakerNote(liveId))), {},
              payload),
         utc("2024-07-01T12:00:30Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200, liveId},
        {"HEIC of a Live Photo", "IMG_0109.HEIC",
         heic(tiff(phoneExif("2024:07:01 14:00:31", "+02:00", appleMakerNote(liveId))), payload,
              true),
         utc("2024-07-01T12:00:31Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200, liveId},
        {"maker note of another make: no identifier", "IMG_0110.JPG",
         jpeg(tiff(phoneExif("2024:07:01 14:00:32", "+02:00",
                             appleMakerNote(liveId).replace(0, 5, "Nokia")))),
         utc("2024-07-01T12:00:32Z"), 0, CaptureSource::Exif, {}, {}, nullptr, 7200},
        {"MOV of a Live Photo: the identifier among its QuickTime keys", "IMG_0108_HEVC.MOV",
         liveMovie(at1904("2024-07-01T12:00:33Z"), liveId, payload), utc("2024-07-01T12:00:33Z"),
         0, CaptureSource::Video, {}, {}, nullptr, {}, liveId},
        {"MOV with an ISO meta box and an XMP sidecar: the sidecar's time, the identifier",
         "IMG_0111.MOV", liveMovie(at1904("2024-07-01T12:00:34Z"), liveId, 1000, true),
         utc("2024-07-01T12:00:35Z"), 0, CaptureSource::Xmp, "IMG_0111.xmp",
         xmpPacket("Xmp.exif.DateTimeOriginal", "2024-07-01T12:00:35Z"), nullptr, 0, liveId},
        {"MOV whose key has no item in ilst", "IMG_0112.MOV",
         withoutSecondItem(liveMovie(at1904("2024-07-01T12:00:36Z"), liveId, 1000)),
         utc("2024-07-01T12:00:36Z"), 0, CaptureSource::Video},
        {"ftyp larger than its file", "big.mp4",
         box("ftyp", "isom\0\0\0\0isom").replace(0, 4, "\x7f\xff\xff\xff")
             + QByteArray(payload, '\x01'),
         fileTime, 0, CaptureSource::FileDate},
    };
    // clang-format on
    for (const CaptureCase &c : cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        folder.write(c.name, c.content);
        folder.setTime(c.name, fileTime);
        if (!c.sidecarName.isEmpty())
            folder.write(c.sidecarName, c.sidecar);
        const Zone zone(c.zone);
        const qint64 before = bytesRead();
        CaptureReadCost cost;
        const ReadLimits limits;
        const CaptureTime time = readCaptureTime(folder.path(), c.name, limits, &cost);
        EXPECT_LE(bytesRead() - before, budget + 300 * 1024); // the sidecar's own budget besides
        EXPECT_LE(cost.bytes, budget);
        EXPECT_LT(cost.time, limits.time);
        EXPECT_FALSE(cost.stopped);
        EXPECT_EQ(time.seconds, c.seconds);
        EXPECT_EQ(time.nanoseconds, c.nanoseconds);
        EXPECT_EQ(int(time.source), int(c.source));
        EXPECT_EQ(time.contentId.toStdString(), c.contentId.toStdString());
        EXPECT_EQ(time.hasUtcOffset, c.offset.has_value());
        EXPECT_EQ(time.utcOffsetSeconds, c.offset.value_or(0));
        if (c.camera) {
            EXPECT_EQ(time.camera, QByteArray(c.camera));
        }
    }
}

// A second scan reads nothing; a file changed in place is read again; progress counts every
// file; a cancelled scan or read stops.
TEST(CaptureTime, ScanThroughCache)
{
    TempFolder folder;
    const std::vector<QByteArray> names = {"IMG_0001.JPG", "IMG_0002.JPG", "clip.mp4", "pipe.jpg"};
    folder.write(names[0], jpeg(tiff(exif("2024:07:01 12:00:00", "", "Z"))));
    folder.write(names[1], jpeg(tiff(exif("2024:07:01 12:00:01", "", "Z"))));
    folder.write(names[2], movie(0, 0, false, 10));
    ASSERT_EQ(::mkfifo(folder.pathOf(names[3]).constData(), 0644), 0); // must not block the scan
    CaptureTimeCache cache;
    std::vector<int> progress;
    const CaptureScan first
        = scanCaptureTimes(folder.path(), names, cache, [&](int done, int total) {
              EXPECT_EQ(total, 4);
              progress.push_back(done);
          });
    EXPECT_TRUE(first.complete);
    EXPECT_EQ(progress, (std::vector<int> {1, 2, 3, 4}));
    EXPECT_EQ(first.withoutCaptureTime, 2);
    EXPECT_EQ(cache.reads(), 3);

    const qint64 before = bytesRead();
    const CaptureScan again = scanCaptureTimes(folder.path(), names, cache);
    EXPECT_LT(bytesRead() - before, 512); // what reading /proc/self/io itself counts
    EXPECT_EQ(cache.reads(), 3);
    EXPECT_EQ(again.times, first.times);

    folder.write(names[1], jpeg(tiff(exif("2024:07:01 12:00:09", "", "Z"))));
    folder.setTime(names[1], fileTime);
    const CaptureScan changed = scanCaptureTimes(folder.path(), names, cache);
    EXPECT_EQ(cache.reads(), 4);
    EXPECT_EQ(changed.times[1].seconds, utc("2024-07-01T12:00:09Z"));

    // Quitting stops a read before its next byte; a file past its deadline has no capture time.
    std::atomic<bool> quit {true};
    ReadLimits cancelled, expired;
    cancelled.cancel = &quit;
    expired.time = std::chrono::milliseconds(0);
    for (const ReadLimits &limits : {cancelled, expired}) {
        CaptureReadCost cost;
        const CaptureTime time = readCaptureTime(folder.path(), names[0], limits, &cost);
        EXPECT_EQ(int(time.source), int(CaptureSource::FileDate));
        EXPECT_EQ(cost.bytes, 0);
        EXPECT_TRUE(cost.stopped);
    }

    // A read that the budget ends keeps the EXIF decoded before it.
    folder.write("lang.jpg",
                 jpeg(tiff(exif("2024:07:01 12:00:00", "", "Z")),
                      xmpPacket("Xmp.xmp.CreatorTool", std::string(40000, 'x').c_str())));
    ReadLimits small;
    small.bytes = 24 * 1024;
    CaptureReadCost cost;
    EXPECT_EQ(readCaptureTime(folder.path(), "lang.jpg", small, &cost),
              (CaptureTime {utc("2024-07-01T12:00:00Z"),
                            0,
                            CaptureSource::Exif,
                            false,
                            {},
                            "Testkamera||",
                            0,
                            true}));
    EXPECT_TRUE(cost.stopped);

    // A read that fails (EIO of a failing card) gives the modification time and is not kept,
    // so that the next scan reads the file again.
    auto failing = std::make_unique<ScriptedSysCalls>();
    failing->failures["pread"] = {EIO};
    CaptureTimeCache onFailingCard(*failing);
    EXPECT_EQ(int(onFailingCard.get(folder.path(), names[0]).source), int(CaptureSource::FileDate));
    EXPECT_EQ(int(onFailingCard.get(folder.path(), names[0]).source), int(CaptureSource::Exif));
    EXPECT_EQ(onFailingCard.reads(), 1);

    std::atomic<bool> cancel {false};
    cache.clear();
    const CaptureScan stopped = scanCaptureTimes(
        folder.path(), names, cache, [&](int done, int) { cancel = done == 1; }, &cancel);
    EXPECT_FALSE(stopped.complete);
    EXPECT_EQ(stopped.times.size(), 1u);
}

CaptureTime at(const char *isoText, qint32 nanoseconds = 0,
               CaptureSource source = CaptureSource::Exif)
{
    return {utc(isoText), nanoseconds, source};
}

// A file of a Live Photo: its time and content identifier.
CaptureTime live(const char *isoText, const char *contentId,
                 CaptureSource source = CaptureSource::Exif)
{
    CaptureTime time = at(isoText, 0, source);
    time.contentId = contentId;
    return time;
}

struct OrderCase
{
    const char *what;
    std::vector<QByteArray> selected;
    std::vector<CaptureTime> times;
    bool byTime;
    bool groups;
    // Selected names in the order of their numbers, each with its shot index and the
    // extension it keeps where that is not the one after its last dot.
    std::vector<std::string> expected;
    int shots;
    int withoutTime;
    std::vector<QByteArray> listed = {};
    std::vector<std::pair<int, int>> unselected = {}; // listed index and shot
};

std::vector<std::string> describe(const PhotoOrder &order, const std::vector<QByteArray> &names)
{
    std::vector<std::string> result;
    for (const PhotoOrder::Entry &e : order.entries) {
        std::string line = names[size_t(e.file)].toStdString() + " " + std::to_string(e.shot);
        if (!e.extension.isEmpty())
            line += " ." + e.extension.toStdString();
        if (e.differentLivePhoto >= 0)
            line += " apart from " + names[size_t(e.differentLivePhoto)].toStdString();
        result.push_back(line);
    }
    return result;
}

TEST(PhotoOrder, TiesShotsAndSwitches)
{
    const CaptureSource fileDate = CaptureSource::FileDate;
    const char *second = "2024-07-01T12:00:00Z";
    std::vector<CaptureTime> burst;
    const int burstOrder[10] = {3, 0, 7, 1, 9, 2, 8, 4, 6, 5};
    for (int b : burstOrder)
        burst.push_back(at(second, b * 100000000));
    // clang-format off
    const std::vector<OrderCase> cases = {
        {"two cameras 37 s apart merged",
         {"DSC_5001.JPG", "DSC_5002.JPG", "IMG_0001.JPG", "IMG_0002.JPG"},
         {at("2024-07-01T12:00:37Z"), at("2024-07-01T12:01:37Z"), at("2024-07-01T12:00:00Z"),
          at("2024-07-01T12:01:00Z")},
         true, false,
         {"IMG_0001.JPG 0", "DSC_5001.JPG 1", "IMG_0002.JPG 2", "DSC_5002.JPG 3"},
         4, 0},
        {"burst of ten in one second, no counter",
         {"Serie a.jpg", "Serie b.jpg", "Serie c.jpg", "Serie d.jpg", "Serie e.jpg", "Serie f.jpg",
          "Serie g.jpg", "Serie h.jpg", "Serie i.jpg", "Serie j.jpg"},
         burst, true, false,
         {"Serie b.jpg 0", "Serie d.jpg 1", "Serie f.jpg 2", "Serie a.jpg 3", "Serie h.jpg 4",
          "Serie j.jpg 5", "Serie i.jpg 6", "Serie c.jpg 7", "Serie g.jpg 8", "Serie e.jpg 9"},
         10, 0},
        {"counter wraps 9998 -> 0002 within one second",
         {"IMG_0001.JPG", "IMG_0002.JPG", "IMG_9998.JPG", "IMG_9999.JPG", "IMG_4711.JPG"},
         {at(second), at(second), at(second), at(second), at("2024-07-01T11:59:59Z")},
         true, false,
         {"IMG_4711.JPG 0", "IMG_9998.JPG 1", "IMG_9999.JPG 2", "IMG_0001.JPG 3", "IMG_0002.JPG 4"},
         5, 0},
        {"no wrap without a counter near the top: counters in order, then names without one",
         {"IMG_0002.JPG", "Bild.jpg", "IMG_0001.JPG", "IMG_5000.JPG"},
         {at(second), at(second), at(second), at(second)},
         true, false,
         {"IMG_0001.JPG 0", "IMG_0002.JPG 1", "IMG_5000.JPG 2", "Bild.jpg 3"},
         4, 0},
        {"files without a capture time by their modification time, like all others",
         {"a.jpg", "b.png", "c.jpg", "d.png", "e.jpg"},
         {at("2024-07-01T12:00:00Z"), at("2024-07-01T12:10:00Z", 0, fileDate),
          at("2024-07-01T12:20:00Z"), at("2024-07-01T11:00:00Z", 0, fileDate),
          at("2024-07-01T12:05:00Z", 0, CaptureSource::Video)},
         true, false,
         {"d.png 0", "a.jpg 1", "e.jpg 2", "b.png 3", "c.jpg 4"},
         5, 2},
        {"a dated shot before an undated file of the same time",
         {"a.png", "b.jpg"}, {at(second, 0, fileDate), at(second)}, true, false,
         {"b.jpg 0", "a.png 1"}, 2, 1},
        {"counters 8500 and 0003 within one second: no wrap",
         {"IMG_8500.JPG", "IMG_0003.JPG"}, {at(second), at(second)}, true, false,
         {"IMG_0003.JPG 0", "IMG_8500.JPG 1"}, 2, 0},
        {"a shot whose RAW is listed before its earlier JPEG",
         {"IMG_0050.CR2", "IMG_0049.JPG", "IMG_0050.JPG"},
         {at("2024-07-01T12:10:00Z", 0, fileDate), at("2024-07-01T12:00:05Z"), at(second)},
         true, true,
         {"IMG_0050.CR2 0", "IMG_0050.JPG 0", "IMG_0049.JPG 1"}, 2, 0},
        {"one shot: RAW, JPEG and both sidecar conventions",
         {"IMG_0042.CR2", "IMG_0042.CR2.xmp", "img_0042.jpg", "IMG_0042.xmp", "IMG_0041.JPG"},
         {at("2024-07-01T12:00:05Z", 0, fileDate),
          at("2024-07-01T12:00:01Z", 0, CaptureSource::Xmp), at("2024-07-01T12:00:02Z"),
          at("2024-07-01T12:00:00Z", 0, fileDate), at("2024-07-01T12:00:03Z")},
         true, true,
         {"IMG_0042.CR2 0", "IMG_0042.CR2.xmp 0 .CR2.xmp", "img_0042.jpg 0", "IMG_0042.xmp 0",
          "IMG_0041.JPG 1"},
         2, 0},
        {"a shot split by the selection",
         {"IMG_0050.JPG", "IMG_0051.JPG"},
         {at("2024-07-01T12:00:01Z"), at("2024-07-01T12:00:00Z")},
         true, true,
         {"IMG_0051.JPG 0", "IMG_0050.JPG 1"},
         2, 0,
         {"IMG_0049.JPG", "IMG_0050.CR2", "IMG_0050.JPG", "IMG_0051.JPG", "IMG_0051.JPG.xmp"},
         {{1, 1}, {4, 0}}},
        {"groups by the whole stem; a sidecar in capitals; dot-files each a shot",
         {"Urlaub.jpg", "Urlaub.2019.jpg", "Urlaub.2019.xmp", "IMG_0042.CR2", "IMG_0042.CR2.XMP",
          ".nomedia", ".DS_Store", ".thumbdata3"},
         {}, false, true,
         {"Urlaub.jpg 0", "Urlaub.2019.jpg 1", "Urlaub.2019.xmp 1", "IMG_0042.CR2 2",
          "IMG_0042.CR2.XMP 2 .CR2.XMP", ".nomedia 3", ".DS_Store 4", ".thumbdata3 5"},
         6, 0},
        {"shots in list order without capture time",
         {"IMG_0002.CR2", "IMG_0001.CR2", "IMG_0002.JPG", "notes.txt"},
         {}, false, true,
         {"IMG_0002.CR2 0", "IMG_0002.JPG 0", "IMG_0001.CR2 1", "notes.txt 2"},
         3, 0},
        {"a Live Photo <uuid>.heic + <uuid>_3.mov: one shot at its still's time, not the earliest",
         {"0D1C.heic", "0D1C_3.mov", "IMG_0107.JPG"},
         {live("2024-07-01T12:00:10Z", "0D1C", CaptureSource::Xmp),
          live("2024-07-01T12:00:08Z", "0D1C", CaptureSource::Xmp), at("2024-07-01T12:00:09Z")},
         true, true,
         {"IMG_0107.JPG 0", "0D1C.heic 1", "0D1C_3.mov 1"},
         2, 0},
        {"a Live Photo IMG_0108.HEIC + IMG_0108_HEVC.MOV in list order; identifiers need groups",
         {"IMG_0107.HEIC", "IMG_0108.HEIC", "IMG_0108_HEVC.MOV", "IMG_0109.HEIC"},
         {live(second, "A7"), live(second, "B8"), live(second, "B8", CaptureSource::Video),
          live(second, "C9")},
         false, true,
         {"IMG_0107.HEIC 0", "IMG_0108.HEIC 1", "IMG_0108_HEVC.MOV 1", "IMG_0109.HEIC 2"},
         3, 0},
        {"copies of a Live Photo: each still with one movie",
         {"IMG_0108 (1).HEIC", "IMG_0108 (1).MOV", "IMG_0108.HEIC", "IMG_0109_HEVC.MOV",
          "IMG_0109.HEIC"},
         {live(second, "B8"), live(second, "B8", CaptureSource::Video), live(second, "B8"),
          live(second, "B8", CaptureSource::Video), live(second, "C9")},
         false, true,
         {"IMG_0108 (1).HEIC 0", "IMG_0108 (1).MOV 0", "IMG_0108.HEIC 1", "IMG_0109_HEVC.MOV 1",
          "IMG_0109.HEIC 2"},
         3, 0},
        {"the same without groups",
         {"IMG_0108.HEIC", "IMG_0108_HEVC.MOV"},
         {live(second, "B8"), live(second, "B8", CaptureSource::Video)},
         true, false,
         {"IMG_0108.HEIC 0", "IMG_0108_HEVC.MOV 1"},
         2, 0},
        {"one stem, two identifiers: two shots; the movie goes with its still, the sidecar with "
         "the first still, and so does an unselected file",
         {"IMG_0108.HEIC", "IMG_0108.MOV", "IMG_0108.xmp", "IMG_0108_HEVC.MOV"},
         {live("2024-07-01T12:00:10Z", "A7"),
          live("2024-07-01T11:00:00Z", "B8", CaptureSource::Video),
          at("2024-07-01T13:00:00Z", 0, fileDate),
          live("2024-07-01T12:00:09Z", "A7", CaptureSource::Video)},
         true, true,
         {"IMG_0108.MOV 0 apart from IMG_0108.HEIC", "IMG_0108.HEIC 1 apart from IMG_0108.MOV",
          "IMG_0108.xmp 1", "IMG_0108_HEVC.MOV 1"},
         2, 0,
         {"IMG_0108.DNG", "IMG_0108.HEIC", "IMG_0108.MOV", "IMG_0108.xmp", "IMG_0108_HEVC.MOV"},
         {{0, 1}}},
        {"both off: list order, a sidecar is a file like any other",
         {"b.CR2.xmp", "a.jpg", "b.CR2"},
         {at("2024-07-01T12:00:01Z"), at(second), at(second)},
         false, false,
         {"b.CR2.xmp 0", "a.jpg 1", "b.CR2 2"},
         3, 0},
    };
    // clang-format on
    for (const OrderCase &c : cases) {
        SCOPED_TRACE(c.what);
        const PhotoOrder order = orderPhotos(c.selected, c.times, c.byTime, c.groups, c.listed);
        EXPECT_EQ(describe(order, c.selected), c.expected);
        EXPECT_EQ(order.shotCount, c.shots);
        EXPECT_EQ(order.withoutCaptureTime, c.withoutTime);
        std::vector<std::pair<int, int>> unselected;
        for (const PhotoOrder::Unselected &u : order.unselectedOfShots)
            unselected.emplace_back(u.listed, u.shot);
        EXPECT_EQ(unselected, c.unselected);
    }
}

// The offset field "+T HH:MM:SS": what reads, what does not, and that every offset read is
// written back in the field form and reads again as the same.
TEST(CameraClock, OffsetTexts)
{
    struct Case
    {
        const char *text;
        std::optional<qint64> seconds;
        const char *form; // formatClockOffset of seconds
        const char *mark; // clockOffsetMark of seconds
    };
    const qint64 day = 86400;
    // clang-format off
    const Case cases[] = {
        {"+0 01:02:10", 3730, "+0 01:02:10", "+1:02:10"},
        {"-0 01:02:10", -3730, "-0 01:02:10", "-1:02:10"},
        {"+400 01:02:10", 400 * day + 3730, "+400 01:02:10", "+400 01:02:10"},
        {"  1:02:10 ", 3730, "+0 01:02:10", "+1:02:10"},
        {"\u22123 4:05", -(3 * day + 4 * 3600 + 300), "-3 04:05:00", "-3 04:05:00"},
        {"+0 00:00:00", 0, "+0 00:00:00", "+0:00:00"},
        {"+99999 23:59:59", maxClockOffset, "+99999 23:59:59", "+99999 23:59:59"},
        {"+0 23:59:59", day - 1, "+0 23:59:59", "+23:59:59"},
        {"+0 24:00:00", std::nullopt, nullptr, nullptr},
        {"+0 01:60:00", std::nullopt, nullptr, nullptr},
        {"+0 01:02:60", std::nullopt, nullptr, nullptr},
        {"+100000 00:00:00", std::nullopt, nullptr, nullptr},
        {"", std::nullopt, nullptr, nullptr},
        {"+", std::nullopt, nullptr, nullptr},
        {"+1 Tag", std::nullopt, nullptr, nullptr},
        {"1:02:10:05", std::nullopt, nullptr, nullptr},
        {"++0 01:00:00", std::nullopt, nullptr, nullptr},
        {"+0,5 01:00:00", std::nullopt, nullptr, nullptr},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        const std::optional<qint64> read = parseClockOffset(QString::fromUtf8(c.text));
        EXPECT_EQ(read, c.seconds);
        if (!c.seconds)
            continue;
        EXPECT_EQ(formatClockOffset(*read), QLatin1String(c.form));
        EXPECT_EQ(clockOffsetMark(*read), QLatin1String(c.mark));
        EXPECT_EQ(parseClockOffset(formatClockOffset(*read)), read);
    }
    // Only the time a camera's clock made is corrected, and only that of a body with an offset.
    const ClockOffsets offsets {{"Nikon|NIKON Z 6|1", -3730}};
    CaptureTime time {1000000, 0, CaptureSource::Exif, false, {}, "Nikon|NIKON Z 6|1"};
    EXPECT_EQ(correctedTime(time, offsets).seconds, 1000000 - 3730);
    time.source = CaptureSource::FileDate;
    EXPECT_EQ(correctedTime(time, offsets).seconds, 1000000);
    time = {1000000, 0, CaptureSource::Exif, false, {}, "Nikon|NIKON Z 6|2"};
    EXPECT_EQ(correctedTime(time, offsets).seconds, 1000000);
    // Sub-seconds round to the nearest second.
    EXPECT_EQ(offsetFromClockPhoto({1000, 600000000, CaptureSource::Exif}, 2000), 999);
    EXPECT_EQ(offsetFromSimultaneousShots({1000, 900000000, CaptureSource::Exif},
                                          {2000, 100000000, CaptureSource::Exif}, 60),
              999 + 60);
}

} // namespace

namespace {

// A file of each kind the reader knows, small, with the metadata where cameras put it.
std::vector<std::pair<QByteArray, QByteArray>> fuzzSeeds()
{
    using namespace capturefiles;
    const QByteArray withTime = tiff(exif("2024:07:01 14:00:00", "25", "+02:00"));
    const QByteArray live = "3F2504E0-4F89-41D3-9A0C-0305E82C3301";
    const QByteArray phone = tiff(phoneExif("2024:07:01 14:00:00", "+02:00", appleMakerNote(live)));
    return {
        {"seed.jpg", jpeg(withTime, xmpPacket("Xmp.exif.DateTimeOriginal", "2024-07-01"), 4096)},
        {"seed.nef", withTime + QByteArray(4096, 'r')},
        {"seed.cr2",
         tiff(body(exif("2024:07:01 14:00:00"), "Canon", "Canon EOS 5D", "Exif.Canon.SerialNumber",
                   "1234567"))
             + QByteArray(4096, 'r')},
        {"seed.cr3",
         cr3(tiff(exif("")), exifDirectory("2024:07:01 14:00:00", "+02:00"), 4096, 4096)},
        {"seed.heic", heic(withTime, 4096, true)},
        {"seed.raf", raf(jpeg(withTime), 4096)},
        {"seed.crw", crw(1500000000, 4096)},
        {"seed.mp4", movie(3800000000u, 0, true, 4096)},
        {"seed-live.jpg", jpeg(phone, {}, 4096)},
        {"seed-live.heic", heic(phone, 4096, true)},
        {"seed-live.mov", liveMovie(3800000000u, live, 64)},
        {"seed.avi", avi(4096)},
        {"seed.mkv",
         QByteArray("\x1a\x45\xdf\xa3\x9f\x42\x86\x81\x01", 9) + QByteArray(4096, '\0')},
        // As large as cameras and phones write them, the metadata after the pictures.
        {"large-live.mov", liveMovie(3800000000u, live, payload)},
        {"large-live.heic", heic(phone, payload, true)},
        {"large.cr3",
         cr3(tiff(exif("")), exifDirectory("2024:07:01 14:00:00", "+02:00"), payload, rawSize)},
    };
}

// Damages data as a failing card or a hostile file would: flipped bytes, sizes and offsets
// overwritten with small, large and boundary numbers, cut off, or a part repeated.
void mutate(QByteArray &data, std::mt19937 &random)
{
    const auto below = [&random](qsizetype n) {
        return qsizetype(
            std::uniform_int_distribution<qint64>(0, std::max<qint64>(n, 1) - 1)(random));
    };
    static const quint32 numbers[]
        = {0,      1,       7,          8,           16,          0x7f,       0xff,
           0xffff, 0x10000, 0x7fffffff, 0x80000000u, 0xfffffff0u, 0xffffffffu};
    const int changes = 1 + int(below(4));
    for (int c = 0; c < changes && !data.isEmpty(); ++c) {
        // Headers and directories are near the start, and a movie's or a phone picture's near
        // the end: most changes go there.
        const qsizetype near = std::min<qsizetype>(data.size(), 600);
        const qsizetype at = std::array<qsizetype, 3> {below(near), data.size() - 1 - below(near),
                                                       below(data.size())}[size_t(below(3))];
        switch (below(5)) {
        case 0:
            data[at] = char(data[at] ^ (1 << below(8)));
            break;
        case 1:
        case 2: {
            const quint32 n = numbers[below(std::size(numbers))];
            const QByteArray bytes
                = below(2) ? capturefiles::bigEndian(n, 4) : capturefiles::littleEndian(n, 4);
            data.replace(at, std::min<qsizetype>(4, data.size() - at), bytes);
            break;
        }
        case 3:
            data.truncate(at);
            break;
        default:
            data.insert(at, data.mid(below(data.size()), below(64)));
            break;
        }
    }
}

// The day of each time as its camera's clock showed it: the offset the file recorded; for a
// movie, which holds UTC alone, the offset of the nearest time that has one; else this
// machine's clock (here New York, four hours behind UTC in July). Before the day's start hour
// a time belongs to the day before.
TEST(CaptureDays, ClockOfEachFile)
{
    const Zone zone("America/New_York");
    const auto shot = [](const char *clock, const char *offset) {
        CaptureTime t;
        EXPECT_TRUE(parseExifTime(clock, "", offset, t)) << clock;
        return t;
    };
    const auto timed = [](const char *isoUtc, CaptureSource source) {
        CaptureTime t;
        t.seconds = utc(isoUtc);
        t.source = source;
        return t;
    };
    const auto video = [&](const char *isoUtc) { return timed(isoUtc, CaptureSource::Video); };
    struct Case
    {
        const char *what;
        std::vector<CaptureTime> times;
        int dayStart;
        std::vector<QByteArray> days;
    };
    // clang-format off
    const Case cases[] = {
        {"a night in Tokyo from 22:00 to 02:30, the day beginning at 4: the evening's date",
         {shot("2024:07:01 22:00:00", "+09:00"), shot("2024:07:02 02:30:00", "+09:00"),
          shot("2024:07:02 04:00:00", "+09:00"), shot("2024:07:02 09:15:00", "+09:00")},
         4, {"2024-07-01", "2024-07-01", "2024-07-02", "2024-07-02"}},
        {"the same night with the day beginning at midnight",
         {shot("2024:07:01 22:00:00", "+09:00"), shot("2024:07:02 02:30:00", "+09:00")},
         0, {"2024-07-01", "2024-07-02"}},
        {"a movie at 23:30 UTC beside photos at +01:00: the next day",
         {shot("2024:07:01 23:10:00", "+01:00"), video("2024-07-01T23:30:00Z"),
          shot("2024:07:02 14:00:00", "-07:00")},
         0, {"2024-07-01", "2024-07-02", "2024-07-02"}},
        {"a movie nearer the later photo takes that one's zone",
         {shot("2024:07:01 23:10:00", "+01:00"), shot("2024:07:02 14:00:00", "-07:00"),
          video("2024-07-03T06:30:00Z")},
         0, {"2024-07-01", "2024-07-02", "2024-07-02"}},
        {"a movie in a run without offsets: this machine's date",
         {video("2024-07-02T02:00:00Z"), shot("2024:07:01 23:30:00", "")},
         0, {"2024-07-01", "2024-07-01"}},
        {"a modification time: this machine's date, never a photo's zone",
         {timed("2024-07-02T02:00:00Z", CaptureSource::FileDate), shot("2024:07:02 03:00:00", "+02:00")},
         0, {"2024-07-01", "2024-07-02"}},
        {"west of UTC, the day beginning at 23",
         {shot("2024:07:01 22:59:59", "-10:00"), shot("2024:07:01 23:00:00", "-10:00")},
         23, {"2024-06-30", "2024-07-01"}},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<QByteArray> days;
        for (const qint64 day : captureDays(c.times, c.times, c.dayStart))
            days.push_back(dayText(day));
        EXPECT_EQ(days, c.days);
    }
}

} // namespace

// Mutated files of every kind: none crashes the reader (the sanitizer build runs this too),
// none is read beyond its budget, none takes longer than its deadline.
TEST(CaptureTime, MutatedFilesStayWithinLimits)
{
    // BRIXELWAND_FUZZ_ROUNDS runs longer by hand.
    const int rounds = qEnvironmentVariableIntValue("BRIXELWAND_FUZZ_ROUNDS") > 0
        ? qEnvironmentVariableIntValue("BRIXELWAND_FUZZ_ROUNDS")
        : 120;
    ReadLimits limits;
    limits.bytes = 256 * 1024;
    limits.time = std::chrono::milliseconds(500);
    const auto slack = std::chrono::milliseconds(250); // what one step of a parser may take
    std::mt19937 random(20261208);
    TempFolder folder;
    for (const auto &[name, seed] : fuzzSeeds()) {
        // Fewer rounds of the large files: each is written anew.
        const int seedRounds = seed.size() > budget ? std::max(1, rounds / 8) : rounds;
        for (int round = 0; round < seedRounds; ++round) {
            QByteArray data = seed;
            mutate(data, random);
            folder.write(name, data);
            CaptureReadCost cost;
            readCaptureTime(folder.path(), name, limits, &cost);
            ASSERT_LE(cost.bytes, limits.bytes) << name.constData() << " round " << round;
            ASSERT_LT(cost.time, limits.time + slack) << name.constData() << " round " << round;
        }
    }
    // Apple's maker note reaches its reader as the bytes Exiv2 kept, whatever they declare.
    const QByteArray note = capturefiles::appleMakerNote("3F2504E0-4F89-41D3-9A0C-0305E82C3301");
    for (int round = 0; round < 50 * rounds; ++round) {
        QByteArray data = note;
        mutate(data, random);
        const QByteArray id = containers::appleContentId(data);
        ASSERT_LE(id.size(), 128) << "round " << round; // a UUID is 36
    }
}
