// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The per-user store of the remembered switches: application "Brixelwand", section
// "Parameter", string values.
class SettingsStore
{
public:
    // The stored string, or defaultValue when the key is absent or cannot be read.
    QString read(const QString &key, const QString &defaultValue);
    // Stores value; false when it could not be written (read-only file or folder, full disk).
    bool write(const QString &key, const QString &value);

    // The two values a switch is stored as; only exactly "Wahr" reads as on.
    static QString switchText(bool on);
    static bool isSwitchOn(const QString &text) { return text == switchText(true); }
};
