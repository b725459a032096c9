// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsstore.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString application = QStringLiteral("Brixelwand");
const QString section = QStringLiteral("Parameter");
const QString clockSection = QStringLiteral("Kamerauhren");

// Whether settings were written: a fresh object each time, since QSettings keeps its first
// error for good. A format error left from reading a damaged file says nothing about the write;
// whether the file could be written does.
bool written(QSettings &settings)
{
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        return false;
    const QFileInfo file(settings.fileName());
    return file.exists() && file.isWritable();
}

} // namespace

QString SettingsStore::switchText(bool on)
{
    return on ? QStringLiteral("Wahr") : QStringLiteral("Falsch");
}

QString SettingsStore::read(const QString &key, const QString &defaultValue)
{
    QSettings settings(application, application);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    return value.isValid() && value.canConvert<QString>() ? value.toString() : defaultValue;
}

bool SettingsStore::write(const QString &key, const QString &value)
{
    QSettings settings(application, application);
    settings.beginGroup(section);
    settings.setValue(key, value);
    return written(settings);
}

QString SettingsStore::clockKey(const QByteArray &body)
{
    return QString::fromLatin1(body.toPercentEncoding(" |"));
}

QByteArray SettingsStore::bodyOfClockKey(const QString &key)
{
    return QByteArray::fromPercentEncoding(key.toLatin1());
}

ClockOffsets SettingsStore::readClockOffsets()
{
    QSettings settings(application, application);
    settings.beginGroup(clockSection);
    ClockOffsets offsets;
    for (const QString &key : settings.childKeys()) {
        const QByteArray body = bodyOfClockKey(key);
        const QVariant value = settings.value(key);
        if (body.isEmpty() || clockKey(body) != key || !value.canConvert<QString>())
            continue;
        const qint64 offset = parseClockOffset(value.toString()).value_or(0);
        if (offset != 0)
            offsets.insert(body, offset);
    }
    return offsets;
}

bool SettingsStore::writeClockOffset(const QByteArray &body, qint64 offset)
{
    QSettings settings(application, application);
    settings.beginGroup(clockSection);
    if (offset == 0)
        settings.remove(clockKey(body));
    else
        settings.setValue(clockKey(body), formatClockOffset(offset));
    return written(settings);
}
