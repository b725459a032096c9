// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "boundedfile.h"
#include "capturetime.h"

#include <vector>

// The containers of camera files that are read here by hand rather than by Exiv2: the boxes of
// ISO BMFF and QuickTime files, the header of a Fuji RAF and the heap of a Canon CRW. Every
// size they declare is checked against the bytes the file has before it is used; every read
// goes through the file's limits.
namespace containers {

// What a file's first bytes make it.
enum class Kind {
    Other, // left to Exiv2's choice of still-image readers
    BmffStill, // ISO BMFF with a still-image brand: HEIC, HEIF, AVIF, CR3
    Movie, // ISO BMFF or QuickTime movie: MP4, MOV, 3GP
    Raf, // Fuji RAF
    Crw, // Canon CRW (CIFF)
    NotAPhoto, // a container of movies or sound that has no capture time here (AVI, MKV, ASF)
};
Kind kindOf(BoundedFile &file);

using Range = ByteRange;

// For an ISO BMFF still: the ranges of its top-level boxes besides the media data that hold no
// metadata (previews, free space), which the reader loads whole but need not read; false when
// the boxes do not fit the file, a box that may hold metadata is larger than what may be read
// of it, or another box larger than is sensible to hold in memory.
bool bmffBlindRanges(BoundedFile &file, std::vector<Range> &blind);

// The creation time in a movie's header (moov/mvhd), in UTC; false where it has none. In the
// same walk, where contentId is given: the value of the QuickTime key
// com.apple.quicktime.content.identifier (moov/meta), left empty where there is none.
bool movieCreationTime(BoundedFile &file, CaptureTime &result, QByteArray *contentId = nullptr);

// The content identifier in an Apple maker note (tag 0x0011 of its directory, an ASCII UUID),
// from the maker note's bytes as Exiv2 hands them over; empty where there is none or it does
// not fit the bytes.
QByteArray appleContentId(const QByteArray &makerNote);

// For a JPEG in jpeg: the ranges, relative to its start, of the segments before its image data
// that hold neither its EXIF nor its XMP (colour profiles, extended XMP, previews), which a
// reader need not load, and where a reader may stop: after the EXIF and XMP segments where it
// has both, else at the end. False where no JPEG begins at jpeg.begin or its segments do not
// fit.
bool jpegLayout(BoundedFile &file, const Range &jpeg, std::vector<Range> &blind,
                qint64 &metadataEnd);

// Where a RAF keeps the JPEG that carries its EXIF.
bool rafJpeg(BoundedFile &file, Range &jpeg);

// The time stamp of a CRW: the camera's clock, without a zone.
bool crwTime(BoundedFile &file, CaptureTime &result);

} // namespace containers
