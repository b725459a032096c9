// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cameraclock.h"

#include <QString>

// The per-user store of the remembered switches: application "Brixelwand", section
// "Parameter", string values; and of the offsets of camera clocks, section "Kamerauhren".
class SettingsStore
{
public:
    // The stored string, or defaultValue when the key is absent or cannot be read.
    QString read(const QString &key, const QString &defaultValue);
    // Stores value; false when it could not be written (read-only file or folder, full disk).
    bool write(const QString &key, const QString &value);

    // The remembered offsets of camera clocks: one key per body, its value in the form
    // "+T HH:MM:SS". A key or value that does not read back is left out.
    ClockOffsets readClockOffsets();
    // Remembers offset for the body key (forgets it with 0); false when it could not be written.
    bool writeClockOffset(const QByteArray &body, qint64 offset);
    // The settings key of a body key and back: "/" and "\" separate groups in a settings key,
    // so these, "%" and bytes outside ASCII are written as "%XX".
    static QString clockKey(const QByteArray &body);
    static QByteArray bodyOfClockKey(const QString &key);

    // The two values a switch is stored as; only exactly "Wahr" reads as on.
    static QString switchText(bool on);
    static bool isSwitchOn(const QString &text) { return text == switchText(true); }
};
