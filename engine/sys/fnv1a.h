// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArrayView>

// The 64-bit FNV-1a hash of bytes: quick on short names, and stable, so that a hash kept in a
// run record still matches the file it was taken from.
inline quint64 fnv1a64(QByteArrayView bytes)
{
    quint64 hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= quint8(c);
        hash *= 1099511628211ull;
    }
    return hash;
}
