// SPDX-License-Identifier: GPL-3.0-or-later
#include "executor.h"

#include "filemover.h"
#include "journal.h"

RunResult executePlan(const RenamePlan &plan, FileMover &mover,
                      const std::function<void()> &arrived)
{
    RunResult result;
    const QByteArray prefix = plan.folder + '/';
    // One buffer for each path: a run makes tens of thousands of moves.
    QByteArray from = prefix, to = prefix;
    for (const Step &step : plan.steps) {
        from.truncate(prefix.size());
        from += step.from;
        to.truncate(prefix.size());
        to += step.to;
        if (const int error = mover.MoveFile(from, to)) {
            result.failed = true;
            result.error = error;
            result.reserving = mover.failedReservingDestination();
            break;
        }
        ++result.stepsDone;
        if (arrived && step.to == plan.newNames[size_t(step.file)])
            arrived();
    }
    mover.release();
    return result;
}

namespace {

std::vector<MoveFailure> moveSteps(const QByteArray &folder, const std::vector<Step> &steps,
                                   size_t first, size_t last, bool undo, FileMover &mover)
{
    std::vector<MoveFailure> failures;
    const QByteArray prefix = folder + '/';
    for (size_t i = 0; i < last - first; ++i) {
        const Step &step = steps[undo ? last - 1 - i : first + i];
        const QByteArray &from = undo ? step.to : step.from;
        const QByteArray &to = undo ? step.from : step.to;
        if (const int e = mover.MoveFile(prefix + from, prefix + to))
            failures.push_back({from, to, e, mover.failedReservingDestination()});
    }
    mover.release();
    return failures;
}

} // namespace

std::vector<MoveFailure> undoSteps(const QByteArray &folder, const std::vector<Step> &steps,
                                   size_t first, size_t last, FileMover &mover)
{
    return moveSteps(folder, steps, first, last, true, mover);
}

std::vector<MoveFailure> redoSteps(const QByteArray &folder, const std::vector<Step> &steps,
                                   size_t first, size_t last, FileMover &mover)
{
    return moveSteps(folder, steps, first, last, false, mover);
}

std::vector<Step> stepsOf(const Journal &journal)
{
    std::vector<Step> steps;
    steps.reserve(journal.steps.size());
    for (const JournalStep &step : journal.steps)
        steps.push_back({int(step.file), journal.from(step), journal.to(step)});
    return steps;
}

size_t filesMoved(const std::vector<Step> &steps, size_t done, size_t fileCount)
{
    std::vector<bool> moved(fileCount, false);
    size_t count = 0;
    for (size_t s = 0; s < done && s < steps.size(); ++s) {
        const size_t file = size_t(steps[s].file);
        if (file < fileCount && !moved[file]) {
            moved[file] = true;
            ++count;
        }
    }
    return count;
}

Journal Journal::of(const RenamePlan &plan, SysCalls *sys)
{
    return of(plan.folder, plan.oldNames, plan.newNames, plan.tempNames, plan.steps, sys);
}
