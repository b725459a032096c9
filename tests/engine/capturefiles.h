// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Camera and phone files made from nothing for tests and benchmarks: a JPEG with EXIF and XMP
// segments, a TIFF-based RAW, an XMP sidecar, an MP4 or MOV with a movie header, each followed
// by as much payload as asked for.

#include <QByteArray>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <string>

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

// A HEIC (ISO BMFF, brand heic) whose one item is its EXIF, at the start of the media data and
// followed by payload: the layout of a phone's photo, without the picture.
inline QByteArray heic(const QByteArray &tiffData, qsizetype payload)
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
    const qsizetype itemOffset = ftyp.size() + meta(0).size() + 8;
    return ftyp + meta(quint32(itemOffset)) + box("mdat", item + QByteArray(payload, '\x44'));
}

constexpr quint64 secondsFrom1904To1970 = 2082844800;

} // namespace capturefiles
