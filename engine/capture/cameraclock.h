// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capturetime.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>
#include <string>
#include <vector>

// The clocks of camera bodies: which body took a file, how far its clock was off, and the
// capture times corrected by that. A correction changes only the times the program uses; no
// file is written.

// The key of a camera body: make, model and serial number, each trimmed, without control
// characters and cut to 64 bytes, joined by "|" ("Canon|Canon EOS R5|012345"); a camera
// without a serial number is known by make and model alone ("Apple|iPhone 15|"). Empty when
// neither make nor model is known.
QByteArray cameraKey(const std::string &make, const std::string &model, const std::string &serial);

// "Canon EOS R5, Seriennummer 012345": the model with its make where the model does not name
// it already, and the serial number where there is one.
QString cameraDisplayName(const QByteArray &key);

// How far each body's clock was off: the seconds to add to its capture times, by body key.
using ClockOffsets = QHash<QByteArray, qint64>;

// The largest offset accepted: 99,999 days (about 273 years) and a day less a second.
constexpr qint64 maxClockOffset = 99999 * 86400LL + 86399;

// The seconds that offsets add to time: 0 for a time that is only a file's date (the camera's
// clock did not make it) or of a body without an offset.
qint64 clockCorrection(const CaptureTime &time, const ClockOffsets &offsets);
// time with its correction added.
CaptureTime correctedTime(CaptureTime time, const ClockOffsets &offsets);

// The field form "+T HH:MM:SS" of an offset: sign, days, hours, minutes, seconds
// ("+0 01:02:10", "-400 00:00:05").
QString formatClockOffset(qint64 seconds);
// An offset in the field form; the days, the sign (then "+") and the seconds (then 0) may be
// left out, "+1:02:10" is 1 h 2 min 10 s, "-3 4:05" minus 3 days 4 h 5 min. Hours up to 23,
// minutes and seconds up to 59, at most maxClockOffset. nullopt for anything else.
std::optional<qint64> parseClockOffset(const QString &text);
// The short form of the preview: "+1:02:10", with days "+400 01:02:10".
QString clockOffsetMark(qint64 seconds);

// The capture time to the whole second, as a clock photo is compared with the clock it shows.
qint64 wholeSeconds(const CaptureTime &time);
// The offset that makes photo, a picture of a clock, show the time the clock showed (shown,
// seconds since 1970 as photo's are): shown - captured, to the nearest second.
qint64 offsetFromClockPhoto(const CaptureTime &photo, qint64 shown);
// The offset that makes mine equal to other, taken at the same moment by a body whose own
// offset is otherOffset, to the nearest second.
qint64 offsetFromSimultaneousShots(const CaptureTime &mine, const CaptureTime &other,
                                   qint64 otherOffset);

// The camera bodies among files with their capture times, ordered by their first shot. Files
// with only their file date or without a body count as neither.
struct CameraBody
{
    QByteArray key;
    std::vector<int> files; // indexes into the times, in time order
    CaptureTime first, last; // as the camera's clock had them
};
struct CameraBodies
{
    std::vector<CameraBody> bodies;
    int withoutBody = 0; // files with a capture time but no body
};
CameraBodies cameraBodies(const std::vector<CaptureTime> &times);
