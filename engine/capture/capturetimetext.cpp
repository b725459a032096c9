// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturetimetext.h"

#include <algorithm>
#include <ctime>

namespace {

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
qint32 fractionNanoseconds(const std::string &text, size_t pos)
{
    qint32 nanos = 0;
    int places = 0;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (places < 9) {
            nanos = nanos * 10 + (text[pos] - '0');
            ++places;
        }
    }
    if (places == 0)
        return 0;
    for (; places < 9; ++places)
        nanos *= 10;
    return nanos;
}

// Days from 1970-01-01 to year-month-day of the proleptic Gregorian calendar.
qint64 daysFromCivil(qint64 y, int m, int d)
{
    y -= m <= 2;
    const qint64 era = (y >= 0 ? y : y - 399) / 400;
    const qint64 yoe = y - era * 400;
    const qint64 doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool isLeap(int y)
{
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

bool toUtc(const WallClock &clock, bool hasOffset, int offset, qint64 &utc)
{
    qint64 seconds;
    if (!wallClockSeconds(clock, seconds))
        return false;
    if (hasOffset) {
        utc = seconds - offset;
        return true;
    }
    return localClockToUtc(clock, utc);
}

} // namespace

int machineUtcOffset(qint64 utc)
{
    const time_t t = time_t(utc);
    struct tm parts = {};
    if (!localtime_r(&t, &parts))
        return 0;
    return int(parts.tm_gmtoff);
}

bool wallClockSeconds(const WallClock &c, qint64 &seconds)
{
    static const int daysIn[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (c.year < 1800 || c.year > 9999 || c.month < 1 || c.month > 12 || c.day < 1
        || c.day > daysIn[c.month - 1] + (c.month == 2 && isLeap(c.year)) || c.hour < 0
        || c.hour > 23 || c.minute < 0 || c.minute > 59 || c.second < 0 || c.second > 59)
        return false;
    seconds
        = daysFromCivil(c.year, c.month, c.day) * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
    return true;
}

WallClock wallClockAt(qint64 seconds)
{
    qint64 days = seconds / 86400, inDay = seconds % 86400;
    if (inDay < 0) {
        inDay += 86400;
        --days;
    }
    const qint64 z = days + 719468;
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    WallClock c;
    c.day = int(doy - (153 * mp + 2) / 5 + 1);
    c.month = int(mp < 10 ? mp + 3 : mp - 9);
    c.year = int(yoe + era * 400 + (c.month <= 2));
    c.hour = int(inDay / 3600);
    c.minute = int(inDay / 60 % 60);
    c.second = int(inDay % 60);
    return c;
}

bool localClockToUtc(const WallClock &clock, qint64 &utc)
{
    qint64 naive;
    if (!wallClockSeconds(clock, naive))
        return false;
    // The offsets a day before and a day after bracket any change near this time (no zone
    // changes twice within two days). Each gives a candidate instant; a candidate is right
    // when the clock at that instant shows the time asked for.
    const int before = machineUtcOffset(naive - 86400);
    const int after = machineUtcOffset(naive + 86400);
    const qint64 early = naive - std::max(before, after);
    const qint64 late = naive - std::min(before, after);
    const bool earlyFits = early + machineUtcOffset(early) == naive;
    const bool lateFits = late + machineUtcOffset(late) == naive;
    if (earlyFits)
        utc = early; // also the first of a repeated hour
    else if (lateFits)
        utc = late;
    else
        utc = naive - before; // skipped: the clock as it ran before the change
    return true;
}

bool parseUtcOffset(const std::string &text, size_t pos, int &seconds)
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
    if (!digitsAt(text, m, 2, minutes) || minutes > 59 || hours * 60 + minutes > 14 * 60)
        return false;
    seconds = sign * (hours * 3600 + minutes * 60);
    return true;
}

bool parseExifTime(const std::string &text, const std::string &subSeconds,
                   const std::string &offsetText, CaptureTime &result)
{
    WallClock c;
    if (!digitsAt(text, 0, 4, c.year) || !digitsAt(text, 5, 2, c.month)
        || !digitsAt(text, 8, 2, c.day) || !digitsAt(text, 11, 2, c.hour)
        || !digitsAt(text, 14, 2, c.minute) || !digitsAt(text, 17, 2, c.second))
        return false;
    int offset = 0;
    const bool hasOffset = parseUtcOffset(offsetText, 0, offset);
    qint64 utc;
    if (!toUtc(c, hasOffset, offset, utc))
        return false;
    size_t start = 0;
    while (start < subSeconds.size() && subSeconds[start] == ' ')
        ++start;
    result = {utc, fractionNanoseconds(subSeconds, start), CaptureSource::Exif};
    result.utcOffsetSeconds = hasOffset ? offset : 0;
    result.hasUtcOffset = hasOffset;
    return true;
}

bool parseXmpTime(const std::string &text, CaptureTime &result)
{
    WallClock c;
    c.month = c.day = 1;
    if (!digitsAt(text, 0, 4, c.year))
        return false;
    size_t pos = 4;
    if (pos < text.size() && text[pos] == '-') {
        if (!digitsAt(text, 5, 2, c.month))
            return false;
        pos = 7;
        if (pos < text.size() && text[pos] == '-') {
            if (!digitsAt(text, 8, 2, c.day))
                return false;
            pos = 10;
        }
    }
    qint32 nanos = 0;
    const bool dateOnly = pos >= text.size() || text[pos] != 'T';
    if (!dateOnly) {
        if (!digitsAt(text, pos + 1, 2, c.hour) || pos + 3 >= text.size() || text[pos + 3] != ':'
            || !digitsAt(text, pos + 4, 2, c.minute))
            return false;
        pos += 6;
        if (pos < text.size() && text[pos] == ':') {
            if (!digitsAt(text, pos + 1, 2, c.second))
                return false;
            pos += 3;
            if (pos < text.size() && (text[pos] == '.' || text[pos] == ',')) {
                nanos = fractionNanoseconds(text, pos + 1);
                ++pos;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9')
                    ++pos;
            }
        }
    }
    int offset = 0;
    const bool hasOffset = !dateOnly && parseUtcOffset(text, pos, offset);
    qint64 utc;
    if (!toUtc(c, hasOffset, offset, utc))
        return false;
    result = {utc, nanos, CaptureSource::Xmp, dateOnly};
    result.utcOffsetSeconds = hasOffset ? offset : 0;
    result.hasUtcOffset = hasOffset;
    return true;
}
