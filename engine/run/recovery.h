// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal.h"

#include <QStringList>

class FileMover;
class FolderScan;
class IRenameWindow;
class SysCalls;

// How far a recorded run got, read from the disk: the renames before doneSteps are made.
// A point of the run fits the folder when the folder holds exactly the names the run has
// there (in their letter case) and every moving file of the record, by its fingerprint, under
// the name it has at that point.
struct Progress
{
    size_t doneSteps = 0;
    int filesDone = 0; // files that carry their new names
    int filesTotal = 0;
    // True when exactly one point fits. Otherwise nothing may be moved: misfits says why.
    bool exact = true;
    size_t fittingPoints = 0;
    // What the cut move left behind, to be removed before anything else moves: an empty
    // reservation of a name made by this run while its file was still at the other name, or
    // the second name of a file whose link was made but not yet unlinked. Empty for none.
    QByteArray leftover;
    QStringList misfits; // German lines, where not exact: which files do not fit and how
};

// Compares the folder with every point of the run and picks the one it shows.
Progress findProgress(const Journal &journal, const FolderScan &scan, SysCalls &sys);

// What carrying out a part of a record came to.
struct CarriedOut
{
    size_t reached = 0; // the point of the record the folder is at now
    int error = 0; // 0, or the errno of the move that failed
    QString failure; // the German line of that move, or of the leftover not removed
    bool moving = true; // false: the failure is the leftover that could not be removed
    size_t notTried = 0; // moves after the failed one, left for the next attempt
    bool ok() const { return error == 0; }
};

// Removes progress.leftover, then makes the renames [from, to) of the journal, or undoes them
// in reverse order (to < from), each with the no-replace move. Stops at the first move that
// fails, so that the folder stays at a point of the record.
CarriedOut carryOut(const Journal &journal, const Progress &progress, size_t from, size_t to,
                    FileMover &mover);

// The dialogue of an interrupted run, at start and on F5: asks whether to finish it
// ("Fortsetzen"), give the moved files their old names ("Rückgängig machen") or keep the
// record ("Später"), and does it. A run whose folder shows it finished or not begun is
// settled without a question; a folder that fits no point, or another volume, moves nothing
// and keeps the record. Returns the folder to show anew; empty when nothing was moved.
QByteArray recoverInterruptedRun(IRenameWindow &window, JournalStore &store, FileMover &mover);

// Whether the last run can be undone now: its record is readable, its folder can be reached
// and no other copy of the program is at work.
bool canUndoLastRun(JournalStore &store, SysCalls &sys);

// "Letzte Umbenennung rückgängig": asks, then gives the files moved by the last run their old
// names. The record stays where a move fails. Returns the folder to show anew.
QByteArray undoLastRun(IRenameWindow &window, JournalStore &store, FileMover &mover);
