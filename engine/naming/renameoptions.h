// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class IRenameWindow;

// The run's view of the option controls, read when the run starts.
struct RenameOptions
{
    QString NewName; // Text2
    QString StartNumber; // Text3
    QString Digits; // Text4
    bool AutoDigits = false; // Check1
    bool BlankBeforeNumber = false; // Check2
    bool ShowHidden = false; // Check3
    bool ShowSystem = false; // Check4
    bool BlankToUnderscore = false; // Check5
    bool CdLimit = false; // Check6
    bool ReplaceUmlauts = false; // Check7
    bool CaptureOrder = false; // Check8: numbers in the order the files were taken
    bool CaptureGroups = false; // Check9: the files of one shot share one number
    // Check10, with CaptureOrder: the capture date "JJJJ-MM-TT " goes before the new name
    bool CaptureDate = false;
    bool NumberPerDay = false; // Check11, with CaptureOrder: numbers begin anew each day
    QString DayStart; // Text5: the hour (0-23) at which a capture day begins
    bool KeepExtension = true; // Optionbtn1 selected
    QString NewExtension; // Text1

    static RenameOptions read(const IRenameWindow &window);
    bool operator==(const RenameOptions &) const = default;
};
