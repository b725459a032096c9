// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cameraclock.h"
#include "capturetime.h"
#include "texts.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

struct PreviewedPlan;

// The message box kinds; each one fixes the icon and the buttons.
enum class MessageKind {
    Plain, // no icon, OK
    Warning, // exclamation mark, OK
    Error, // stop sign, OK
    Question, // question mark, Yes (default) and No
    Information, // information sign, OK
    CriticalQuestion, // stop sign, Yes (default) and No
    // question mark, "Fortsetzen" (default), "Rückgängig machen" and "Später"; Escape and
    // closing the box answer Later
    RecoveryQuestion,
};

enum class MessageAnswer { Ok, Yes, No, Continue, Undo, Later };

enum class OptionText { Text1, Text2, Text3, Text4, Text5 };

enum class OptionCheck {
    Check1,
    Check2,
    Check3,
    Check4,
    Check5,
    Check6,
    Check7,
    Check8,
    Check9,
    Check10,
    Check11,
};

// Looks of the status line: ready (menu bar colour) or busy (red).
enum class StatusLook { Ready, Busy };

// Everything a rename run needs from the main window. The window implements it; tests drive
// the engine with a fake. Names of files and folders are raw bytes, as the file system has them.
class IRenameWindow
{
public:
    virtual ~IRenameWindow() = default;

    // The file list File1.
    virtual int fileCount() const = 0;
    virtual bool isFileSelected(int index) const = 0;
    virtual QByteArray fileName(int index) const = 0;
    // Select entry 0 and unselect it at once: nothing selected, the list at its top.
    virtual void clearSelectionToTop() = 0;
    // The plan the window shows with what it was made from, where it keeps one. Where it was
    // made from the options and files of the run and found no conflict, the run asks at once
    // and reads the folder only after the answer, and carries it out where it would plan the
    // same again. Otherwise it reads the folder first, so that what would be refused is
    // refused before the question.
    virtual std::shared_ptr<const PreviewedPlan> previewedPlan() const { return nullptr; }
    // Read the folder again under the same filters; nothing is selected afterwards.
    virtual void rereadFiles() = 0;

    // The folder shown by Dir1; only the root "/" ends in "/".
    virtual QByteArray currentFolder() const = 0;

    // The option controls. Writes have the follow-ups of the same change made by the user.
    virtual QString optionText(OptionText field) const = 0;
    virtual bool optionChecked(OptionCheck box) const = 0;
    virtual bool keepExtensionSelected() const = 0; // Optionbtn1
    virtual void setOptionText(OptionText field, const QString &text) = 0;
    virtual void setOptionChecked(OptionCheck box, bool checked) = 0;
    virtual void selectKeepExtension() = 0; // selects Optionbtn1

    // The capture times of the named files of the current folder, one per name, read through
    // the window's cache: what the preview has read costs no read again.
    virtual std::vector<CaptureTime> captureTimes(const std::vector<QByteArray> &names) const = 0;
    // How far the clocks of the camera bodies were off, as given in "Kamerauhren": what the
    // plan adds to the capture times of their files.
    virtual ClockOffsets clockOffsets() const { return {}; }

    // The status line Label5.
    virtual void setStatusLine(const QString &caption, StatusLook look) = 0;

    // A modal message box; returns the button pressed.
    virtual MessageAnswer messageBox(const QString &prompt, MessageKind kind, const QString &title)
        = 0;

    // Focus to Text2; with selectText its whole text is selected.
    virtual void focusNameField(bool selectText) = 0;
    // Focus to Text1 with its whole text selected.
    virtual void focusExtensionField() = 0;
    // Show page 0; with focusTabStrip the tab strip gets the focus.
    virtual void showFirstPage(bool focusTabStrip) = 0;
    // Redraw the window at once without handling user input.
    virtual void repaintNow() = 0;
};
