// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the run journal: an interrupted run is finished or undone at start and
// on F5, and "Letzte Umbenennung rückgängig" undoes the last run. The dialogues are the
// engine's; the window shows the folder they worked on.

#include "filemover.h"
#include "hptfrm.h"
#include "journal.h"
#include "recovery.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"

#include <QTabWidget>

void Hptfrm::recoverInterruptedRun()
{
    const QByteArray folder
        = ::recoverInterruptedRun(*m_window, *m_window->journalStore(), m_window->fileMover());
    if (!folder.isEmpty())
        showFolder(folder);
}

void Hptfrm::updateUndoButton()
{
    m_selection->setUndoEnabled(
        canUndoLastRun(*m_window->journalStore(), m_window->fileMover().sys()));
}

void Hptfrm::undoLastRun()
{
    const QByteArray folder
        = ::undoLastRun(*m_window, *m_window->journalStore(), m_window->fileMover());
    if (!folder.isEmpty())
        showFolder(folder);
    updateUndoButton();
}

// Shows folder, read anew, on the first page with nothing selected.
void Hptfrm::showFolder(const QByteArray &folder)
{
    if (m_selection->currentFolder() == folder || !m_selection->openFolder(folder))
        m_selection->rereadFiles();
    SSTab1->setCurrentIndex(0);
    m_selection->ResetFileSelection();
}
