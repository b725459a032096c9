// SPDX-License-Identifier: GPL-3.0-or-later
// Exiv2 is given only still images. Its movie readers are not hardened, its box reader loads
// every box it meets whole, its RAF reader the whole embedded JPEG and its CRW reader the whole
// file, and it turns a CRW's clock into local time of this machine. So the boxes around a
// still, movies, RAF and CRW are walked here, reading only headers and the few bytes wanted.
#include "capturecontainers.h"

#include "capturetimetext.h"

#include <cstring>

namespace containers {

namespace {

constexpr qint64 secondsFrom1904To1970 = 2082844800;
constexpr int maxBoxes = 256; // top-level or children of one box that are looked at
// The largest top-level box of an ISO BMFF still that holds no metadata (a CR3's preview is
// one to two MiB): the reader takes each such box into memory, though it reads none of it.
constexpr qint64 maxBlindBox = 16 * 1024 * 1024;
// A phone's movie lists a dozen QuickTime keys in a few hundred bytes; its identifier is a UUID.
constexpr qint64 maxKeysBox = 64 * 1024;
constexpr qsizetype maxContentId = 128;

quint32 be32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[0]) << 24 | quint32(u[1]) << 16 | quint32(u[2]) << 8 | quint32(u[3]);
}

quint64 be64(const char *p)
{
    return quint64(be32(p)) << 32 | be32(p + 4);
}

quint16 be16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint16(u[0] << 8 | u[1]);
}

quint32 le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint32(u[3]) << 24 | quint32(u[2]) << 16 | quint32(u[1]) << 8 | quint32(u[0]);
}

quint16 le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return quint16(u[1] << 8 | u[0]);
}

struct Box
{
    char type[4] = {};
    qint64 begin = 0, content = 0, end = 0;

    bool is(const char *t) const { return std::memcmp(type, t, 4) == 0; }
};

// The box at offset at, which must end by end; false for a header that does not fit.
bool boxAt(BoundedFile &file, qint64 at, qint64 end, Box &box)
{
    if (at + 8 > end)
        return false;
    const QByteArray header = file.read(at, 16);
    if (header.size() < 8)
        return false;
    qint64 size = be32(header.constData());
    qint64 headerSize = 8;
    if (size == 1) {
        if (header.size() < 16)
            return false;
        const quint64 large = be64(header.constData() + 8);
        if (large > quint64(end - at))
            return false;
        size = qint64(large);
        headerSize = 16;
    } else if (size == 0) {
        size = end - at; // the last box runs to the end
    }
    if (size < headerSize || size > end - at)
        return false;
    std::memcpy(box.type, header.constData() + 4, 4);
    box.begin = at;
    box.content = at + headerSize;
    box.end = at + size;
    return true;
}

bool findBox(BoundedFile &file, qint64 from, qint64 end, const char *type, Box &found)
{
    Box box;
    for (int n = 0; n < maxBoxes && boxAt(file, from, end, box); ++n) {
        if (box.is(type)) {
            found = box;
            return true;
        }
        from = box.end;
    }
    return false;
}

// The brands of an ISO BMFF file type box that are still images (HEIF, AVIF, CR3).
bool isStillBrand(const char *brand)
{
    for (const char *still :
         {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1", "avif", "avis", "crx "}) {
        if (std::memcmp(brand, still, 4) == 0)
            return true;
    }
    return false;
}

// The top-level atoms a QuickTime movie may begin with.
bool isMovieAtom(const char *type)
{
    for (const char *atom : {"moov", "mdat", "wide", "free", "skip", "pnot", "junk", "uuid"}) {
        if (std::memcmp(type, atom, 4) == 0)
            return true;
    }
    return false;
}

// Canon's box of metadata in a CR3 and the box of XMP: the uuid boxes whose content is read.
const char canonUuid[] = "\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48";
const char xmpUuid[] = "\xbe\x7a\xcf\xcb\x97\xa9\x42\xe8\x9c\x71\x99\x94\x91\xe3\xaf\xac";

} // namespace

Kind kindOf(BoundedFile &file)
{
    const QByteArray head = file.read(0, 64);
    if (head.size() < 16)
        return Kind::Other;
    const char *p = head.constData();
    if (head.startsWith("FUJIFILMCCD-RAW "))
        return Kind::Raf;
    if ((head.startsWith("II") && std::memcmp(p + 6, "HEAPCCDR", 8) == 0))
        return Kind::Crw;
    if (std::memcmp(p + 4, "ftyp", 4) == 0) {
        // The major brand, then the compatible ones (the minor version between them is none).
        const qint64 boxEnd = std::min<qint64>(be32(p), head.size());
        for (qint64 at = 8; at + 4 <= boxEnd; at += 4) {
            if (at != 12 && isStillBrand(p + at))
                return Kind::BmffStill;
        }
        return Kind::Movie;
    }
    if (isMovieAtom(p + 4))
        return Kind::Movie;
    if (head.startsWith("RIFF") && std::memcmp(p + 8, "WEBP", 4) != 0)
        return Kind::NotAPhoto; // AVI, WAV
    if (head.startsWith("\x1a\x45\xdf\xa3"))
        return Kind::NotAPhoto; // Matroska, WebM
    if (head.startsWith("\x30\x26\xb2\x75\x8e\x66\xcf\x11"))
        return Kind::NotAPhoto; // ASF, WMV
    return Kind::Other;
}

bool bmffBlindRanges(BoundedFile &file, std::vector<Range> &blind)
{
    const qint64 end = file.size();
    qint64 read = 0; // what the reader will load of the boxes that may hold metadata
    Box box;
    qint64 at = 0;
    for (int n = 0; n < maxBoxes && at < end; ++n) {
        if (!boxAt(file, at, end, box))
            return false;
        at = box.end;
        if (box.is("mdat"))
            continue; // skipped by the reader; items in it are read where the metadata says
        bool metadata = box.is("ftyp") || box.is("meta") || box.is("moov");
        if (box.is("uuid")) {
            const QByteArray id = file.read(box.content, 16);
            if (id.size() < 16)
                return false;
            metadata = std::memcmp(id.constData(), canonUuid, 16) == 0
                || std::memcmp(id.constData(), xmpUuid, 16) == 0;
        }
        if (metadata) {
            read += box.end - box.begin;
            if (read > file.budgetLeft())
                return false;
        } else {
            // The reader still holds the box in memory, blind or not.
            if (box.end - box.begin > maxBlindBox)
                return false;
            blind.push_back({box.is("uuid") ? box.content + 16 : box.content, box.end});
        }
    }
    return at >= end;
}

namespace {

// An identifier as a Live Photo's files carry it: printable ASCII, without the NULs that end
// it; empty for anything else.
QByteArray identifierText(QByteArray text)
{
    while (!text.isEmpty() && text.back() == '\0')
        text.chop(1);
    if (text.size() > maxContentId)
        return {};
    for (const char c : text) {
        if (quint8(c) < 0x20 || quint8(c) > 0x7e)
            return {};
    }
    return text;
}

// The value of the QuickTime key com.apple.quicktime.content.identifier in meta (a movie's
// moov/meta): its 1-based place among the names of the keys box, then the data box of the
// ilst item of that number.
QByteArray quickTimeContentId(BoundedFile &file, const Box &meta)
{
    // QuickTime's meta holds its boxes at once; where it is written as ISO's, a version and
    // flags come first.
    qint64 at = meta.content;
    if (meta.end - at < 8)
        return {};
    const QByteArray first = file.read(at, 8);
    if (first.size() < 8)
        return {};
    if (std::memcmp(first.constData() + 4, "hdlr", 4) != 0)
        at += 4;
    Box box, keys, ilst;
    bool metadataKeys = false, haveKeys = false, haveIlst = false;
    for (int n = 0; n < maxBoxes && boxAt(file, at, meta.end, box); ++n) {
        at = box.end;
        if (box.is("hdlr")) {
            // Version, flags and the predefined field, then the handler type.
            const QByteArray handler
                = box.end - box.content >= 12 ? file.read(box.content, 12) : QByteArray();
            metadataKeys
                = handler.size() == 12 && std::memcmp(handler.constData() + 8, "mdta", 4) == 0;
        } else if (box.is("keys")) {
            keys = box;
            haveKeys = true;
        } else if (box.is("ilst")) {
            ilst = box;
            haveIlst = true;
        }
    }
    if (!metadataKeys || !haveKeys || !haveIlst || keys.end - keys.content > maxKeysBox)
        return {};
    // Version and flags, the number of keys, then each key: its size (with these eight bytes),
    // its namespace and its name.
    const QByteArray names = file.read(keys.content, keys.end - keys.content);
    if (names.size() < 8 || names.size() != keys.end - keys.content)
        return {};
    const char wanted[] = "com.apple.quicktime.content.identifier";
    const quint32 count = be32(names.constData() + 4);
    quint32 index = 0;
    qsizetype p = 8;
    for (quint32 i = 1; i <= count && p + 8 <= names.size(); ++i) {
        const qsizetype size = be32(names.constData() + p);
        if (size < 8 || size > names.size() - p)
            return {};
        if (std::memcmp(names.constData() + p + 4, "mdta", 4) == 0
            && QByteArrayView(names.constData() + p + 8, size - 8) == QByteArrayView(wanted)) {
            index = i;
            break;
        }
        p += size;
    }
    if (index == 0)
        return {};
    // The items of ilst are named by the number of their key.
    at = ilst.content;
    for (int n = 0; n < maxBoxes && boxAt(file, at, ilst.end, box); ++n) {
        at = box.end;
        if (be32(box.type) != index)
            continue;
        Box data;
        if (!findBox(file, box.content, box.end, "data", data))
            return {};
        // Its type (1: UTF-8), its locale, then the text.
        const qint64 length = data.end - data.content;
        if (length < 8 || length > 8 + maxContentId)
            return {};
        const QByteArray value = file.read(data.content, length);
        if (value.size() != length || be32(value.constData()) != 1)
            return {};
        return identifierText(value.mid(8));
    }
    return {};
}

bool creationTimeIn(BoundedFile &file, const Box &mvhd, CaptureTime &result)
{
    const QByteArray box = file.read(mvhd.content, std::min<qint64>(mvhd.end - mvhd.content, 12));
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

} // namespace

bool movieCreationTime(BoundedFile &file, CaptureTime &result, QByteArray *contentId)
{
    Box moov, box;
    if (!findBox(file, 0, file.size(), "moov", moov))
        return false;
    bool found = false, headerSeen = false;
    qint64 at = moov.content;
    for (int n = 0; n < maxBoxes && boxAt(file, at, moov.end, box); ++n) {
        at = box.end;
        if (box.is("mvhd") && !headerSeen) {
            headerSeen = true;
            found = creationTimeIn(file, box, result);
        } else if (box.is("meta") && contentId && contentId->isEmpty()) {
            *contentId = quickTimeContentId(file, box);
        }
        if (headerSeen && (!contentId || !contentId->isEmpty()))
            break;
    }
    return found;
}

QByteArray appleContentId(const QByteArray &makerNote)
{
    // "Apple iOS", a NUL, a version of two bytes and the byte order, then a directory whose
    // offsets count from the start of the maker note.
    constexpr qsizetype directory = 14;
    if (makerNote.size() < directory + 2 || !makerNote.startsWith(QByteArray("Apple iOS\0", 10)))
        return {};
    const char *p = makerNote.constData();
    const bool bigEndian = std::memcmp(p + 12, "MM", 2) == 0;
    if (!bigEndian && std::memcmp(p + 12, "II", 2) != 0)
        return {};
    const auto u16 = [&](qsizetype at) { return bigEndian ? be16(p + at) : le16(p + at); };
    const auto u32 = [&](qsizetype at) { return bigEndian ? be32(p + at) : le32(p + at); };
    const qsizetype count = u16(directory);
    if (count > (makerNote.size() - directory - 2) / 12)
        return {};
    for (qsizetype i = 0; i < count; ++i) {
        const qsizetype entry = directory + 2 + i * 12;
        if (u16(entry) != 0x0011)
            continue;
        const qint64 length = u32(entry + 4);
        if (u16(entry + 2) != 2 || length == 0 || length > maxContentId + 1) // ASCII with its NUL
            return {};
        const qint64 at = length <= 4 ? entry + 8 : qint64(u32(entry + 8));
        if (at > makerNote.size() - length)
            return {};
        return identifierText(makerNote.mid(at, length));
    }
    return {};
}

bool jpegLayout(BoundedFile &file, const Range &jpeg, std::vector<Range> &blind,
                qint64 &metadataEnd)
{
    metadataEnd = jpeg.end - jpeg.begin;
    bool exif = false, xmp = false;
    const QByteArray soi = file.read(jpeg.begin, 2);
    if (soi != QByteArray("\xff\xd8", 2))
        return false;
    qint64 at = jpeg.begin + 2;
    for (int n = 0; n < 4 * maxBoxes && at + 4 <= jpeg.end; ++n) {
        const QByteArray header = file.read(at, 4);
        if (header.size() < 4 || quint8(header[0]) != 0xff)
            return false;
        const quint8 marker = quint8(header[1]);
        if (marker == 0xff) { // fill byte
            ++at;
            continue;
        }
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) { // no length
            at += 2;
            continue;
        }
        if (marker == 0xda || marker == 0xd9)
            return true; // the image data: the reader stops here
        const qint64 length = quint8(header[2]) << 8 | quint8(header[3]);
        if (length < 2 || at + 2 + length > jpeg.end)
            return false;
        const qint64 content = at + 4, end = at + 2 + length;
        bool keep = false;
        if (marker == 0xe1) {
            const QByteArray signature = file.read(content, 29);
            const bool isExif = signature.startsWith(QByteArray("Exif\0", 5));
            const bool isXmp
                = signature.startsWith(QByteArray("http://ns.adobe.com/xap/1.0/\0", 29));
            keep = (isExif && !exif) || (isXmp && !xmp);
            exif = exif || isExif;
            xmp = xmp || isXmp;
        }
        if (!keep && end > content)
            blind.push_back({content - jpeg.begin, end - jpeg.begin});
        at = end;
        if (exif && xmp) {
            metadataEnd = end - jpeg.begin; // nothing after this is read
            return true;
        }
    }
    return true;
}

bool rafJpeg(BoundedFile &file, Range &jpeg)
{
    // "FUJIFILMCCD-RAW ", format version, camera number and name, directory version; at 84
    // the offset and length of the embedded JPEG, big-endian.
    const QByteArray header = file.read(0, 92);
    if (header.size() < 92)
        return false;
    const qint64 offset = be32(header.constData() + 84);
    const qint64 length = be32(header.constData() + 88);
    if (offset < 92 || length < 4 || offset > file.size() || length > file.size() - offset)
        return false;
    jpeg = {offset, offset + length};
    return true;
}

namespace {

// Looks for the time stamp record (0x180e) in the CIFF heap [begin, end), and in the heaps
// within it down to depth.
bool crwTimeIn(BoundedFile &file, qint64 begin, qint64 end, int depth, quint32 &seconds)
{
    if (end - begin < 6)
        return false;
    const QByteArray tail = file.read(end - 4, 4);
    if (tail.size() < 4)
        return false;
    const qint64 directory = begin + le32(tail.constData());
    if (directory < begin || directory + 2 > end - 4)
        return false;
    const QByteArray countBytes = file.read(directory, 2);
    if (countBytes.size() < 2)
        return false;
    const qint64 count = le16(countBytes.constData());
    if (directory + 2 + count * 10 > end - 4 || count > maxBoxes)
        return false;
    const QByteArray entries = file.read(directory + 2, count * 10);
    if (entries.size() < count * 10)
        return false;
    for (qint64 i = 0; i < count; ++i) {
        const char *e = entries.constData() + i * 10;
        const quint16 tag = le16(e);
        const qint64 size = le32(e + 2);
        const qint64 offset = le32(e + 6);
        const bool inHeap = (tag & 0xc000) == 0;
        if (!inHeap || offset > end - begin || size > end - begin - offset)
            continue; // a value inside the entry, or one that does not fit
        if ((tag & 0x3fff) == 0x180e && size >= 4) {
            const QByteArray value = file.read(begin + offset, 4);
            if (value.size() < 4)
                return false;
            seconds = le32(value.constData());
            return true;
        }
        const int type = tag & 0x3800;
        if ((type == 0x2800 || type == 0x3000) && depth > 0
            && crwTimeIn(file, begin + offset, begin + offset + size, depth - 1, seconds))
            return true;
    }
    return false;
}

} // namespace

bool crwTime(BoundedFile &file, CaptureTime &result)
{
    const QByteArray header = file.read(0, 14);
    if (header.size() < 14)
        return false;
    const qint64 heap = le32(header.constData() + 2);
    quint32 seconds = 0;
    if (heap < 14 || heap >= file.size() || !crwTimeIn(file, heap, file.size(), 3, seconds))
        return false;
    // The camera counts the seconds of its own clock as if it stood at UTC.
    const WallClock wall = wallClockAt(seconds);
    qint64 utc;
    if (seconds == 0 || !localClockToUtc(wall, utc))
        return false;
    result = {utc, 0, CaptureSource::Exif};
    return true;
}

} // namespace containers
