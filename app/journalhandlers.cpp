// The window's side of the run journal: an interrupted run is finished or undone at start,
// and "Letzte Umbenennung rückgängig" undoes the last completed run.

#include "displayname.h"
#include "filemover.h"
#include "folderreader.h"
#include "folderscan.h"
#include "hptfrm.h"
#include "journal.h"
#include "optionspage.h"
#include "recovery.h"
#include "renamewindowadapter.h"
#include "selectionpage.h"

#include <QTabWidget>

namespace {

QString quotedFolder(const Journal &journal)
{
    return QStringLiteral("„%1“").arg(displayName(journal.folderPath()));
}

} // namespace

void Hptfrm::recoverInterruptedRun()
{
    JournalStore &store = *m_window->journalStore();
    Journal journal;
    switch (store.loadRunning(&journal)) {
    case JournalStore::Load::None:
        return;
    case JournalStore::Load::Corrupt:
        m_window->messageBox(
            QStringLiteral("Das Protokoll einer unterbrochenen Umbenennung ist beschädigt "
                           "und wird nicht verwendet. Es wurde keine Datei umbenannt."),
            MessageKind::Warning, QStringLiteral("Achtung!"));
        store.setAsideRunning();
        return;
    case JournalStore::Load::Ok:
        break;
    }
    if (!canReadFolder(journal.folderPath())) {
        m_window->messageBox(
            QStringLiteral("Die Umbenennung im Ordner %1 wurde unterbrochen. Der Ordner ist "
                           "zurzeit nicht erreichbar (ist der Datenträger eingelegt?). Beim "
                           "nächsten Start wird wieder gefragt.")
                .arg(quotedFolder(journal)),
            MessageKind::Warning, QStringLiteral("Achtung!"));
        return;
    }
    FileMover &mover = m_window->fileSystemObject();
    const FolderScan scan = FolderScan::read(journal.folderPath(), mover.sys());
    const Progress progress = findProgress(journal, scan, mover.sys());
    const bool finish
        = m_window->messageBox(
              QStringLiteral("Die Umbenennung im Ordner %1 wurde nach %2 von %3 Dateien "
                             "unterbrochen.\n\nJa: Die übrigen Dateien werden umbenannt.\n"
                             "Nein: Alle Dateien erhalten ihre alten Namen zurück.")
                  .arg(quotedFolder(journal))
                  .arg(progress.filesDone)
                  .arg(progress.filesTotal),
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
        m_window->messageBox(QStringLiteral("Diese Dateien konnten nicht umbenannt werden:\n")
                                 + problems.join(QLatin1Char('\n')),
                             MessageKind::Error, errorTitle());
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
    if (m_window->messageBox(
            QStringLiteral("Soll die letzte Umbenennung im Ordner %1 rückgängig gemacht "
                           "werden? %2 Dateien erhalten dann ihre alten Namen zurück.")
                .arg(quotedFolder(journal))
                .arg(journal.files.size()),
            MessageKind::Question, questionTitle())
        != MessageAnswer::Yes)
        return;
    m_options->setStatusLine(busyCaption(), StatusLook::Busy);
    const QStringList problems
        = carryOut(journal, 0, journal.steps.size(), true, m_window->fileSystemObject());
    store.discardLast();
    m_options->setStatusLine(readyCaption(), StatusLook::Ready);
    showFolder(journal.folderPath());
    if (!problems.isEmpty())
        m_window->messageBox(
            QStringLiteral("Diese Dateien wurden seit der Umbenennung umbenannt oder "
                           "entfernt und bleiben, wie sie sind:\n")
                + problems.join(QLatin1Char('\n')),
            MessageKind::Error, errorTitle());
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
