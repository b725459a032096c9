// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "renameoptions.h"
#include "renamewindow.h"

#include <cstddef>

// One check box of the window: its control, caption and page, where it is remembered and the
// field of the run's options it sets. The pages build their check boxes from this table, the
// window takes their focus order from it, the settings and the run's options read it: a new
// switch is a row here and its own reaction, where it has one.
struct Switch
{
    OptionCheck box;
    const char *objectName;
    const char *caption; // UTF-8
    int page; // 0 "Schritt 1: Dateien auswählen", 1 "Schritt 2: Dateien umbenennen"
    const char *settingsKey; // in the section "Parameter"; nullptr: never remembered
    bool byDefault; // the state when its key is absent
    int keyOrder; // where start-up reads and shut-down writes its key among the others
    bool RenameOptions::*option;
};

// Every switch, in the focus order of its page.
extern const Switch switches[11];
constexpr size_t switchCount = sizeof switches / sizeof switches[0];

// The row of box.
const Switch &switchOf(OptionCheck box);
