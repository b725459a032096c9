// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capturetime.h"

#include <string>

// The date and time texts of photo and movie metadata, turned into instants.

// A date and time on a clock, without a zone.
struct WallClock
{
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// Seconds since 1970-01-01 00:00 of clock read as UTC; false for a date or time that does not
// exist (2024-02-30, 24:00) or lies before 1800 or after 9999.
bool wallClockSeconds(const WallClock &clock, qint64 &seconds);

// The clock that seconds since 1970-01-01 00:00 show when read as UTC.
WallClock wallClockAt(qint64 seconds);

// This machine's offset east of UTC at the instant utc (TZ as the C library reads it).
int machineUtcOffset(qint64 utc);

// The instant at which this machine's local time showed clock. In the hour that a change to
// daylight saving time skips, the offset in force before the change counts; in the hour that
// repeats when it ends, the first of the two.
bool localClockToUtc(const WallClock &clock, qint64 &utc);

// An offset east of UTC ("+02:00", "-0530", "Z") at text[pos], after blanks. Offsets beyond
// +-14:00 exist on no clock and count as none.
bool parseUtcOffset(const std::string &text, size_t pos, int &seconds);

// EXIF's "YYYY:MM:DD HH:MM:SS" with the texts of its sub-second and offset tags (either may be
// empty). Without an offset the time is this machine's local time.
bool parseExifTime(const std::string &text, const std::string &subSeconds,
                   const std::string &offsetText, CaptureTime &result);

// XMP's ISO 8601 "YYYY-MM-DDTHH:MM:SS.fff+hh:mm"; the time, its seconds, fraction and offset may
// each be missing. A date alone is local midnight and is marked dateOnly.
bool parseXmpTime(const std::string &text, CaptureTime &result);
