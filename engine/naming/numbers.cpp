// SPDX-License-Identifier: GPL-3.0-or-later
#include "numbers.h"

#include <QLocale>

#include <cmath>

bool readLocaleNumber(const QString &text, double *value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return false;
    bool ok = false;
    const double v = QLocale::system().toDouble(trimmed, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

int wholeNumberOf(const QString &text)
{
    double v = 0;
    if (!readLocaleNumber(text, &v) || v < -1e9 || v > 1e9)
        return 0;
    return static_cast<int>(std::trunc(v));
}
