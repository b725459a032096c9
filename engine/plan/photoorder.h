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
        // With groups: a selected file of the same stem that is another Live Photo (their
        // content identifiers differ), so not of this file's shot; -1 for none.
        int differentLivePhoto = -1;
    };
    // A listed file that is not selected but belongs to a shot of selected ones: it keeps its
    // name, so that shot is split.
    struct Unselected
    {
        int listed; // index into the listed names
        int shot;
    };
    std::vector<Entry> entries; // every selected file once, in the order the numbers go
    int shotCount = 0; // what the digit count, the CD check and the number limit count
    // The time each shot is numbered by (by shot), with byCaptureTime.
    std::vector<CaptureTime> shotTimes;
    int withoutCaptureTime = 0; // shots whose time is their modification time
    std::vector<Unselected> unselectedOfShots; // in list order
};

// The order of a run's numbers over the selected names (in list order) and their capture times
// (one each; only read when byCaptureTime is on). listed are all names of the file list, to
// find the unselected files of a shot and the files that sidecars are named after.
//
// byCaptureTime: every shot has one time: the earliest of its best source (EXIF, then XMP,
// then a movie's header, then the modification time). Shots are ordered by that time in UTC
// with its sub-second; at exactly the same time a shot with a capture time goes before one
// without, then by the counter in the name (the trailing digits of the stem, where a counter
// near the top of its range followed by one near the bottom counts as a wrap), then by list
// order.
// groups: a shot is the selected files whose names without their last extension are equal
// without regard to case (IMG_0042.CR2, IMG_0042.JPG, IMG_0042.xmp), together with the XMP
// sidecars named after a whole listed name (IMG_0042.CR2.xmp); a name without a stem (a
// dot-file) is a shot of its own. Within a shot files keep list order. Where times are given,
// their content identifiers make Live Photos: a still (HEIC, JPEG) and a movie (MOV) of one
// identifier are one shot whatever their names (each still with one movie, in list order, so
// that copies stay apart), and files of one stem whose identifiers differ are not (the files
// without one go with the first still that has one); the shot's time is then its still's.
// Unselected files join shots by their names only: they are not read.
// With both off, every file is its own shot in list order: the run as it always was.
PhotoOrder orderPhotos(const std::vector<QByteArray> &selected,
                       const std::vector<CaptureTime> &times, bool byCaptureTime, bool groups,
                       const std::vector<QByteArray> &listed = {});
