#pragma once

#include "journal.h"

#include <QStringList>

class FileMover;
class FolderScan;
class SysCalls;

// How far an interrupted run got, read from the disk: the renames before doneSteps are made.
struct Progress
{
    size_t doneSteps = 0;
    int filesDone = 0; // files that carry their new names
    int filesTotal = 0;
    // False when no point of the run matches the folder exactly (a file was changed from
    // outside, or a rename was cut between link and unlink): the moves that cannot be made
    // are then reported, never guessed.
    bool exact = true;
};

// Compares the folder with every point of the run and picks the one it shows. Where a cycle of
// renames brings back the same names, the fingerprints of the files in it decide.
Progress findProgress(const Journal &journal, const FolderScan &scan, SysCalls &sys);

// Makes the renames [first, last) of the journal, or undoes them in reverse order; each move is
// the no-replace move. Returns one German line for every file that could not be moved; the
// other moves go on.
QStringList carryOut(const Journal &journal, size_t first, size_t last, bool undo,
                     FileMover &mover);
