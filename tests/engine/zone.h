// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <ctime>

// TZ for the life of the object: the zone this machine's local time is read in (none: as it is).
class Zone
{
public:
    explicit Zone(const char *zone)
        : m_old(qgetenv("TZ"))
        , m_had(qEnvironmentVariableIsSet("TZ"))
    {
        if (zone)
            qputenv("TZ", zone);
        ::tzset();
    }
    ~Zone()
    {
        if (m_had)
            qputenv("TZ", m_old);
        else
            qunsetenv("TZ");
        ::tzset();
    }
    Zone(const Zone &) = delete;
    Zone &operator=(const Zone &) = delete;

private:
    QByteArray m_old;
    bool m_had;
};
