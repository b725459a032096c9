// SPDX-License-Identifier: GPL-3.0-or-later
#include "switches.h"

// clang-format off
const Switch switches[] = {
    {OptionCheck::Check3, "Check3", "Versteckte Dateien", 0, nullptr, false, -1,
     &RenameOptions::ShowHidden},
    {OptionCheck::Check4, "Check4", "Systemdateien", 0, nullptr, false, -1,
     &RenameOptions::ShowSystem},
    {OptionCheck::Check2, "Check2", "zwischen Dateiname und Zahl ein Leerzeichen", 1,
     "Leerzeichen", true, 0, &RenameOptions::BlankBeforeNumber},
    {OptionCheck::Check1, "Check1", "Stellenanzahl automatisch ermitteln", 1,
     "Autostellen", true, 1, &RenameOptions::AutoDigits},
    {OptionCheck::Check5, "Check5", "Leerzeichen durch Unterstriche ersetzen (Unix)", 1,
     "Unix", false, 2, &RenameOptions::BlankToUnderscore},
    {OptionCheck::Check7, "Check7", "ä, ö, ü, ß durch ae, oe, ue und ss ersetzen", 1,
     "Umlaute", false, 4, &RenameOptions::ReplaceUmlauts},
    {OptionCheck::Check6, "Check6", "CD-Konventionen beachten (max. 64 Zeichen)", 1,
     "CD", false, 3, &RenameOptions::CdLimit},
    {OptionCheck::Check8, "Check8", "nach Aufnahmezeit nummerieren", 1,
     "Aufnahmezeit", false, 5, &RenameOptions::CaptureOrder},
    {OptionCheck::Check9, "Check9", "RAW, JPEG und XMP einer Aufnahme gleich nummerieren", 1,
     "Aufnahmegruppen", false, 6, &RenameOptions::CaptureGroups},
    {OptionCheck::Check10, "Check10", "Aufnahmedatum vor den Namen setzen", 1,
     "Aufnahmedatum", false, 7, &RenameOptions::CaptureDate},
    {OptionCheck::Check11, "Check11", "Nummern je Aufnahmetag neu beginnen", 1,
     "NummerJeTag", false, 8, &RenameOptions::NumberPerDay},
};
// clang-format on

const Switch &switchOf(OptionCheck box)
{
    for (const Switch &s : switches) {
        if (s.box == box)
            return s;
    }
    Q_UNREACHABLE();
}
