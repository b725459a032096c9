// SPDX-License-Identifier: GPL-3.0-or-later
#include "renameoptions.h"

#include "renamewindow.h"
#include "switches.h"

RenameOptions RenameOptions::read(const IRenameWindow &window)
{
    RenameOptions o;
    o.NewName = window.optionText(OptionText::Text2);
    o.StartNumber = window.optionText(OptionText::Text3);
    o.Digits = window.optionText(OptionText::Text4);
    for (const Switch &s : switches)
        o.*s.option = window.optionChecked(s.box);
    o.KeepExtension = window.keepExtensionSelected();
    o.NewExtension = window.optionText(OptionText::Text1);
    o.DayStart = window.optionText(OptionText::Text5);
    return o;
}
