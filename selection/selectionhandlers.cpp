// SPDX-License-Identifier: GPL-3.0-or-later
// The page's handlers for choosing volume, folder and files.

#include "drivelist.h"
#include "filelist.h"
#include "focuslosswatch.h"
#include "folderlist.h"
#include "messageboxes.h"
#include "selectionpage.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSignalBlocker>

void SelectionPage::Drive1_Change()
{
    // Back to the folder last shown on that volume, its root at first. A volume that cannot
    // be read changes nothing and says nothing.
    const QByteArray drive = Drive1->currentDrive();
    const QByteArray last = m_lastFolderOfDrive.value(drive);
    if (!last.isEmpty() && Dir1->setPath(last))
        return;
    Dir1->setPath(drive);
}

void SelectionPage::Dir1_Change()
{
    const QByteArray path = Dir1->path();
    {
        // A folder opened in the tree may lie on another volume; show that one, quietly.
        const QSignalBlocker blocker(Drive1);
        Drive1->setDriveOf(path);
    }
    m_lastFolderOfDrive.insert(Drive1->driveOf(path), path);
    File1->setFolder(path);
}

void SelectionPage::Command1_Click()
{
    const int n = File1->count();
    if (n > 0)
        File1->selectRange(0, n - 1);
}

void SelectionPage::Command2_Click()
{
    File1->clearAllSelected();
    ResetFileSelection();
}

void SelectionPage::refreshLists()
{
    Drive1->reread();
    Dir1->reread();
    File1->reread();
    ResetFileSelection();
}

void SelectionPage::ResetFileSelection()
{
    if (File1->count() == 0)
        return;
    File1->setSelected(0, true);
    File1->setSelected(0, false);
}

void SelectionPage::hiddenOrSystemSwitched(QCheckBox *box, void (FileList::*setFlag)(bool))
{
    if (!box->isChecked()) {
        (File1->*setFlag)(false);
        return;
    }
    if (m_boxes.show(QStringLiteral("Diese Auswahl kann fatale Folgen für das System haben! Sind "
                                    "Sie sicher?"),
                     MessageKind::CriticalQuestion, QStringLiteral("Achtung!"))
        == MessageAnswer::Yes)
        (File1->*setFlag)(true);
    else
        box->setChecked(false); // runs this reaction again, which clears the flag
}

void SelectionPage::Check3_Click()
{
    hiddenOrSystemSwitched(Check3, &FileList::setShowHidden);
}

void SelectionPage::Check4_Click()
{
    hiddenOrSystemSwitched(Check4, &FileList::setShowSystem);
}

void SelectionPage::Command3_Click()
{
    // Only a button that has the focus loses it to Text2; a click without the focus (a screen
    // reader's press) leaves no loss behind to clear the marker.
    const bool lostByThisClick = Command3->hasFocus();
    emit forwardRequested();
    m_forwardClicked = lostByThisClick;
}

void SelectionPage::Command3_LostFocus(Qt::FocusReason reason)
{
    if (m_forwardClicked) {
        m_forwardClicked = false;
        return;
    }
    if (FocusLossWatch::leavesPageAlone(*this, reason))
        return;
    emit stayRequested();
}

void SelectionPage::Command7_Click()
{
    emit undoRequested();
}
