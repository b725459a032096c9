// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "executor.h"
#include "journal.h"
#include "renameplan.h"

class FileMover;
class IRenameWindow;
class JournalStore;

// What "Dateien umbenennen >>" does: checks the selection and the options, asks for
// confirmation, plans every new name and checks the plan against the folder, then renames every
// selected file of the shown folder and puts the window back into its ready state. Conflicts
// with the folder as it is when the button is pressed (and a folder that cannot be read) are
// refused without the question; the folder is checked again after it. Every failed check and
// every conflict ends the run before any file is touched; a move that still fails
// stops the run at that file and offers to undo the renames before it. mover makes the moves;
// the run is recorded in journal, where one is given.
void runRename(IRenameWindow &window, FileMover &mover, JournalStore *journal);

// The conversation of one run with the user around the plan and its execution: the messages of
// the checks, the confirmation, the conflict box, the failure report, the restore question and
// the completion. runRename() is the whole of it.
class RenameDialogue
{
public:
    RenameDialogue(IRenameWindow &window, FileMover &mover, JournalStore *journal);
    void run();

private:
    bool confirmed(const PlanInput &input);
    void reportStop(const RenamePlan &plan);
    bool lockedWithNothingPending();
    void refusePending();
    bool beginJournal(const RenamePlan &plan);
    void complete(const RenamePlan &plan);
    void reportFailure(const RenamePlan &plan, const RunResult &result);
    void backToReady();

    IRenameWindow &m_window;
    FileMover &m_mover;
    JournalStore *m_journal;
    bool m_recording = false;
    Journal m_record;
};
