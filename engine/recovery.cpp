#include "recovery.h"

#include "executor.h"
#include "filemover.h"
#include "folderscan.h"
#include "texts.h"

#include <QHash>

#include <sys/stat.h>

namespace {

// The step index at which each cycle's file leaves its old name and reaches its new name.
struct CycleFile
{
    quint32 file;
    size_t leaves;
    size_t arrives;
};

bool fingerprintAt(SysCalls &sys, int dirFd, const QByteArray &name, const Fingerprint &expected)
{
    struct stat st;
    if (sys.statEntry(dirFd, name.constData(), &st) != 0)
        return false;
    return Fingerprint::of(st) == expected;
}

} // namespace

Progress findProgress(const Journal &journal, const FolderScan &scan, SysCalls &sys)
{
    Progress progress;
    progress.filesTotal = int(journal.files.size());

    // For every name the run touches: whether the run at point k has it, and the folder has it.
    struct Name
    {
        bool expected = false;
        bool present = false;
    };
    QHash<QByteArray, Name> names;
    const auto entry = [&](const QByteArray &name) -> Name & {
        auto it = names.find(scan.key(name));
        if (it == names.end()) {
            it = names.insert(scan.key(name), Name());
            it->present = !scan.holderOf(name).isEmpty();
        }
        return *it;
    };
    for (const JournalStep &step : journal.steps) {
        entry(journal.from(step));
        entry(journal.to(step));
    }
    for (const JournalStep &step : journal.steps) {
        if (step.kind != JournalStep::TempToNew)
            entry(journal.from(step)).expected = true; // every moving file starts at its old name
    }
    qsizetype mismatches = 0;
    for (const Name &n : std::as_const(names))
        mismatches += n.expected != n.present;

    std::vector<size_t> candidates;
    size_t best = 0;
    qsizetype fewest = mismatches;
    const auto set = [&](const QByteArray &name, bool expected) {
        Name &n = entry(name);
        mismatches -= n.expected != n.present;
        n.expected = expected;
        mismatches += n.expected != n.present;
    };
    if (mismatches == 0)
        candidates.push_back(0);
    for (size_t k = 0; k < journal.steps.size(); ++k) {
        set(journal.from(journal.steps[k]), false);
        set(journal.to(journal.steps[k]), true);
        if (mismatches == 0)
            candidates.push_back(k + 1);
        if (mismatches < fewest) {
            fewest = mismatches;
            best = k + 1;
        }
    }

    if (candidates.empty()) {
        progress.exact = false;
        progress.doneSteps = best;
    } else if (candidates.size() == 1) {
        progress.doneSteps = candidates.front();
    } else {
        // The same names at several points: only whole cycles lie between them. Ask where the
        // files of the cycles are.
        std::vector<CycleFile> cycles;
        QHash<quint32, size_t> cycleOf;
        for (size_t k = 0; k < journal.steps.size(); ++k) {
            const JournalStep &step = journal.steps[k];
            if (step.kind == JournalStep::OldToTemp) {
                cycleOf.insert(step.file, cycles.size());
                cycles.push_back({step.file, k, k});
            } else if (step.kind == JournalStep::TempToNew) {
                cycles[cycleOf.value(step.file)].arrives = k;
            }
        }
        const int dirFd = sys.openDirectory(journal.folderPath().constData());
        progress.doneSteps = candidates.front();
        progress.exact = false;
        for (const size_t k : candidates) {
            bool fits = true;
            for (const CycleFile &c : cycles) {
                if (c.leaves < k && c.arrives >= k)
                    continue; // on its temporary name at k; the names already tell
                const JournalFile &f = journal.files[c.file];
                fits = fits
                    && fingerprintAt(sys, dirFd, c.leaves >= k ? f.oldName : f.newName,
                                     f.fingerprint);
            }
            if (fits) {
                progress.doneSteps = k;
                progress.exact = true;
                break;
            }
        }
        if (dirFd >= 0)
            sys.closeFd(dirFd);
    }

    std::vector<bool> arrived(journal.files.size(), false);
    for (size_t k = 0; k < progress.doneSteps; ++k) {
        if (journal.steps[k].kind != JournalStep::OldToTemp)
            arrived[journal.steps[k].file] = true;
    }
    for (size_t i = 0; i < journal.files.size(); ++i)
        progress.filesDone += arrived[i] || journal.files[i].oldName == journal.files[i].newName;
    return progress;
}

QStringList carryOut(const Journal &journal, size_t first, size_t last, bool undo, FileMover &mover)
{
    const std::vector<Step> steps = stepsOf(journal);
    const std::vector<MoveFailure> failures = undo
        ? undoSteps(journal.folder, steps, first, last, mover)
        : redoSteps(journal.folder, steps, first, last, mover);
    QStringList problems;
    for (const MoveFailure &f : failures)
        problems << Texts::failedMove(f.from, f.to,
                                      Texts::moveError(f.error, f.reserving, undo, f.to));
    return problems;
}
