// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturetime.h"

#include "cameraclock.h"
#include "capturecontainers.h"
#include "capturetimetext.h"
#include "exiv2stream.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/webpimage.hpp>
#pragma GCC diagnostic pop

#include <QMutexLocker>

#include <mutex>

#include <sys/stat.h>

namespace {

using containers::Kind;
using containers::Range;

constexpr qint64 firstMappedWindow = 64 * 1024; // holds the metadata of nearly every TIFF RAW
constexpr qint64 maxSidecar = 256 * 1024;

// The XMP toolkit keeps one registry of namespaces for all threads.
void lockXmp(void *mutex, bool lock)
{
    if (lock)
        static_cast<std::mutex *>(mutex)->lock();
    else
        static_cast<std::mutex *>(mutex)->unlock();
}

void setUpExiv2()
{
    static std::once_flag once;
    static std::mutex xmpMutex;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockXmp, &xmpMutex);
        Exiv2::enableBMFF(true); // HEIC, HEIF, AVIF and CR3
    });
}

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

CaptureTime fileDate(const struct stat &st)
{
    return {qint64(st.st_mtim.tv_sec), qint32(st.st_mtim.tv_nsec), CaptureSource::FileDate};
}

std::string exifText(const Exiv2::ExifData &exif, const char *key)
{
    const auto it = exif.findKey(Exiv2::ExifKey(key));
    return it == exif.end() ? std::string() : it->toString();
}

bool timeFromExif(const Exiv2::ExifData &exif, CaptureTime &result)
{
    return parseExifTime(exifText(exif, "Exif.Photo.DateTimeOriginal"),
                         exifText(exif, "Exif.Photo.SubSecTimeOriginal"),
                         exifText(exif, "Exif.Photo.OffsetTimeOriginal"), result)
        // TIFF/EP keeps the same tag in the first directory
        || parseExifTime(exifText(exif, "Exif.Image.DateTimeOriginal"), std::string(),
                         std::string(), result);
}

// The body that took the picture: its make, model and serial number, from the EXIF tag where
// a camera puts it, else from the maker note of its make.
QByteArray cameraFromExif(const Exiv2::ExifData &exif)
{
    static const char *const serialKeys[] = {
        "Exif.Photo.BodySerialNumber",
        "Exif.Image.CameraSerialNumber",
        "Exif.Canon.SerialNumber",
        "Exif.Nikon3.SerialNumber",
        "Exif.OlympusEq.SerialNumber",
        "Exif.Pentax.SerialNumber",
        "Exif.PentaxDng.SerialNumber",
        "Exif.Fujifilm.SerialNumber",
        "Exif.Panasonic.InternalSerialNumber",
        "Exif.Sigma.SerialNumber",
    };
    std::string serial;
    for (const char *key : serialKeys) {
        serial = exifText(exif, key);
        if (serial.find_first_not_of(" 0") != std::string::npos)
            break; // a serial of zeros or blanks is the camera saying it has none
        serial.clear();
    }
    return cameraKey(exifText(exif, "Exif.Image.Make"), exifText(exif, "Exif.Image.Model"), serial);
}

bool timeFromXmp(const Exiv2::XmpData &xmp, CaptureTime &result)
{
    for (const char *key : {"Xmp.exif.DateTimeOriginal", "Xmp.photoshop.DateCreated"}) {
        const auto it = xmp.findKey(Exiv2::XmpKey(key));
        if (it != xmp.end() && parseXmpTime(it->toString(), result))
            return true;
    }
    return false;
}

// The times found in one file so far, and its content identifier.
struct Found
{
    CaptureTime exif, xmp, movie;
    bool hasExif = false, hasXmp = false, hasMovie = false;
    QByteArray contentId;
    QByteArray camera;
};

// The content identifier of a Live Photo's still: Exiv2 0.27 keeps Apple's maker note
// undecoded, as the bytes of the EXIF tag.
QByteArray contentIdFromExif(const Exiv2::ExifData &exif)
{
    const auto it = exif.findKey(Exiv2::ExifKey("Exif.Photo.MakerNote"));
    if (it == exif.end() || it->typeId() != Exiv2::undefined || it->size() == 0)
        return {};
    QByteArray bytes(qsizetype(it->size()), '\0');
    it->copy(reinterpret_cast<Exiv2::byte *>(bytes.data()), Exiv2::bigEndian);
    return containers::appleContentId(bytes);
}

// How Exiv2 reads an image of a type: not at all (movies and what is not a camera's still),
// through the stream where it asks, or mapped whole (the TIFF family).
enum class Access { None, Stream, Mapped };

Access accessFor(int type)
{
    namespace T = Exiv2::ImageType;
    switch (type) {
    case T::jpeg:
    case T::exv:
    case T::png:
    case T::webp:
    case T::jp2:
    case T::psd:
    case T::xmp:
    case T::bmff:
        return Access::Stream;
    case T::tiff:
    case T::cr2:
    case T::orf:
    case T::rw2:
        return Access::Mapped;
    default: // QuickTime, RIFF, Matroska and ASF among them: their readers are not hardened
        return Access::None;
    }
}

// Asks Exiv2 for the metadata in io. What it decoded before it gave up on a damaged or cut-off
// file still counts: a time is only taken when its text is whole.
void readMetadata(Exiv2::BasicIo::AutoPtr io, Found &found)
{
    Exiv2::Image::AutoPtr image;
    try {
        image = Exiv2::ImageFactory::open(io);
        if (image.get())
            image->readMetadata();
    } catch (...) { }
    if (!image.get())
        return;
    try {
        // An XMP file is read as XMP only: Exiv2 copies its dates into EXIF fields as well.
        if (!found.hasExif && image->imageType() != Exiv2::ImageType::xmp) {
            found.hasExif = timeFromExif(image->exifData(), found.exif);
            if (found.camera.isEmpty())
                found.camera = cameraFromExif(image->exifData());
        }
        if (!found.hasXmp)
            found.hasXmp = timeFromXmp(image->xmpData(), found.xmp);
        if (found.contentId.isEmpty() && image->imageType() != Exiv2::ImageType::xmp)
            found.contentId = contentIdFromExif(image->exifData());
    } catch (...) { }
}

// The still image in part of file, with the ranges of it that need not be read.
void readStill(BoundedFile &file, const Range &part, const std::vector<Range> &blind, Kind kind,
               Found &found)
{
    const qint64 length = part.end - part.begin;
    Exiv2Stream probe(file, part.begin, length);
    int type;
    try {
        type = Exiv2::ImageFactory::getType(probe);
    } catch (...) {
        return;
    }
    const Access access = accessFor(type);
    if (access == Access::None || (type == Exiv2::ImageType::bmff) != (kind == Kind::BmffStill))
        return;
    if (access == Access::Stream) {
        std::vector<Range> ranges = blind;
        qint64 readable = length;
        if (type == Exiv2::ImageType::jpeg
            && !containers::jpegLayout(file, part, ranges, readable)) {
            ranges.clear();
            readable = length;
        }
        readMetadata(Exiv2::BasicIo::AutoPtr(new Exiv2Stream(file, part.begin, readable, ranges)),
                     found);
        return;
    }
    // Exiv2 maps these whole: it is given their first bytes, then as many as may be read.
    for (qint64 window = std::min(length, firstMappedWindow);;) {
        readMetadata(Exiv2::BasicIo::AutoPtr(new Exiv2Stream(file, part.begin, window)), found);
        const qint64 next = std::min(length, file.budgetLeft());
        if (found.hasExif || window >= length || next <= window || file.stopped())
            return;
        window = next;
    }
}

bool xmpFromSidecar(SysCalls &sys, const QByteArray &path, const ReadLimits &limits,
                    CaptureTime &result)
{
    ReadLimits sidecarLimits = limits;
    sidecarLimits.bytes = maxSidecar;
    BoundedFile file(path, sidecarLimits, sys);
    if (!file.ok() || file.size() > maxSidecar)
        return false;
    const QByteArray packet = file.read(0, file.size());
    if (packet.isEmpty())
        return false;
    try {
        Exiv2::XmpData xmp;
        if (Exiv2::XmpParser::decode(xmp, packet.toStdString()) != 0)
            return false;
        return timeFromXmp(xmp, result);
    } catch (...) {
        return false;
    }
}

CaptureTime readFromFile(SysCalls &sys, BoundedFile &file, const QByteArray &folder,
                         const QByteArray &name, const ReadLimits &limits)
{
    setUpExiv2();
    Found found;
    const Kind kind = containers::kindOf(file);
    const Range whole {0, file.size()};
    switch (kind) {
    case Kind::Crw:
        found.hasExif = containers::crwTime(file, found.exif);
        break;
    case Kind::Raf: {
        Range jpeg;
        if (containers::rafJpeg(file, jpeg))
            readStill(file, jpeg, {}, kind, found);
        break;
    }
    case Kind::BmffStill: {
        std::vector<Range> blind;
        if (containers::bmffBlindRanges(file, blind))
            readStill(file, whole, blind, kind, found);
        break;
    }
    case Kind::Other:
        readStill(file, whole, {}, kind, found);
        break;
    case Kind::Movie:
        // One walk of the movie box for its header and its keys.
        found.hasMovie = containers::movieCreationTime(file, found.movie, &found.contentId);
        break;
    case Kind::NotAPhoto:
        break;
    }
    // Past the deadline nothing counts; a read the budget ended keeps what was decoded whole.
    if (file.expired())
        return fileDate(file.stat());
    // The body comes with a time its clock made: of the EXIF, the XMP and a sidecar, which
    // keep what the camera wrote. Movies are left without one: their headers name the body in
    // as many ways as there are makers, if at all.
    CaptureTime time = fileDate(file.stat());
    if (found.hasExif) {
        time = found.exif;
        time.camera = found.camera;
    } else if (found.hasXmp) {
        time = found.xmp;
        time.camera = found.camera;
    } else {
        const int dot = name.lastIndexOf('.');
        const QByteArray stem = dot > 0 ? name.left(dot) : name;
        CaptureTime sidecarTime;
        bool hasSidecar = false;
        for (const QByteArray &sidecar :
             {stem + ".xmp", stem + ".XMP", name + ".xmp", name + ".XMP"}) {
            if (sidecar != name
                && xmpFromSidecar(sys, joinPath(folder, sidecar), limits, sidecarTime)) {
                hasSidecar = true;
                break;
            }
        }
        if (hasSidecar) {
            time = sidecarTime;
            time.camera = found.camera;
        } else if (found.hasMovie) {
            time = found.movie;
        }
    }
    time.contentId = found.contentId;
    return time;
}

FileStamp stampOf(const struct stat &st)
{
    return {st.st_dev, st.st_ino, qint64(st.st_size), qint64(st.st_mtim.tv_sec),
            qint32(st.st_mtim.tv_nsec)};
}

} // namespace

CaptureTime readCaptureTime(const QByteArray &folder, const QByteArray &name,
                            const ReadLimits &limits, CaptureReadCost *cost, SysCalls &sys)
{
    const auto start = std::chrono::steady_clock::now();
    BoundedFile file(joinPath(folder, name), limits, sys);
    const CaptureTime time
        = file.ok() ? readFromFile(sys, file, folder, name, limits) : CaptureTime();
    if (cost) {
        cost->bytes = file.bytesRead();
        cost->time = std::chrono::steady_clock::now() - start;
        cost->stopped = file.stopped();
    }
    return time;
}

size_t qHash(const FileStamp &stamp, size_t seed)
{
    return qHashMulti(seed, quint64(stamp.device), quint64(stamp.inode), stamp.size,
                      stamp.mtimeSeconds, stamp.mtimeNanoseconds);
}

CaptureTime CaptureTimeCache::get(const QByteArray &folder, const QByteArray &name,
                                  const std::atomic<bool> *cancel)
{
    const QByteArray path = joinPath(folder, name);
    struct stat st;
    if (m_sys.statPath(path.constData(), &st) == 0) {
        const QMutexLocker lock(&m_mutex);
        const auto it = m_times.constFind(stampOf(st));
        if (it != m_times.constEnd())
            return it.value();
    }
    ReadLimits limits;
    limits.cancel = cancel;
    BoundedFile file(path, limits, m_sys);
    if (!file.ok())
        return {};
    const CaptureTime time = readFromFile(m_sys, file, folder, name, limits);
    if ((cancel && cancel->load()) || file.failed())
        return time; // cut short or not read whole: read again next time
    const QMutexLocker lock(&m_mutex);
    m_times.insert(stampOf(file.stat()), time);
    ++m_reads;
    return time;
}

int CaptureTimeCache::reads() const
{
    const QMutexLocker lock(&m_mutex);
    return m_reads;
}

int CaptureTimeCache::size() const
{
    const QMutexLocker lock(&m_mutex);
    return int(m_times.size());
}

void CaptureTimeCache::clear()
{
    const QMutexLocker lock(&m_mutex);
    m_times.clear();
    m_reads = 0;
}

CaptureScan scanCaptureTimes(const QByteArray &folder, const std::vector<QByteArray> &names,
                             CaptureTimeCache &cache, const std::function<void(int, int)> &progress,
                             const std::atomic<bool> *cancel)
{
    CaptureScan scan;
    scan.times.reserve(names.size());
    const int total = int(names.size());
    for (const QByteArray &name : names) {
        if (cancel && cancel->load(std::memory_order_relaxed))
            return scan;
        const CaptureTime time = cache.get(folder, name, cancel);
        if (cancel && cancel->load(std::memory_order_relaxed))
            return scan;
        scan.times.push_back(time);
        if (time.source == CaptureSource::FileDate)
            ++scan.withoutCaptureTime;
        if (progress)
            progress(int(scan.times.size()), total);
    }
    scan.complete = true;
    return scan;
}
