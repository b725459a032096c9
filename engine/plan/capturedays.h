// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capturetime.h"

#include <QByteArray>
#include <QString>

#include <vector>

// The day each of times was taken on, as the clock where it was taken showed it, in days since
// 1970-01-01; a time before dayStartHour (0-23) on that clock belongs to the day before, so that
// a night from 22:00 to 02:30 with 4 is one day, the evening's.
// The clock is found in this order: the offset the file recorded with its time; for a movie's
// header, which holds UTC alone, the offset of the nearest time (in UTC) among zoneSources that
// has one; else this machine's zone, in which a time without an offset was read and a file's
// modification time is shown.
std::vector<qint64> captureDays(const std::vector<CaptureTime> &times,
                                const std::vector<CaptureTime> &zoneSources, int dayStartHour);

// "2024-07-01" of day (days since 1970-01-01).
QByteArray dayText(qint64 day);

// The hour a typed day start stands for: 0 to 23, 0 for any other text.
int dayStartHourOf(const QString &text);
