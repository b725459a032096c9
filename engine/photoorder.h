// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capturetime.h"

#include <QByteArray>

#include <vector>

// The order in which the selected files of a run take their numbers, and which of them share
// one number as one shot (a RAW, its JPEG and their XMP sidecars).
struct PhotoOrder
{
    struct Entry
    {
        int file; // index into the selected names
        int shot; // 0-based: the shot's place in the numbering, so its number is start + shot
        // Where not empty, the extension this file keeps instead of the text after its last
        // dot: "CR2.xmp" for the sidecar IMG_0042.CR2.xmp of a shot.
        QByteArray extension;
    };
    std::vector<Entry> entries; // every selected file once, in the order the numbers go
    int shotCount = 0; // what the digit count, the CD check and the number limit count
    int withoutCaptureTime = 0; // selected files whose time is their modification time
    // Listed files that are not selected but belong to a shot of selected ones: they keep
    // their names, so that shot is split.
    std::vector<int> unselectedOfShots; // indices into the listed names, ascending
};

// The parts of a file name that make it one of a shot: the stem, compared without regard to
// case, and the extension after it. IMG_0042.CR2.xmp is stem IMG_0042 with extension CR2.xmp;
// every other name splits at its last dot (no dot: all stem).
struct ShotName
{
    QByteArray stem;
    QByteArray key; // the stem, case-folded
    QByteArray extension; // without its leading dot
    bool doubleExtension = false; // <stem>.<ext>.xmp
};
ShotName shotName(const QByteArray &name);

// The order of a run's numbers over the selected names (in list order) and their capture times
// (one each; only read when byCaptureTime is on). listed are all names of the file list, to
// find the unselected files of a shot.
//
// byCaptureTime: shots are ordered by capture time in UTC; equal times by the sub-second, then
// by the counter in the name (the trailing digits of the stem, where a counter near the top of
// its range followed by one near the bottom within the same time counts as a wrap), then by
// list order. Files without a capture time (FileDate) keep list order among themselves and are
// merged in at their modification time: a dated shot goes first unless the next undated one
// is earlier than it.
// groups: names equal up to their extension (without regard to case) form one shot with one
// number; its time is the earliest EXIF time among its files (else the earliest of its best
// source). Within a shot files keep list order.
// With both off, every file is its own shot in list order: the run as it always was.
PhotoOrder orderPhotos(const std::vector<QByteArray> &selected,
                       const std::vector<CaptureTime> &times, bool byCaptureTime, bool groups,
                       const std::vector<QByteArray> &listed = {});
