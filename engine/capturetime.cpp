// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturetime.h"

#include <QDateTime>
#include <QMutexLocker>
#include <QTimeZone>

// Exiv2 0.27 hands its images and streams around as std::auto_ptr.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>

#include <cstring>
#include <memory>
#include <mutex>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 firstPrefix = 64 * 1024; // holds the metadata of nearly every camera file
constexpr qint64 maxPrefix = 256 * 1024; // never more than this of a file goes to Exiv2
constexpr qint64 maxSidecar = 256 * 1024;
constexpr qint64 secondsFrom1904To1970 = 2082844800;

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

// A file opened for reading, closed on every way out.
class File
{
public:
    // Without blocking on a FIFO; anything but a regular file is then not ok().
    explicit File(const QByteArray &path)
        : m_fd(::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY))
    {
        if (m_fd >= 0 && ::fstat(m_fd, &m_stat) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~File()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool ok() const { return m_fd >= 0 && S_ISREG(m_stat.st_mode); }
    const struct stat &stat() const { return m_stat; }
    qint64 size() const { return qint64(m_stat.st_size); }

    // Up to length bytes from offset; fewer at the end of the file or on a read error.
    QByteArray read(qint64 offset, qint64 length) const
    {
        QByteArray data(qsizetype(length), Qt::Uninitialized);
        qint64 got = 0;
        while (got < length) {
            const ssize_t n = ::pread(m_fd, data.data() + got, size_t(length - got), offset + got);
            if (n <= 0)
                break;
            got += n;
        }
        data.truncate(qsizetype(got));
        return data;
    }

private:
    int m_fd;
    struct stat m_stat = {};
};

QByteArray joinPath(const QByteArray &folder, const QByteArray &name)
{
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

CaptureTime fileDate(const struct stat &st)
{
    return {qint64(st.st_mtim.tv_sec), qint32(st.st_mtim.tv_nsec), CaptureSource::FileDate};
}

// Reads a run of exactly count decimal digits at text[pos]; false if there is none.
bool digitsAt(const std::string &text, size_t pos, size_t count, int &value)
{
    if (pos + count > text.size())
        return false;
    value = 0;
    for (size_t i = pos; i < pos + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// "123" as a fraction of a second: 0.123 s.
qint32 fractionNanoseconds(const std::string &digits)
{
    qint32 nanos = 0;
    int places = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            break;
        if (places < 9) {
            nanos = nanos * 10 + (c - '0');
            ++places;
        }
    }
    if (places == 0)
        return 0;
    for (; places < 9; ++places)
        nanos *= 10;
    return nanos;
}

// "+02:00", "-0530" or "Z" as seconds east of UTC; false if text is none of these.
bool parseOffset(const std::string &text, size_t pos, int &seconds)
{
    while (pos < text.size() && text[pos] == ' ')
        ++pos;
    if (pos < text.size() && text[pos] == 'Z') {
        seconds = 0;
        return true;
    }
    if (pos >= text.size() || (text[pos] != '+' && text[pos] != '-'))
        return false;
    const int sign = text[pos] == '-' ? -1 : 1;
    int hours, minutes;
    if (!digitsAt(text, pos + 1, 2, hours))
        return false;
    size_t m = pos + 3;
    if (m < text.size() && text[m] == ':')
        ++m;
    if (!digitsAt(text, m, 2, minutes) || hours > 18 || minutes > 59)
        return false;
    seconds = sign * (hours * 3600 + minutes * 60);
    return true;
}

// The moment of a date and time with its offset east of UTC, or taken as this machine's local
// time when hasOffset is false.
bool toUtc(int year, int month, int day, int hour, int minute, int second, bool hasOffset,
           int offset, qint64 &utc)
{
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (year < 1800 || !date.isValid() || !time.isValid())
        return false;
    const QDateTime moment = hasOffset ? QDateTime(date, time, QTimeZone(offset))
                                       : QDateTime(date, time, Qt::LocalTime);
    if (!moment.isValid())
        return false;
    utc = moment.toSecsSinceEpoch();
    return true;
}

// EXIF's "YYYY:MM:DD HH:MM:SS" with its sub-second digits and offset texts.
bool parseExifTime(const std::string &text, const std::string &subSeconds,
                   const std::string &offsetText, CaptureTime &result)
{
    int y, mo, d, h, mi, s;
    if (!digitsAt(text, 0, 4, y) || !digitsAt(text, 5, 2, mo) || !digitsAt(text, 8, 2, d)
        || !digitsAt(text, 11, 2, h) || !digitsAt(text, 14, 2, mi) || !digitsAt(text, 17, 2, s))
        return false;
    int offset = 0;
    const bool hasOffset = parseOffset(offsetText, 0, offset);
    qint64 utc;
    if (!toUtc(y, mo, d, h, mi, s, hasOffset, offset, utc))
        return false;
    size_t start = 0;
    while (start < subSeconds.size() && subSeconds[start] == ' ')
        ++start;
    result = {utc, fractionNanoseconds(subSeconds.substr(start)), CaptureSource::Exif};
    return true;
}

// XMP's ISO 8601 "YYYY-MM-DDTHH:MM:SS.fff+hh:mm"; the time, its seconds, fraction and offset may
// each be missing (a date alone is midnight).
bool parseXmpTime(const std::string &text, CaptureTime &result)
{
    int y, mo = 1, d = 1, h = 0, mi = 0, s = 0;
    if (!digitsAt(text, 0, 4, y))
        return false;
    size_t pos = 4;
    if (pos < text.size() && text[pos] == '-') {
        if (!digitsAt(text, 5, 2, mo))
            return false;
        pos = 7;
        if (pos < text.size() && text[pos] == '-') {
            if (!digitsAt(text, 8, 2, d))
                return false;
            pos = 10;
        }
    }
    qint32 nanos = 0;
    if (pos < text.size() && text[pos] == 'T') {
        if (!digitsAt(text, pos + 1, 2, h) || pos + 3 >= text.size() || text[pos + 3] != ':'
            || !digitsAt(text, pos + 4, 2, mi))
            return false;
        pos += 6;
        if (pos < text.size() && text[pos] == ':') {
            if (!digitsAt(text, pos + 1, 2, s))
                return false;
            pos += 3;
            if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
                nanos = fractionNanoseconds(text.substr(pos + 1));
                ++pos;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
                    ++pos;
            }
        }
    }
    int offset = 0;
    const bool hasOffset = parseOffset(text, pos, offset);
    qint64 utc;
    if (!toUtc(y, mo, d, h, mi, s, hasOffset, offset, utc))
        return false;
    result = {utc, nanos, CaptureSource::Xmp};
    return true;
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
                         exifText(exif, "Exif.Photo.OffsetTimeOriginal"), result);
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

// A stream over the first bytes of a file that reports the whole file's size, for ISO BMFF
// (HEIC, CR3), whose parser checks box sizes against the size of the file. Reads past the
// prefix find nothing. Never used for formats that map the stream (TIFF): those take the
// prefix's own size.
class PrefixIo : public Exiv2::MemIo
{
public:
    PrefixIo(const QByteArray &prefix, qint64 fileSize)
        : Exiv2::MemIo(reinterpret_cast<const Exiv2::byte *>(prefix.constData()),
                       long(prefix.size()))
        , m_fileSize(fileSize)
    { }
    size_t size() const override { return size_t(m_fileSize); }

private:
    qint64 m_fileSize;
};

enum class Outcome { Found, NothingFound, Truncated };

// Asks Exiv2 about the metadata in prefix, the first bytes of a file of fileSize.
Outcome readMetadata(const QByteArray &prefix, qint64 fileSize, bool isoBmff, CaptureTime &exif,
                     CaptureTime &xmp, bool &hasXmp)
{
    try {
        Exiv2::BasicIo::AutoPtr io(
            isoBmff ? new PrefixIo(prefix, fileSize)
                    : new Exiv2::MemIo(reinterpret_cast<const Exiv2::byte *>(prefix.constData()),
                                       long(prefix.size())));
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(io);
        if (!image.get())
            return Outcome::NothingFound;
        image->readMetadata();
        if (timeFromExif(image->exifData(), exif))
            return Outcome::Found;
        if (!hasXmp)
            hasXmp = timeFromXmp(image->xmpData(), xmp);
    } catch (...) {
        // A damaged or cut-off file: whatever Exiv2 says about it is of no use here.
    }
    return fileSize > prefix.size() ? Outcome::Truncated : Outcome::NothingFound;
}

bool xmpFromSidecar(const QByteArray &path, CaptureTime &result)
{
    const File file(path);
    if (!file.ok())
        return false;
    const QByteArray data = file.read(0, std::min(file.size(), maxSidecar));
    try {
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(
            reinterpret_cast<const Exiv2::byte *>(data.constData()), long(data.size()));
        if (!image.get())
            return false;
        image->readMetadata();
        return timeFromXmp(image->xmpData(), result);
    } catch (...) {
        return false;
    }
}

quint32 be32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}

quint64 be64(const char *p)
{
    return quint64(be32(p)) << 32 | be32(p + 4);
}

// The brands of an ISO BMFF file type box that Exiv2 reads as a still image (HEIF, AVIF, CR3).
bool isStillImageBrand(const char *brand)
{
    for (const char *still :
         {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif", "avis", "crx "}) {
        if (std::memcmp(brand, still, 4) == 0)
            return true;
    }
    return false;
}

enum class Container { Other, StillImage, Movie };

// What the first bytes say: an ISO BMFF or QuickTime movie, a still image in ISO BMFF, or
// something else.
Container containerOf(const QByteArray &prefix)
{
    if (prefix.size() < 16)
        return Container::Other;
    const char *type = prefix.constData() + 4;
    if (std::memcmp(type, "ftyp", 4) == 0) {
        const qint64 boxSize = std::min<qint64>(be32(prefix.constData()), prefix.size());
        for (qint64 at = 8; at + 4 <= boxSize; at += 4) {
            if (at == 12)
                continue; // the minor version
            if (isStillImageBrand(prefix.constData() + at))
                return Container::StillImage;
        }
        return Container::Movie;
    }
    for (const char *movie : {"moov", "mdat", "wide", "free", "skip", "pnot"}) {
        if (std::memcmp(type, movie, 4) == 0)
            return Container::Movie;
    }
    return Container::Other;
}

// The creation time of the movie header: the top-level boxes are walked to moov (a media data
// box before it is skipped, not read), then moov's children to mvhd. Reads only box headers.
bool movieCreationTime(const File &file, CaptureTime &result)
{
    const auto findBox = [&file](qint64 from, qint64 end, const char *wanted, qint64 &content,
                                 qint64 &contentEnd) {
        qint64 at = from;
        for (int boxes = 0; boxes < 256 && at + 8 <= end; ++boxes) {
            const QByteArray header = file.read(at, 16);
            if (header.size() < 8)
                return false;
            qint64 size = be32(header.constData());
            qint64 headerSize = 8;
            if (size == 1) {
                if (header.size() < 16)
                    return false;
                size = qint64(be64(header.constData() + 8));
                headerSize = 16;
            } else if (size == 0) {
                size = end - at; // the last box runs to the end
            }
            if (size < headerSize || size > end - at)
                return false;
            if (std::memcmp(header.constData() + 4, wanted, 4) == 0) {
                content = at + headerSize;
                contentEnd = at + size;
                return true;
            }
            at += size;
        }
        return false;
    };
    qint64 moov, moovEnd, mvhd, mvhdEnd;
    if (!findBox(0, file.size(), "moov", moov, moovEnd)
        || !findBox(moov, moovEnd, "mvhd", mvhd, mvhdEnd))
        return false;
    const QByteArray box = file.read(mvhd, std::min<qint64>(mvhdEnd - mvhd, 12));
    if (box.size() < 8)
        return false;
    quint64 created;
    if (box[0] == 1) {
        if (box.size() < 12)
            return false;
        created = be64(box.constData() + 4);
    } else if (box[0] == 0) {
        created = be32(box.constData() + 4);
    } else {
        return false;
    }
    // 0 is what recorders write when they do not know; later than 2100 is not a real date.
    if (created == 0 || created > quint64(secondsFrom1904To1970) + 4102444800ull)
        return false;
    result = {qint64(created) - secondsFrom1904To1970, 0, CaptureSource::Video};
    return true;
}

CaptureTime readFromFile(const File &file, const QByteArray &folder, const QByteArray &name)
{
    setUpExiv2();
    QByteArray prefix = file.read(0, std::min(file.size(), firstPrefix));
    const Container container = containerOf(prefix);
    CaptureTime exif, xmp;
    bool hasXmp = false;
    if (container != Container::Movie) {
        Outcome outcome = readMetadata(prefix, file.size(), container == Container::StillImage,
                                       exif, xmp, hasXmp);
        if (outcome == Outcome::Truncated && prefix.size() < maxPrefix) {
            prefix += file.read(prefix.size(), std::min(file.size(), maxPrefix) - prefix.size());
            outcome = readMetadata(prefix, file.size(), container == Container::StillImage, exif,
                                   xmp, hasXmp);
        }
        if (outcome == Outcome::Found)
            return exif;
    }
    if (hasXmp)
        return xmp;
    const int dot = name.lastIndexOf('.');
    const QByteArray stem = dot > 0 ? name.left(dot) : name;
    for (const QByteArray &sidecar : {stem + ".xmp", stem + ".XMP", name + ".xmp", name + ".XMP"}) {
        if (sidecar != name && xmpFromSidecar(joinPath(folder, sidecar), xmp))
            return xmp;
    }
    CaptureTime video;
    if (container == Container::Movie && movieCreationTime(file, video))
        return video;
    return fileDate(file.stat());
}

FileStamp stampOf(const struct stat &st)
{
    return {st.st_dev, st.st_ino, qint64(st.st_size), qint64(st.st_mtim.tv_sec),
            qint32(st.st_mtim.tv_nsec)};
}

} // namespace

CaptureTime readCaptureTime(const QByteArray &folder, const QByteArray &name)
{
    const File file(joinPath(folder, name));
    if (!file.ok())
        return {};
    return readFromFile(file, folder, name);
}

size_t qHash(const FileStamp &stamp, size_t seed)
{
    return qHashMulti(seed, quint64(stamp.device), quint64(stamp.inode), stamp.size,
                      stamp.mtimeSeconds, stamp.mtimeNanoseconds);
}

CaptureTime CaptureTimeCache::get(const QByteArray &folder, const QByteArray &name)
{
    const QByteArray path = joinPath(folder, name);
    struct stat st;
    if (::stat(path.constData(), &st) == 0) {
        const QMutexLocker lock(&m_mutex);
        const auto it = m_times.constFind(stampOf(st));
        if (it != m_times.constEnd())
            return it.value();
    }
    const File file(path);
    if (!file.ok())
        return {};
    const CaptureTime time = readFromFile(file, folder, name);
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
        scan.times.push_back(cache.get(folder, name));
        if (scan.times.back().source == CaptureSource::FileDate)
            ++scan.withoutCaptureTime;
        if (progress)
            progress(int(scan.times.size()), total);
    }
    scan.complete = true;
    return scan;
}
