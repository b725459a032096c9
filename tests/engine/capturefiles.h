// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Camera and phone files made from nothing for tests and benchmarks: a JPEG with EXIF and XMP
// segments, a TIFF-based RAW, an XMP sidecar, an MP4 or MOV with a movie header, a HEIC, a
// Canon CR3 and CRW, a Fuji RAF, and the movie containers that have no capture time here, each
// laid out as its format documents it and followed by as much payload as asked for.

#include <QByteArray>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace capturefiles {

// EXIF with the three tags of the capture time; an empty text leaves its tag out.
inline Exiv2::ExifData exif(const char *dateTime, const char *subSeconds = "",
                            const char *offset = "")
{
    Exiv2::ExifData data;
    data["Exif.Image.Make"] = "Testkamera";
    if (*dateTime)
        data["Exif.Photo.DateTimeOriginal"] = dateTime;
    if (*subSeconds)
        data["Exif.Photo.SubSecTimeOriginal"] = subSeconds;
    if (*offset)
        data["Exif.Photo.OffsetTimeOriginal"] = offset;
    return data;
}

// A TIFF structure holding data: the whole of a minimal TIFF-based RAW (CR2, NEF, ARW, DNG).
inline QByteArray tiff(const Exiv2::ExifData &data)
{
    Exiv2::Blob blob;
    Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, data);
    return QByteArray(reinterpret_cast<const char *>(blob.data()), qsizetype(blob.size()));
}

// An XMP packet with one property, such as Xmp.exif.DateTimeOriginal.
inline QByteArray xmpPacket(const char *key, const char *value)
{
    Exiv2::XmpData data;
    data[key] = value;
    std::string packet;
    Exiv2::XmpParser::encode(packet, data);
    return QByteArray::fromStdString(packet);
}

inline QByteArray segment(char marker, const QByteArray &content)
{
    const qsizetype length = content.size() + 2;
    return QByteArray("\xff") + marker + char(length >> 8) + char(length & 0xff) + content;
}

// A JPEG: SOI, the EXIF and XMP segments where given, a start of scan and the payload.
inline QByteArray jpeg(const QByteArray &tiffData, const QByteArray &xmp = QByteArray(),
                       qsizetype payload = 0)
{
    QByteArray file("\xff\xd8", 2);
    if (!tiffData.isEmpty())
        file += segment('\xe1', QByteArray("Exif\0\0", 6) + tiffData);
    if (!xmp.isEmpty())
        file += segment('\xe1', QByteArray("http://ns.adobe.com/xap/1.0/\0", 29) + xmp);
    file += segment('\xda', QByteArray("\x01\x01\x00\x00\x3f\x00", 6));
    file += QByteArray(payload, '\x5a');
    file += QByteArray("\xff\xd9", 2);
    return file;
}

inline QByteArray box(const char *type, const QByteArray &content)
{
    const quint32 size = quint32(content.size() + 8);
    QByteArray b;
    for (int shift = 24; shift >= 0; shift -= 8)
        b += char((size >> shift) & 0xff);
    return b + QByteArray(type, 4) + content;
}

inline QByteArray bigEndian(quint64 value, int bytes)
{
    QByteArray b;
    for (int i = bytes - 1; i >= 0; --i)
        b += char((value >> (8 * i)) & 0xff);
    return b;
}

// An MP4 (brand isom) or MOV (brand qt) whose movie header says created seconds after
// 1904-01-01 UTC, as a version 0 or 1 box; a phone writes the media data before the movie box.
inline QByteArray movie(quint64 created, int version, bool mediaFirst, qsizetype payload,
                        const char *brand = "isom")
{
    const QByteArray ftyp
        = box("ftyp", QByteArray(brand, 4) + bigEndian(0, 4) + QByteArray(brand, 4));
    const int width = version == 1 ? 8 : 4;
    QByteArray mvhd = bigEndian(quint64(version) << 24, 4) + bigEndian(created, width)
        + bigEndian(created, width) + bigEndian(600, 4) + bigEndian(0, width);
    mvhd += QByteArray(80, '\0');
    const QByteArray moov = box("moov", box("mvhd", mvhd) + box("trak", QByteArray(32, '\0')));
    const QByteArray mdat = box("mdat", QByteArray(payload, '\x33'));
    return mediaFirst ? ftyp + mdat + moov : ftyp + moov + mdat;
}

// The QuickTime keys of a phone's movie (moov/meta): a handler of metadata keys, the keys box
// naming each key, and the ilst whose items, numbered by key from 1, hold their UTF-8 values.
// isoMeta writes meta with a version and flags, as some converters do.
inline QByteArray quickTimeKeys(const std::vector<std::pair<QByteArray, QByteArray>> &values,
                                bool isoMeta = false)
{
    const QByteArray fullBox(4, '\0');
    const QByteArray hdlr
        = box("hdlr", fullBox + QByteArray(4, '\0') + "mdta" + QByteArray(13, '\0'));
    QByteArray keys = fullBox + bigEndian(values.size(), 4), ilst;
    quint32 index = 0;
    for (const auto &[key, value] : values) {
        keys += bigEndian(quint64(key.size() + 8), 4) + "mdta" + key;
        ilst += box(bigEndian(++index, 4).constData(),
                    box("data", bigEndian(1, 4) + bigEndian(0, 4) + value));
    }
    return box("meta",
               (isoMeta ? fullBox : QByteArray()) + hdlr + box("keys", keys) + box("ilst", ilst));
}

// A MOV of a Live Photo as a phone writes it: its movie box holds the header, a track and the
// QuickTime keys with the content identifier among others.
inline QByteArray liveMovie(quint64 created, const QByteArray &contentId, qsizetype payload,
                            bool isoMeta = false)
{
    QByteArray file = movie(created, 0, true, payload, "qt  ");
    const qsizetype moov = file.indexOf("moov") - 4;
    const QByteArray meta = quickTimeKeys({{"com.apple.quicktime.make", "Apple"},
                                           {"com.apple.quicktime.content.identifier", contentId},
                                           {"com.apple.quicktime.software", "17.5"}},
                                          isoMeta);
    file += meta;
    const QByteArray size = bigEndian(quint64(file.size() - moov), 4);
    return file.replace(moov, 4, size);
}

// Apple's maker note holding a content identifier (tag 0x0011) among other tags: its header,
// the byte order, a directory whose offsets count from the maker note's start, then the values.
inline QByteArray appleMakerNote(const QByteArray &contentId)
{
    QByteArray note = QByteArray("Apple iOS\0\0\x01MM", 14);
    const QByteArray value = contentId + '\0';
    const qsizetype values = note.size() + 2 + 2 * 12 + 4;
    note += bigEndian(2, 2);
    note += bigEndian(0x0001, 2) + bigEndian(9, 2) + bigEndian(1, 4) + bigEndian(14, 4);
    note += bigEndian(0x0011, 2) + bigEndian(2, 2) + bigEndian(quint64(value.size()), 4)
        + bigEndian(quint64(values), 4);
    return note + bigEndian(0, 4) + value;
}

// EXIF of a phone's still: the capture time and Apple's maker note, which Exiv2 writes as the
// bytes it is given.
inline Exiv2::ExifData phoneExif(const char *dateTime, const char *offset,
                                 const QByteArray &makerNote)
{
    Exiv2::ExifData data = exif(dateTime, "", offset);
    data["Exif.Image.Make"] = "Apple";
    const Exiv2::DataValue note(reinterpret_cast<const Exiv2::byte *>(makerNote.constData()),
                                long(makerNote.size()), Exiv2::invalidByteOrder, Exiv2::undefined);
    data.add(Exiv2::ExifKey("Exif.Photo.MakerNote"), &note);
    return data;
}

// A HEIC (ISO BMFF, brand heic) whose one item is its EXIF, in the media data before or after
// payload (the picture): the layout of a phone's photo, or of one written by libheif.
inline QByteArray heic(const QByteArray &tiffData, qsizetype payload, bool exifLast = false)
{
    const QByteArray ftyp = box("ftyp", QByteArray("heic\0\0\0\0mif1heic", 16));
    const QByteArray fullBox(4, '\0'); // version 0, no flags
    const QByteArray hdlr
        = box("hdlr", fullBox + QByteArray(4, '\0') + "pict" + QByteArray(13, '\0'));
    const QByteArray infe
        = box("infe", bigEndian(2u << 24, 4) + bigEndian(1, 2) + bigEndian(0, 2) + "Exif" + '\0');
    const QByteArray iinf = box("iinf", fullBox + bigEndian(1, 2) + infe);
    const QByteArray item = bigEndian(6, 4) + QByteArray("Exif\0\0", 6) + tiffData;
    const auto meta = [&](quint32 itemOffset) {
        const QByteArray iloc = box(
            "iloc",
            fullBox + "\x44" + '\0' + bigEndian(1, 2) + bigEndian(1, 2) + bigEndian(0, 2)
                + bigEndian(1, 2) + bigEndian(itemOffset, 4) + bigEndian(quint64(item.size()), 4));
        return box("meta", fullBox + hdlr + iinf + iloc);
    };
    const QByteArray picture(payload, '\x44');
    const qsizetype itemOffset = ftyp.size() + meta(0).size() + 8 + (exifLast ? payload : 0);
    return ftyp + meta(quint32(itemOffset))
        + box("mdat", exifLast ? picture + item : item + picture);
}

// A Canon CR3: Canon's metadata box in the movie box (its first TIFF directory and its EXIF
// directory as boxes of their own), a preview of previewSize in a box of its own, then the raw
// data. exifDirectory is a TIFF whose first directory holds the EXIF tags.
inline QByteArray cr3(const QByteArray &firstDirectory, const QByteArray &exifDirectory,
                      qsizetype previewSize, qsizetype rawSize)
{
    const QByteArray ftyp = box("ftyp", QByteArray("crx \0\0\0\1crx isom", 16));
    const QByteArray canon("\x85\xc0\xb6\x87\x82\x0f\x11\xe0\x81\x11\xf4\xce\x46\x2b\x6a\x48", 16);
    const QByteArray preview("\xea\xf4\x2b\x5e\x1c\x98\x4b\x88\xb9\xfb\xb7\xdc\x40\x6e\x4d\x16",
                             16);
    const QByteArray metadata = box("CNCV", "CanonCR3_001/00.09.00/00.00.00")
        + box("CMT1", firstDirectory) + box("CMT2", exifDirectory)
        + box("THMB", QByteArray(16 * 1024, '\x11'));
    const QByteArray moov = box("moov",
                                box("uuid", canon + metadata) + box("mvhd", QByteArray(100, '\0'))
                                    + box("trak", QByteArray(2048, '\0')));
    const QByteArray prvw
        = box("uuid", preview + QByteArray(8, '\0') + box("PRVW", QByteArray(previewSize, '\x22')));
    return ftyp + moov + prvw + box("mdat", QByteArray(rawSize, '\x33'));
}

// A TIFF whose first directory holds EXIF's capture time tags, as in a CR3's EXIF box.
inline QByteArray exifDirectory(const char *dateTime, const char *offset)
{
    Exiv2::ExifData data;
    const Exiv2::AsciiValue time(dateTime), zone(offset);
    data.add(Exiv2::ExifKey("Exif.Image.DateTimeOriginal"), &time);
    data.add(Exiv2::ExifKey("Exif.Image.0x9011"), &zone);
    return tiff(data);
}

inline QByteArray littleEndian(quint64 value, int bytes)
{
    QByteArray b;
    for (int i = 0; i < bytes; ++i)
        b += char((value >> (8 * i)) & 0xff);
    return b;
}

// A Fuji RAF: its header, the JPEG that carries the EXIF, and rawSize bytes of raw data.
inline QByteArray raf(const QByteArray &jpegData, qsizetype rawSize)
{
    QByteArray header = QByteArray("FUJIFILMCCD-RAW 0201FF383501")
        + QByteArray("X-T5").leftJustified(32, '\0') + QByteArray("0100");
    header = header.leftJustified(84, '\0');
    const qsizetype jpegOffset = 160;
    header += bigEndian(quint64(jpegOffset), 4) + bigEndian(quint64(jpegData.size()), 4);
    header += bigEndian(quint64(jpegOffset + jpegData.size()), 4) + bigEndian(0, 4)
        + bigEndian(quint64(jpegOffset + jpegData.size()), 4) + bigEndian(quint64(rawSize), 4);
    return header.leftJustified(jpegOffset, '\0') + jpegData + QByteArray(rawSize, '\x55');
}

// A Canon CRW (CIFF): its header, the raw data, and the image properties heap holding the time
// stamp: clock seconds since 1970 as the camera's clock showed them, in no zone.
inline QByteArray crw(quint32 clockSeconds, qsizetype rawSize)
{
    const auto heap = [](const QByteArray &data, quint16 tag) {
        // one entry for data, at the start of the heap; the directory after it
        return data + littleEndian(1, 2) + littleEndian(tag, 2)
            + littleEndian(quint64(data.size()), 4) + littleEndian(0, 4)
            + littleEndian(quint64(data.size()), 4);
    };
    const QByteArray properties
        = heap(littleEndian(clockSeconds, 4) + littleEndian(0, 4) + littleEndian(0, 4), 0x180e);
    const QByteArray raw(rawSize, '\x66');
    const QByteArray root = raw + properties + littleEndian(1, 2) + littleEndian(0x300a, 2)
        + littleEndian(quint64(properties.size()), 4) + littleEndian(quint64(raw.size()), 4)
        + littleEndian(quint64(raw.size() + properties.size()), 4);
    return QByteArray("II") + littleEndian(26, 4) + "HEAPCCDR" + littleEndian(0x00010002, 4)
        + QByteArray(8, '\0') + root;
}

// A JPEG whose EXIF is followed by the main XMP packet and extendedSize bytes of extended XMP
// in segments of its own, as a raw converter writes one.
inline QByteArray jpegWithExtendedXmp(const QByteArray &tiffData, qsizetype extendedSize)
{
    QByteArray file("\xff\xd8", 2);
    file += segment('\xe1', QByteArray("Exif\0\0", 6) + tiffData);
    file += segment('\xe1',
                    QByteArray("http://ns.adobe.com/xap/1.0/\0", 29)
                        + xmpPacket("Xmp.xmp.CreatorTool", "Rohentwickler"));
    constexpr qsizetype chunk = 65000;
    for (qsizetype at = 0; at < extendedSize; at += chunk) {
        const qsizetype n = std::min(chunk, extendedSize - at);
        file += segment('\xe1',
                        QByteArray("http://ns.adobe.com/xmp/extension/\0", 35)
                            + "0123456789ABCDEF0123456789ABCDEF"
                            + bigEndian(quint64(extendedSize), 4) + bigEndian(quint64(at), 4)
                            + QByteArray(n, 'x'));
    }
    file += segment('\xda', QByteArray("\x01\x01\x00\x00\x3f\x00", 6));
    return file + QByteArray("\xff\xd9", 2);
}

// An AVI of a camera: RIFF header, header list and payload of movie data.
inline QByteArray avi(qsizetype payload)
{
    const QByteArray list = QByteArray("LIST") + littleEndian(68, 4) + "hdrlavih"
        + littleEndian(56, 4) + QByteArray(56, '\0');
    const QByteArray movi = QByteArray("LIST") + littleEndian(quint64(payload + 4), 4) + "movi"
        + QByteArray(payload, '\x77');
    return QByteArray("RIFF") + littleEndian(quint64(4 + list.size() + movi.size()), 4) + "AVI "
        + list + movi;
}

constexpr quint64 secondsFrom1904To1970 = 2082844800;

} // namespace capturefiles
