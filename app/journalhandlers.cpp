// The window's side of the run journal: an interrupted run is finished or undone at start and
// on F5, and "Letzte Umbenennung rückgängig" undoes the last run. The dialogues are the
// engine's; the window shows the folder they worked on.

#include "filemover.h"
#include "folderlist.h"
#include "hptfrm.h"
#include "journal.h"
#include "recovery.h"

#include <QPushButton>
#include <QTabWidget>

void Hptfrm::recoverInterruptedRun()
{
    const QByteArray folder = ::recoverInterruptedRun(*this, *journalStore(), fileSystemObject());
    if (!folder.isEmpty())
        showFolder(folder);
}

void Hptfrm::updateUndoButton()
{
    Command7->setEnabled(canUndoLastRun(*journalStore(), fileSystemObject().sys()));
}

void Hptfrm::Command7_Click()
{
    const QByteArray folder = undoLastRun(*this, *journalStore(), fileSystemObject());
    if (!folder.isEmpty())
        showFolder(folder);
    updateUndoButton();
}

// Shows folder, read anew, on the first page with nothing selected.
void Hptfrm::showFolder(const QByteArray &folder)
{
    if (Dir1->path() == folder || !Dir1->setPath(folder))
        rereadFiles();
    SSTab1->setCurrentIndex(0);
    ResetFileSelection();
}
