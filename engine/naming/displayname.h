// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// A file name's raw bytes decoded for display: UTF-8, with every byte that is not part of a
// valid sequence shown as U+FFFD. Only for showing; the bytes stay what the run uses.
QString displayName(const QByteArray &raw);
