// SPDX-License-Identifier: GPL-3.0-or-later
#include "renameoptions.h"

#include "renamewindow.h"

RenameOptions RenameOptions::read(const IRenameWindow &window)
{
    RenameOptions o;
    o.NewName = window.optionText(OptionText::Text2);
    o.StartNumber = window.optionText(OptionText::Text3);
    o.Digits = window.optionText(OptionText::Text4);
    o.AutoDigits = window.optionChecked(OptionCheck::Check1);
    o.BlankBeforeNumber = window.optionChecked(OptionCheck::Check2);
    o.ShowHidden = window.optionChecked(OptionCheck::Check3);
    o.ShowSystem = window.optionChecked(OptionCheck::Check4);
    o.BlankToUnderscore = window.optionChecked(OptionCheck::Check5);
    o.CdLimit = window.optionChecked(OptionCheck::Check6);
    o.ReplaceUmlauts = window.optionChecked(OptionCheck::Check7);
    o.CaptureOrder = window.optionChecked(OptionCheck::Check8);
    o.CaptureGroups = window.optionChecked(OptionCheck::Check9);
    o.KeepExtension = window.keepExtensionSelected();
    o.NewExtension = window.optionText(OptionText::Text1);
    return o;
}
