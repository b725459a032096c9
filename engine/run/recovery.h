// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "journal.h"

#include <QStringList>

#include <vector>

class FileMover;
class FolderScan;
class IRenameWindow;
class SysCalls;

// Where a file of a record is now.
enum FilePlace : qint8 { NotMoving = -2, NotFound = -1, AtOld = 0, AtTemp = 1, AtNew = 2 };

// Where every file of a record is, read from the folder file by file. A name that belongs to
// one file of the run alone tells by itself; where a name is both an old and a new name of the
// run (chains, cycles, case-only renames) the file there must show its fingerprint, and a file
// that could be at two names takes the one no other file can have.
struct Whereabouts
{
    std::vector<qint8> place; // by file: a FilePlace
    std::vector<QString> lost; // by file, where NotFound: the German line why
    // What cut moves left, to be removed before anything moves: an empty reservation of a name
    // made by this run, or the second link of a file cut between link and unlink.
    std::vector<QByteArray> leftovers;
    // False where no volume identity proved the card and its files do not show it either:
    // nothing may move then; cardMisfits says which files of the sample were not found.
    bool sameCard = true;
    QStringList cardMisfits;
    int filesAt(int where) const; // how many files are at that FilePlace
};

// cardProven: the volume identity showed the card. nameByNew: a file not found is named by
// its new name (the undo of a run), else by its old name.
Whereabouts locateFiles(const Journal &journal, const FolderScan &scan, SysCalls &sys,
                        bool cardProven, bool nameByNew);

// The moves that take every file found as far as it can go, finishing the run or undoing it:
// steps holds the indices of the record's steps in the order to make them (undone where undo).
// A file whose next name is taken stays where it is (left says so), and so do the files after
// it that need its name.
struct MovePlan
{
    std::vector<size_t> steps;
    int files = 0; // files that move
    QStringList left; // German lines of the files that stay because a name is taken
};
MovePlan planMoves(const Journal &journal, const FolderScan &scan, const Whereabouts &where,
                   bool undo);

// What carrying out a plan came to.
struct Carried
{
    int error = 0; // 0, or the errno of the failure that stopped every move after it
    QString failure; // the German line of that failure
    bool moving = true; // false: the failure is a leftover that could not be removed
    size_t notTried = 0; // moves after the failure, left for the next attempt
    QStringList left; // German lines of moves that failed for their file alone, and of files
                      // left under a temporary name
    bool hidden = false; // a file is left under a temporary name
    bool ok() const { return error == 0; }
};
// Removes the leftovers, then makes the moves of plan. A move that fails for its file alone
// (gone, or its name taken) leaves that file and goes on; any other failure stops all.
Carried carryOutPlan(const Journal &journal, const Whereabouts &where, const MovePlan &plan,
                     bool undo, FileMover &mover);

// What carrying out a part of a record came to.
struct CarriedOut
{
    size_t reached = 0; // the point of the record the folder is at now
    int error = 0; // 0, or the errno of the move that failed
    QString failure; // the German line of that move
    size_t notTried = 0; // moves after the failed one, left for the next attempt
    bool ok() const { return error == 0; }
};

// Makes the renames [from, to) of the journal, or undoes them in reverse order (to < from),
// each with the no-replace move: the restore after a failed run. Stops at the first move that
// fails, so that the folder stays at a point of the record.
CarriedOut carryOut(const Journal &journal, size_t from, size_t to, FileMover &mover);

// The dialogue of an interrupted run, at start and on F5: asks whether to finish it
// ("Fortsetzen"), give the moved files their old names ("Rückgängig machen") or keep the
// record ("Später"), and does it, file by file: the question says how many files each answer
// moves, and one report afterwards names every file that keeps its name. A run whose folder
// shows it finished or not begun is settled without a question; another card moves nothing
// and keeps the record. Returns the folder to show anew; empty when nothing was moved.
QByteArray recoverInterruptedRun(IRenameWindow &window, JournalStore &store, FileMover &mover);

// Whether the last run can be undone now: its record is readable, its folder can be reached
// and no other copy of the program is at work.
bool canUndoLastRun(JournalStore &store, SysCalls &sys);

// "Letzte Umbenennung rückgängig": asks, then gives the files moved by the last run their old
// names, file by file as the recovery does. The record stays where a move fails for another
// reason than its file. Returns the folder to show anew.
QByteArray undoLastRun(IRenameWindow &window, JournalStore &store, FileMover &mover);
