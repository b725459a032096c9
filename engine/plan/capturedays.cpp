// SPDX-License-Identifier: GPL-3.0-or-later
#include "capturedays.h"

#include "capturetimetext.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

qint64 floorDiv(qint64 a, qint64 b)
{
    const qint64 q = a / b;
    return q * b > a ? q - 1 : q;
}

// The recorded offsets of zoneSources by their instant, to find the nearest one quickly.
struct Offsets
{
    std::vector<std::pair<qint64, qint32>> byTime;

    explicit Offsets(const std::vector<CaptureTime> &zoneSources)
    {
        for (const CaptureTime &t : zoneSources) {
            if (t.hasUtcOffset)
                byTime.emplace_back(t.seconds, t.utcOffsetSeconds);
        }
        std::sort(byTime.begin(), byTime.end());
    }

    // The offset recorded nearest to utc (the earlier of two as near); false without any.
    bool nearest(qint64 utc, qint32 &offset) const
    {
        if (byTime.empty())
            return false;
        auto it = std::lower_bound(byTime.begin(), byTime.end(),
                                   std::make_pair(utc, std::numeric_limits<qint32>::min()));
        if (it == byTime.end()
            || (it != byTime.begin() && utc - (it - 1)->first <= it->first - utc))
            --it;
        offset = it->second;
        return true;
    }
};

} // namespace

std::vector<qint64> captureDays(const std::vector<CaptureTime> &times,
                                const std::vector<CaptureTime> &zoneSources, int dayStartHour)
{
    const Offsets offsets(zoneSources);
    std::vector<qint64> days;
    days.reserve(times.size());
    for (const CaptureTime &t : times) {
        qint32 offset = 0;
        if (t.hasUtcOffset)
            offset = t.utcOffsetSeconds;
        else if (t.source != CaptureSource::Video || !offsets.nearest(t.seconds, offset))
            offset = machineUtcOffset(t.seconds);
        days.push_back(floorDiv(t.seconds + offset - qint64(dayStartHour) * 3600, 86400));
    }
    return days;
}

QByteArray dayText(qint64 day)
{
    const WallClock clock = wallClockAt(day * 86400);
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", clock.year, clock.month, clock.day);
    return QByteArray(text);
}

int dayStartHourOf(const QString &text)
{
    bool ok = false;
    const int hour = text.trimmed().toInt(&ok);
    return ok && hour >= 0 && hour <= 23 ? hour : 0;
}
