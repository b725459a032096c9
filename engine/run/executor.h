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
