#pragma once

#include <QString>

// The per-user store of the five remembered switches: application "Brixelwand", section
// "Parameter", string values.
class SettingsStore
{
public:
    virtual ~SettingsStore() = default;
    // The stored string, or defaultValue when the key is absent or cannot be read.
    virtual QString read(const QString &key, const QString &defaultValue);
    // Stores value; false when it could not be written (read-only file or folder, full disk).
    virtual bool write(const QString &key, const QString &value);
};
