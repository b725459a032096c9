// SPDX-License-Identifier: GPL-3.0-or-later
#include "settingsstore.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString application = QStringLiteral("Brixelwand");
const QString section = QStringLiteral("Parameter");

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
    // A fresh object each time: QSettings keeps its first error for good. A format error left
    // from reading a damaged file says nothing about the write; whether the file could be
    // written does.
    QSettings settings(application, application);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        return false;
    const QFileInfo file(settings.fileName());
    return file.exists() && file.isWritable();
}
