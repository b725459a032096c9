// The window's side of the run journal: an interrupted run is finished or undone at start,
// and "Letzte Umbenennung rückgängig" undoes the last completed run.

#include "executor.h"
#include "filemover.h"
#include "folderreader.h"
#include "folderscan.h"
#include "hptfrm.h"
#include "journal.h"
#include "optionspage.h"
#include "recovery.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"
#include "texts.h"

#include <QTabWidget>

void Hptfrm::recoverInterruptedRun()
{
    JournalStore &store = *m_window->journalStore();
    Journal journal;
    switch (store.loadRunning(&journal)) {
    case JournalStore::Load::None:
        return;
    case JournalStore::Load::Corrupt:
        m_window->messageBox(Texts::journalDamaged(), MessageKind::Warning, warningTitle());
        store.setAsideRunning();
        return;
    case JournalStore::Load::Ok:
        break;
    }
    if (!canReadFolder(journal.folderPath())) {
        m_window->messageBox(Texts::journalFolderUnreachable(journal.folderPath()),
                             MessageKind::Warning, warningTitle());
        return;
    }
    FileMover &mover = m_window->fileMover();
    const FolderScan scan = FolderScan::read(journal.folderPath(), mover.sys());
    const Progress progress = findProgress(journal, scan, mover.sys());
    const bool finish
        = m_window->messageBox(Texts::recoveryQuestion(journal.folderPath(), progress.filesDone,
                                                       progress.filesTotal),
                               MessageKind::Question, questionTitle())
        == MessageAnswer::Yes;
    const QStringList problems = finish
        ? carryOut(journal, progress.doneSteps, journal.steps.size(), false, mover)
        : carryOut(journal, 0, progress.doneSteps, true, mover);
    if (finish)
        store.complete(); // now the last run, to be undone if the user wishes
    else
        store.discardRunning();
    if (!problems.isEmpty())
        m_window->messageBox(Texts::recoveryProblems(problems), MessageKind::Error, errorTitle());
    showFolder(journal.folderPath());
}

void Hptfrm::updateUndoButton()
{
    Journal journal;
    m_selection->setUndoEnabled(m_window->journalStore()->loadLast(&journal)
                                    == JournalStore::Load::Ok
                                && canReadFolder(journal.folderPath()));
}

void Hptfrm::undoLastRun()
{
    JournalStore &store = *m_window->journalStore();
    Journal journal;
    if (store.loadLast(&journal) != JournalStore::Load::Ok
        || !canReadFolder(journal.folderPath())) {
        updateUndoButton();
        return;
    }
    // Only the files the run moved: a run that failed on its way is recorded up to there.
    const size_t moved = filesMoved(stepsOf(journal), journal.steps.size(), journal.files.size());
    if (m_window->messageBox(Texts::undoQuestion(journal.folderPath(), qsizetype(moved)),
                             MessageKind::Question, questionTitle())
        != MessageAnswer::Yes)
        return;
    m_options->setStatusLine(busyCaption(), StatusLook::Busy);
    const QStringList problems
        = carryOut(journal, 0, journal.steps.size(), true, m_window->fileMover());
    store.discardLast();
    m_options->setStatusLine(readyCaption(), StatusLook::Ready);
    showFolder(journal.folderPath());
    if (!problems.isEmpty())
        m_window->messageBox(Texts::undoProblems(problems), MessageKind::Error, errorTitle());
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
