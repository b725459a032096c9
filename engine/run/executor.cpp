// SPDX-License-Identifier: GPL-3.0-or-later
#include "executor.h"

#include "filemover.h"

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
