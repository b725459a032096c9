// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "boundedfile.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>

#include <atomic>
#include <chrono>
#include <functional>
#include <vector>

#include <sys/types.h>

// Where a capture time was found, best first.
enum class CaptureSource : unsigned char {
    Exif, // Exif.Photo.DateTimeOriginal (with SubSecTimeOriginal and OffsetTimeOriginal)
    Xmp, // Xmp.exif.DateTimeOriginal or Xmp.photoshop.DateCreated, in the file or its sidecar
    Video, // the creation time of the movie header (mvhd) of an MP4 or MOV file
    FileDate, // none of these: the file's modification time
};

// When a file was taken, in UTC. A time is only ever a number and its source: nothing read
// from a file's metadata is kept as text.
struct CaptureTime
{
    qint64 seconds = 0; // since 1970-01-01 00:00 UTC
    qint32 nanoseconds = 0; // the part of a second, 0 to 999,999,999
    CaptureSource source = CaptureSource::FileDate;
    bool dateOnly = false; // a day without its time (an XMP date): local midnight
    // What ties the still and the movie of a Live Photo together: the still's Apple maker-note
    // tag 0x0011 or the movie's com.apple.quicktime.content.identifier, as written; empty for
    // none. Read whatever the time's source.
    QByteArray contentId = {};
    // The camera body whose clock made the time (cameraKey() of cameraclock.h); empty when
    // unknown, and for a file's date.
    QByteArray camera {};
    // The offset east of UTC that the file recorded with its time (EXIF OffsetTimeOriginal, an
    // XMP time with a zone): seconds + utcOffsetSeconds is the camera's clock. Without one the
    // time was read as this machine's local time, or is UTC alone (a movie header).
    qint32 utcOffsetSeconds = 0;
    bool hasUtcOffset = false;

    // Every field: a plan is made again where any of them differs.
    bool operator==(const CaptureTime &) const = default;
};

// Whether a was taken before b.
inline bool earlier(const CaptureTime &a, const CaptureTime &b)
{
    return a.seconds != b.seconds ? a.seconds < b.seconds : a.nanoseconds < b.nanoseconds;
}

// What reading one file cost.
struct CaptureReadCost
{
    qint64 bytes = 0; // read of the file itself (its sidecar not counted)
    std::chrono::nanoseconds time {0};
    bool stopped = false; // a limit ended the read
};

// The capture time of the file name in folder (both raw bytes), from the first source that has
// one: EXIF, XMP in the file, an XMP sidecar (<stem>.xmp or <name>.xmp), a movie header, else
// the modification time. Reads only where the file's structure leads, within limits; never
// throws. A time without a recorded offset is taken as local time of this machine. A file
// that cannot be opened gets FileDate with its modification time, or 0; so does one whose read
// a limit ended. The time carries the content identifier of a Live Photo's still or movie.
CaptureTime readCaptureTime(const QByteArray &folder, const QByteArray &name,
                            const ReadLimits &limits = {}, CaptureReadCost *cost = nullptr,
                            SysCalls &sys = SysCalls::real());

// The identity of a file's contents as far as a cache can tell without reading them.
struct FileStamp
{
    dev_t device = 0;
    ino_t inode = 0;
    qint64 size = 0;
    qint64 mtimeSeconds = 0;
    qint32 mtimeNanoseconds = 0;

    bool operator==(const FileStamp &o) const
    {
        return device == o.device && inode == o.inode && size == o.size
            && mtimeSeconds == o.mtimeSeconds && mtimeNanoseconds == o.mtimeNanoseconds;
    }
};
size_t qHash(const FileStamp &stamp, size_t seed = 0);

// Capture times by file stamp, so that a file renamed, or a folder scanned again, is not read
// again, while a file changed in place is. Safe to use from several threads.
class CaptureTimeCache
{
public:
    explicit CaptureTimeCache(SysCalls &sys = SysCalls::real())
        : m_sys(sys)
    { }

    // The capture time of folder/name: from the cache when its stamp is known (one stat, no
    // read), else read and kept, unless a read of the file failed or was cancelled.
    CaptureTime get(const QByteArray &folder, const QByteArray &name,
                    const std::atomic<bool> *cancel = nullptr);
    // How many files get() had to read since the cache was made or cleared.
    int reads() const;
    int size() const;
    void clear();

private:
    SysCalls &m_sys;
    mutable QMutex m_mutex;
    QHash<FileStamp, CaptureTime> m_times;
    int m_reads = 0;
};

// The capture times of names in folder, read one by one through cache. progress, where given,
// is called after each file with the number done and the total. When cancel becomes true the
// scan stops at once, the file it was reading is not kept, and complete is false; the times
// read so far are kept in the cache. Meant to run off the window's thread (QtConcurrent::run or a
// QThread).
struct CaptureScan
{
    std::vector<CaptureTime> times; // one per name, in the order of names (when complete)
    bool complete = false;
    int withoutCaptureTime = 0; // files whose time is their modification time
};
CaptureScan scanCaptureTimes(const QByteArray &folder, const std::vector<QByteArray> &names,
                             CaptureTimeCache &cache,
                             const std::function<void(int done, int total)> &progress = {},
                             const std::atomic<bool> *cancel = nullptr);
