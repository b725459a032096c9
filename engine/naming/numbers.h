// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Reads a number field's text in the user's number format: an optional sign, digits with the
// locale's decimal and group separators, an optional exponent, blanks around it allowed.
// Returns false for an empty text, letters, or anything else that is not one finite number.
bool readLocaleNumber(const QString &text, double *value);

// The whole number a start-number or digit-count text stands for: its value in the user's
// number format, with any fraction dropped. 0 when the text is not numeric.
int wholeNumberOf(const QString &text);
