// The window's handlers for choosing volume, folder and files.

#include "drivelist.h"
#include "filelist.h"
#include "folderlist.h"
#include "hptfrm.h"

#include <QSignalBlocker>

void Hptfrm::Drive1_Change()
{
    // Back to the folder last shown on that volume, its root at first. A volume that cannot
    // be read changes nothing and says nothing.
    const QByteArray drive = Drive1->currentDrive();
    const QByteArray last = m_lastFolderOfDrive.value(drive);
    if (!last.isEmpty() && Dir1->setPath(last))
        return;
    Dir1->setPath(drive);
}

void Hptfrm::Dir1_Change()
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

void Hptfrm::Command1_Click()
{
    const int n = File1->count();
    if (n > 0)
        File1->selectRange(0, n - 1);
}

void Hptfrm::Command2_Click()
{
    File1->clearAllSelected();
    ResetFileSelection();
}

void Hptfrm::refreshLists()
{
    Drive1->reread();
    Dir1->reread();
    File1->reread();
    ResetFileSelection();
    updateUndoButton(); // the last run's folder may have come back (a card inserted)
}

void Hptfrm::ResetFileSelection()
{
    if (File1->count() == 0)
        return;
    File1->setSelected(0, true);
    File1->setSelected(0, false);
}
