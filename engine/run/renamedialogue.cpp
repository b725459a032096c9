// SPDX-License-Identifier: GPL-3.0-or-later
#include "renamedialogue.h"

#include "filemover.h"
#include "folderscan.h"
#include "funktionen.h"
#include "journal.h"
#include "recovery.h"
#include "renamewindow.h"
#include "texts.h"

#include <QStringList>

#include <cerrno>
#include <system_error>
#include <thread>

void runRename(IRenameWindow &window, FileMover &mover, JournalStore *journal)
{
    RenameDialogue(window, mover, journal).run();
}

RenameDialogue::RenameDialogue(IRenameWindow &window, FileMover &mover, JournalStore *journal)
    : m_window(window)
    , m_mover(mover)
    , m_journal(journal)
{ }

void RenameDialogue::run()
{
    const PlanInput input = PlanInput::read(m_window);
    const RenamePlan checked = checkBeforeConfirmation(input);
    if (checked.stop != RenamePlan::Stop::None) {
        reportStop(checked);
        return;
    }
    // What the preview shows, or would show, as refused is refused at once, without the
    // question. A window whose preview of this run shows no conflict saves this read.
    const std::shared_ptr<const PreviewedPlan> previewed = m_window.previewedPlan();
    if (!previewed || previewed->input != input || previewed->plan.stop != RenamePlan::Stop::None) {
        const RenamePlan known = buildPlan(input, FolderScan::read(checked.folder, m_mover.sys()));
        if (known.stop == RenamePlan::Stop::Conflicts
            || known.stop == RenamePlan::Stop::FolderUnreadable) {
            reportStop(known);
            return;
        }
    }
    if (!confirmed(input))
        return;
    // The lock is held from here to the end of the run; the record settles it earlier.
    struct Unlock
    {
        JournalStore *store;
        ~Unlock()
        {
            if (store)
                store->unlock();
        }
    } unlock {m_journal};
    if (!lockedWithNothingPending())
        return;
    // Read after the confirmation: the folder as it is when the first file moves.
    const FolderScan scan = FolderScan::read(checked.folder, m_mover.sys());
    const bool shown = previewed && previewed->madeFrom(input, scan);
    const RenamePlan made = shown ? RenamePlan() : buildPlan(input, scan);
    const RenamePlan &plan = shown ? previewed->plan : made;
    if (plan.stop == RenamePlan::Stop::TooManyFiles) {
        reportStop(plan);
        return;
    }
    // files, or shots where they share numbers, or those of the fullest day
    int selectedCount = plan.largestCount;
    int digits = 2;
    Funktionen::ErmittleStellenanzahl(selectedCount, digits, input.options, m_window);
    if (plan.keepExtensionSwitched)
        m_window.selectKeepExtension();
    if (plan.stop != RenamePlan::Stop::None) {
        reportStop(plan);
        return;
    }
    if (!beginJournal(plan))
        return;
    m_window.setStatusLine(busyCaption(), StatusLook::Busy);
    const RunResult result = executePlan(plan, m_mover, [this] { m_window.repaintNow(); });
    if (result.failed) {
        reportFailure(plan, result);
        return;
    }
    // "Bin fertig!" only when the record no longer says running. The record is settled while
    // the window reads the list again: the folder's sync waits for the disk, the list for the
    // processor.
    int recordError = 0;
    {
        struct Settling
        {
            std::thread thread;
            ~Settling()
            {
                if (thread.joinable())
                    thread.join();
            }
        } settling;
        if (m_recording) {
            try {
                settling.thread = std::thread([&] { recordError = m_journal->complete(); });
            } catch (const std::system_error &) {
                recordError = m_journal->complete(); // no thread to be had
            }
        }
        backToReady();
        m_window.rereadFiles();
    }
    if (recordError != 0) {
        m_window.messageBox(Texts::journalNotCompleted(recordError), MessageKind::Error,
                            errorTitle());
        return;
    }
    complete(plan);
}

bool RenameDialogue::confirmed(const PlanInput &input)
{
    return m_window.messageBox(
               Texts::confirmation(input.options.ShowHidden || input.options.ShowSystem),
               MessageKind::Question, questionTitle())
        == MessageAnswer::Yes;
}

// The message of a check that ends the run before any file is touched, and where the user
// goes on from.
void RenameDialogue::reportStop(const RenamePlan &plan)
{
    switch (plan.stop) {
    case RenamePlan::Stop::None:
        return;
    case RenamePlan::Stop::NothingSelected:
        m_window.messageBox(plan.stopMessage, MessageKind::Warning, inputErrorTitle());
        m_window.showFirstPage(false);
        return;
    case RenamePlan::Stop::TypedName:
        m_window.messageBox(plan.stopMessage, plan.inputProblem->kind, inputErrorTitle());
        if (plan.inputProblem->focus == InputProblem::ExtensionField)
            m_window.focusExtensionField();
        else
            m_window.focusNameField(plan.inputProblem->focus == InputProblem::NameFieldSelected);
        return;
    case RenamePlan::Stop::TooManyFiles:
        m_window.messageBox(plan.stopMessage, MessageKind::Error, inputErrorTitle());
        return;
    case RenamePlan::Stop::CdLimit:
        m_window.messageBox(plan.stopMessage, MessageKind::Error, errorTitle());
        m_window.focusNameField(true);
        return;
    case RenamePlan::Stop::FolderUnreadable:
    case RenamePlan::Stop::Conflicts:
        m_window.messageBox(plan.stopMessage, MessageKind::Error, errorTitle());
        backToReady();
        // The list shows what the folder no longer holds: read it again.
        if (plan.folderChanged())
            m_window.rereadFiles();
        return;
    }
}

// Takes the lock of the record store, so that one run at a time renames, also across copies of
// the program; a lock that cannot be taken refuses the run, whatever the reason. A record of an
// interrupted run is never overwritten: its recovery is offered first, and while it waits
// ("Später", or its card is not there) no other run begins.
bool RenameDialogue::lockedWithNothingPending()
{
    if (!m_journal)
        return true;
    const auto locked = [this] {
        const int error = m_journal->lock();
        if (error != 0) {
            m_window.messageBox(error == EWOULDBLOCK ? Texts::anotherRunGoingOn()
                                                     : Texts::lockFailed(error),
                                MessageKind::Warning, warningTitle());
            backToReady();
        }
        return error == 0;
    };
    if (!locked())
        return false;
    if (!m_journal->hasRunning())
        return true;
    recoverInterruptedRun(m_window, *m_journal, m_mover); // releases the lock when done
    if (!locked())
        return false;
    if (!m_journal->hasRunning())
        return true;
    refusePending();
    return false;
}

void RenameDialogue::refusePending()
{
    Journal pending;
    const bool named = m_journal->loadRunning(&pending) == JournalStore::Load::Ok;
    m_window.messageBox(Texts::interruptedRunFirst(named ? pending.folderPath() : QByteArray()),
                        MessageKind::Warning, warningTitle());
    backToReady();
}

// Records the plan before the first rename, so that a run cut short by a crash can be finished
// or undone at the next start. Without a record the user decides whether to go on.
bool RenameDialogue::beginJournal(const RenamePlan &plan)
{
    m_recording = m_journal && !plan.steps.empty(); // nothing to record without a move
    if (!m_recording)
        return true;
    m_record = Journal::of(plan);
    const int error = m_journal->begin(m_record);
    if (error == 0)
        return true;
    m_recording = false;
    if (error == EWOULDBLOCK) { // one run at a time, also across copies of the program
        m_window.messageBox(Texts::anotherRunGoingOn(), MessageKind::Warning, warningTitle());
        backToReady();
        return false;
    }
    if (error == EEXIST) {
        refusePending();
        return false;
    }
    if (m_window.messageBox(Texts::journalNotWritten(error), MessageKind::Question, questionTitle())
        == MessageAnswer::Yes)
        return true;
    backToReady();
    return false;
}

// After the status line is back to ready and the list read again.
void RenameDialogue::complete(const RenamePlan &plan)
{
    m_window.setOptionText(OptionText::Text2, plan.preparedName);
    m_window.selectKeepExtension();
    m_window.setOptionText(OptionText::Text3, QStringLiteral("1"));
    m_window.setOptionChecked(OptionCheck::Check1, true);
    m_window.setOptionChecked(OptionCheck::Check3, false);
    m_window.setOptionChecked(OptionCheck::Check4, false);
    m_window.messageBox(Texts::done(), MessageKind::Information, doneTitle());
    m_window.showFirstPage(true);
    m_window.clearSelectionToTop();
}

void RenameDialogue::reportFailure(const RenamePlan &plan, const RunResult &result)
{
    const size_t done = result.stepsDone;
    const Step &failed = plan.steps[done];
    // Where each file is after the moves made: its new name, or a temporary one.
    std::vector<const QByteArray *> at(plan.oldNames.size(), nullptr);
    for (size_t s = 0; s < done; ++s)
        at[size_t(plan.steps[s].file)] = &plan.steps[s].to;
    qsizetype renamed = 0;
    QStringList hidden;
    for (size_t i = 0; i < at.size(); ++i) {
        if (!at[i])
            continue;
        if (*at[i] == plan.newNames[i])
            ++renamed;
        else if (*at[i] == plan.tempNames[i])
            hidden << Texts::hiddenFile(plan.oldNames[i], plan.tempNames[i]);
    }
    const size_t file = size_t(failed.file);
    m_window.messageBox(
        Texts::runFailed(plan.oldNames[file], plan.newNames[file],
                         Texts::moveError(result.error, result.reserving, false, failed.to),
                         renamed, hidden),
        MessageKind::Error, errorTitle());
    // Undone in reverse up to the first move that fails, so that the folder is always at a
    // point of the record; the record then keeps the moves still made.
    size_t reached = done;
    // The same view of the run where no record is kept; nothing is read from the disk, which
    // has just failed a move.
    Journal unrecorded;
    if (!m_recording && done > 0)
        unrecorded = Journal::fromPlan(plan);
    const Journal &record = m_recording ? m_record : unrecorded;
    const int moved = record.filesMoved(done);
    if (moved > 0
        && m_window.messageBox(Texts::restoreQuestion(moved), MessageKind::Question,
                               questionTitle())
            == MessageAnswer::Yes) {
        const CarriedOut back = carryOut(record, done, 0, m_mover);
        reached = back.reached;
        if (!back.ok())
            m_window.messageBox(Texts::notRestored(back.failure, back.notTried), MessageKind::Error,
                                errorTitle());
    }
    if (m_recording) {
        // What is still renamed stays undoable as the last run; a run fully undone leaves no
        // record.
        int recordError = 0;
        if (reached == 0) {
            recordError = m_journal->discardRunning(plan.folder);
        } else {
            m_record.steps.resize(reached);
            recordError = m_journal->keepAsLast(m_record);
        }
        if (recordError != 0)
            m_window.messageBox(Texts::journalNotUpdated(recordError), MessageKind::Error,
                                errorTitle());
    }
    backToReady();
    m_window.rereadFiles();
}

void RenameDialogue::backToReady()
{
    m_window.setStatusLine(readyCaption(), StatusLook::Ready);
}
