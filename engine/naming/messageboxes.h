// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "renamewindow.h"

// Shows the program's modal message boxes. Every box of the window goes through one of these,
// so tests answer them from a script instead of a real dialog.
class IMessageBoxes
{
public:
    virtual ~IMessageBoxes() = default;
    // An empty title means the program's title.
    virtual MessageAnswer show(const QString &prompt, MessageKind kind, const QString &title) = 0;
};
