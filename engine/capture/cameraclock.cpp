// SPDX-License-Identifier: GPL-3.0-or-later
#include "cameraclock.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace {

constexpr char separator = '|';
constexpr qsizetype maxField = 64;

// One field of a key: what a card declares is text of any length and content.
QByteArray keyField(const std::string &text)
{
    QString field = QString::fromUtf8(text.data(), qsizetype(std::min<size_t>(text.size(), 1024)));
    for (QChar &c : field) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c == QLatin1Char(separator))
            c = QLatin1Char(' ');
    }
    return field.simplified().left(maxField).trimmed().toUtf8();
}

} // namespace

QByteArray cameraKey(const std::string &make, const std::string &model, const std::string &serial)
{
    const QByteArray makePart = keyField(make), modelPart = keyField(model);
    if (makePart.isEmpty() && modelPart.isEmpty())
        return QByteArray();
    return makePart + separator + modelPart + separator + keyField(serial);
}

QString cameraDisplayName(const QByteArray &key)
{
    const QList<QByteArray> fields = key.split(separator);
    if (fields.size() != 3)
        return QString::fromUtf8(key);
    const QString make = QString::fromUtf8(fields[0]);
    const QString model = QString::fromUtf8(fields[1]);
    const QString serial = QString::fromUtf8(fields[2]);
    QString name = model.isEmpty() ? make
        : make.isEmpty()
            || model.startsWith(make.section(QLatin1Char(' '), 0, 0), Qt::CaseInsensitive)
        ? model
        : make + QLatin1Char(' ') + model;
    if (!serial.isEmpty())
        name += QStringLiteral(", Seriennummer ") + serial;
    return name;
}

qint64 clockCorrection(const CaptureTime &time, const ClockOffsets &offsets)
{
    if (time.source == CaptureSource::FileDate || time.camera.isEmpty() || offsets.isEmpty())
        return 0;
    return offsets.value(time.camera, 0);
}

CaptureTime correctedTime(CaptureTime time, const ClockOffsets &offsets)
{
    time.seconds += clockCorrection(time, offsets);
    return time;
}

QString formatClockOffset(qint64 seconds)
{
    const QChar sign = seconds < 0 ? QLatin1Char('-') : QLatin1Char('+');
    const qint64 magnitude = std::min(seconds < 0 ? -seconds : seconds, maxClockOffset);
    return QStringLiteral("%1%2 %3:%4:%5")
        .arg(sign)
        .arg(magnitude / 86400)
        .arg(magnitude / 3600 % 24, 2, 10, QLatin1Char('0'))
        .arg(magnitude / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

std::optional<qint64> parseClockOffset(const QString &text)
{
    static const QRegularExpression form(QStringLiteral(
        R"(^\s*([-+\x{2212}]?)\s*(?:(\d{1,5})\s+)?(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*$)"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const qint64 days = match.captured(2).toLongLong();
    const qint64 hours = match.captured(3).toLongLong();
    const qint64 minutes = match.captured(4).toLongLong();
    const qint64 seconds = match.captured(5).toLongLong();
    if (hours > 23 || minutes > 59 || seconds > 59)
        return std::nullopt;
    const qint64 magnitude = days * 86400 + hours * 3600 + minutes * 60 + seconds;
    const QString sign = match.captured(1);
    return sign.isEmpty() || sign == QLatin1String("+") ? magnitude : -magnitude;
}

QString clockOffsetMark(qint64 seconds)
{
    const qint64 magnitude = seconds < 0 ? -seconds : seconds;
    if (magnitude >= 86400)
        return formatClockOffset(seconds);
    return QStringLiteral("%1%2:%3:%4")
        .arg(seconds < 0 ? QLatin1Char('-') : QLatin1Char('+'))
        .arg(magnitude / 3600)
        .arg(magnitude / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(magnitude % 60, 2, 10, QLatin1Char('0'));
}

qint64 wholeSeconds(const CaptureTime &time)
{
    return time.seconds + (time.nanoseconds >= 500000000 ? 1 : 0);
}

qint64 offsetFromClockPhoto(const CaptureTime &photo, qint64 shown)
{
    return shown - wholeSeconds(photo);
}

qint64 offsetFromSimultaneousShots(const CaptureTime &mine, const CaptureTime &other,
                                   qint64 otherOffset)
{
    // In milliseconds, so that sub-seconds on both sides round once.
    const qint64 difference
        = (other.seconds - mine.seconds) * 1000 + (other.nanoseconds - mine.nanoseconds) / 1000000;
    const qint64 whole
        = difference >= 0 ? (difference + 500) / 1000 : -((-difference + 500) / 1000);
    return whole + otherOffset;
}

CameraBodies cameraBodies(const std::vector<CaptureTime> &times)
{
    CameraBodies result;
    QHash<QByteArray, size_t> bodyOf;
    for (int i = 0; i < int(times.size()); ++i) {
        const CaptureTime &time = times[size_t(i)];
        if (time.source == CaptureSource::FileDate)
            continue;
        if (time.camera.isEmpty()) {
            ++result.withoutBody;
            continue;
        }
        auto it = bodyOf.constFind(time.camera);
        if (it == bodyOf.cend()) {
            it = bodyOf.insert(time.camera, result.bodies.size());
            result.bodies.push_back({time.camera, {}, time, time});
        }
        CameraBody &body = result.bodies[*it];
        body.files.push_back(i);
        if (earlier(time, body.first))
            body.first = time;
        if (earlier(body.last, time))
            body.last = time;
    }
    for (CameraBody &body : result.bodies)
        std::stable_sort(body.files.begin(), body.files.end(), [&times](int a, int b) {
            return earlier(times[size_t(a)], times[size_t(b)]);
        });
    std::stable_sort(
        result.bodies.begin(), result.bodies.end(),
        [](const CameraBody &a, const CameraBody &b) { return earlier(a.first, b.first); });
    return result;
}
