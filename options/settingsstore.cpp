#include "settingsstore.h"

#include <QSettings>

namespace {

const QString application = QStringLiteral("Brixelwand");
const QString section = QStringLiteral("Parameter");

} // namespace

QString SettingsStore::read(const QString &key, const QString &defaultValue)
{
    QSettings settings(application, application);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    return value.isValid() && value.canConvert<QString>() ? value.toString() : defaultValue;
}

bool SettingsStore::write(const QString &key, const QString &value)
{
    // A fresh object each time: QSettings keeps its first error for good.
    QSettings settings(application, application);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}
