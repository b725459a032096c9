// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "renameplan.h"

#include <QByteArray>

#include <functional>
#include <vector>

class FileMover;
struct Journal;

// What a run of a plan did: its steps before stepsDone are made; when failed, the step
// steps[stepsDone] failed with error and nothing after it was tried.
struct RunResult
{
    size_t stepsDone = 0;
    bool failed = false;
    int error = 0;
    bool reserving = false; // it failed while reserving its destination (the file untouched)
};

// Makes the moves of plan in order, each a no-replace move, and stops at the first that fails.
// arrived runs after every move that gives a file its new name.
RunResult executePlan(const RenamePlan &plan, FileMover &mover,
                      const std::function<void()> &arrived = {});

// One move that failed, as it was tried.
struct MoveFailure
{
    QByteArray from;
    QByteArray to;
    int error = 0;
    bool reserving = false;
};

// Undoes the moves [first, last) of steps in folder, in reverse order, so that each name is
// free again when its file comes back to it. A move that fails is listed and the others go
// on. The restore after a failed run and the undo of a recorded run both come here.
std::vector<MoveFailure> undoSteps(const QByteArray &folder, const std::vector<Step> &steps,
                                   size_t first, size_t last, FileMover &mover);
// Makes the moves [first, last) of steps in folder, in order; a move that fails is listed and
// the others go on.
std::vector<MoveFailure> redoSteps(const QByteArray &folder, const std::vector<Step> &steps,
                                   size_t first, size_t last, FileMover &mover);

// The moves of a recorded run, as steps.
std::vector<Step> stepsOf(const Journal &journal);

// The files that the steps [0, done) moved at least once.
size_t filesMoved(const std::vector<Step> &steps, size_t done, size_t fileCount);
