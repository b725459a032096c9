// SPDX-License-Identifier: GPL-3.0-or-later
#include "displayname.h"

QString displayName(const QByteArray &raw)
{
    return QString::fromUtf8(raw);
}
