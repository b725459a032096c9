// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "capturetime.h"
#include "folderscan.h"
#include "renameoptions.h"
#include "renamewindow.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

// Why a file of a run cannot get its new name; found before any file is touched.
struct Conflict
{
    enum Reason {
        NotAFile, // the listed entry has become a folder, a device, a pipe or a socket
        Missing, // the listed entry is gone
        NameTaken, // an entry outside the run has the new name
        SameName, // another file of the run gets the same name
        SameShot, // another file of its shot gets the same name (one number, one typed extension)
        TooLong, // longer than the file system allows
    };
    int file; // index into the run's files
    Reason reason;
    QByteArray other; // NameTaken: the entry; SameName, SameShot: the other file's old name
    EntryType otherType = EntryType::Missing;
};

// One rename of a planned run; a file in a cycle of renames takes two, through a temporary name.
struct Step
{
    int file;
    QByteArray from;
    QByteArray to;
};

// The new name of every file of a run, made by the name-building procedures. Without shots
// the files take the numbers one by one from firstNumber; with shots (one per file) each file
// takes firstNumber + its shot. keptExtensions, where given, holds for each file the extension
// it keeps instead of the one after its last dot (empty: that one). prefixes, where given, hold
// for each file what its name begins with (its capture date). window, where given, sees what
// ErmittleDateiendung does to the extension option.
std::vector<QByteArray> makeNewNames(const QByteArray &folder,
                                     const std::vector<QByteArray> &oldNames,
                                     RenameOptions &options, const QString &preparedName,
                                     int firstNumber, int digits, IRenameWindow *window,
                                     const std::vector<int> &shots = {},
                                     const std::vector<QByteArray> &keptExtensions = {},
                                     const std::vector<QByteArray> &prefixes = {});

// "2024-07-01 ", what a name of day begins with: the date and a blank, or "_" where blanks
// become underscores.
QByteArray datePrefix(qint64 day, const RenameOptions &options);

// Every conflict of the planned renames with the folder as scanned. A new name that a file of
// the same run has now is no conflict: that file moves away first. With systemFilesListed off,
// a device, pipe or socket cannot have been listed, so one found now has replaced a listed
// file. shots, where given (one per file), mean that files share numbers, so that two new names
// can be equal on any folder.
std::vector<Conflict> findConflicts(const FolderScan &scan, const std::vector<QByteArray> &oldNames,
                                    const std::vector<QByteArray> &newNames, bool systemFilesListed,
                                    const std::vector<int> &shots = {});

// The German line for a conflict: old name, new name and the reason.
QString describeConflict(const Conflict &conflict, const std::vector<QByteArray> &oldNames,
                         const std::vector<QByteArray> &newNames, const FolderScan &scan);
// The reason alone.
QString conflictReason(const Conflict &conflict, const FolderScan &scan);

// The order of renames in which every destination is free when its file moves: chains from
// their free end, cycles through a temporary name of the folder. Where the folder ignores case,
// a file whose new name differs in case only also goes through a temporary name, in two steps
// of its own. Files whose name stays are left out. tempNames, where given, receives each file's
// temporary name (empty for most).
std::vector<Step> orderMoves(const FolderScan &scan, const std::vector<QByteArray> &from,
                             const std::vector<QByteArray> &to, std::vector<QByteArray> *tempNames,
                             unsigned &tempCounter);

// A typed name or extension the run refuses before its confirmation, with where the focus goes.
struct InputProblem
{
    enum Focus { NameField, NameFieldSelected, ExtensionField };
    QString message;
    MessageKind kind;
    Focus focus;
};
std::optional<InputProblem> checkTypedNames(const RenameOptions &options);

// The new base name as the run uses it: blanks to "_" and umlauts spelled out, as switched on.
QString prepareName(QString name, const RenameOptions &options);

// Whether a name is longer than a CD's 64 characters.
bool exceedsCdLimit(const QByteArray &newName);

// What a run is planned from: the folder shown, the selected files in list order, the option
// values and, for the order of capture times, what the window knows of the files. The plan never
// reads a file itself.
struct PlanInput
{
    QByteArray folder; // as Dir1 shows it
    std::vector<QByteArray> oldNames;
    RenameOptions options;
    // With CaptureOrder: the capture time of each of oldNames as read; with CaptureGroups:
    // theirs too, for the content identifiers of Live Photos; empty otherwise.
    std::vector<CaptureTime> times;
    // What the times of each camera body are corrected by before they are used.
    ClockOffsets clockOffsets;
    // With CaptureGroups: every name of the file list, to find the unselected files of a shot.
    std::vector<QByteArray> listed;

    // ReadTimes reads times through the window (its cache); WithoutTimes leaves them empty for
    // the caller to fill.
    enum Times { ReadTimes, WithoutTimes };
    static PlanInput read(const IRenameWindow &window, Times times = ReadTimes);
    bool operator==(const PlanInput &) const = default;
};

// The whole of a planned run, before any file is touched: what the preview shows, what the
// run carries out and what its record holds. Where a check stops the run, the plan holds the
// stop and its message, and nothing after that check.
struct RenamePlan
{
    // Why the run would stop, in the order the run checks.
    enum class Stop {
        None,
        NothingSelected,
        TypedName, // see inputProblem
        TooManyFiles, // start number + number of files above maxNumberSum
        CdLimit,
        FolderUnreadable, // stopMessage holds the error
        Conflicts,
    };

    QByteArray folder; // without a trailing separator
    // The files of the run: in list order, or with CaptureOrder or CaptureGroups in the order
    // of their numbers. Everything below that is by file follows this order.
    std::vector<QByteArray> oldNames;
    RenameOptions options; // as the names were made (an empty typed extension keeps the old)
    // By file, with CaptureOrder: the time its number follows, its shot's where files share one,
    // with its camera's clock corrected by clockOffsets.
    std::vector<CaptureTime> times;
    ClockOffsets clockOffsets;
    std::vector<int> shots; // by file: its number is firstNumber + shot; empty with both off
    int numberCount = 0; // the numbers the run gives: one per file, or per shot with groups
    // By file, with CaptureOrder and CaptureDate or NumberPerDay: its capture day (days since
    // 1970-01-01, see captureDays), its shot's where files share one.
    std::vector<qint64> days;
    // By file, with CaptureOrder and NumberPerDay: its number is firstNumber + dayShot, the
    // place of its shot (or file) among those of its day.
    std::vector<int> dayShots;
    // The numbers of the longest count: numberCount, or with numbers per day those of the day
    // with the most. The digit count goes by it.
    int largestCount = 0;
    // With CaptureOrder: shots (files, without groups) timed by their modification time.
    int withoutCaptureTime = 0;
    // Listed files that are not selected but belong to a shot of the run: they keep their names.
    struct UnselectedOfShot
    {
        QByteArray name;
        int shot;
    };
    std::vector<UnselectedOfShot> unselectedOfShots; // in list order
    // By file, with CaptureGroups, or empty: a selected file of the same stem that is another
    // Live Photo and so not of this file's shot; empty for none.
    std::vector<QByteArray> otherLivePhotos;
    QString preparedName;
    int firstNumber = 0;
    int digits = 0;
    bool keepExtensionSwitched = false; // Optionbtn2 with no extension: the run keeps the old
    std::vector<QByteArray> newNames;
    std::vector<QByteArray> tempNames; // by file; empty for a file without a temporary name
    std::vector<Step> steps;
    std::vector<Conflict> conflicts;
    Stop stop = Stop::None;
    QString stopMessage; // the German message of the stop; empty with None
    std::optional<InputProblem> inputProblem;

    // Whether the plan found the folder no longer as listed: a selected file is gone or has
    // become something else, or the folder cannot be read.
    bool folderChanged() const;
};

// A plan kept with what it was made from, by a window that shows it: the run carries it out
// as it is where planning again would make the same plan, and so saves planning tens of
// thousands of files a second time.
struct PreviewedPlan
{
    PlanInput input;
    std::shared_ptr<const FolderScan> scan;
    RenamePlan plan;

    // Whether buildPlan(input, scan) makes this plan.
    bool madeFrom(const PlanInput &input, const FolderScan &scan) const;
};

// The one function that plans a run: the checks of the run in their order, the new names, the
// conflicts with the folder as scanned and the order of the moves.
RenamePlan buildPlan(const PlanInput &input, const FolderScan &scan);
// The checks before the confirmation question alone; Stop::None when they pass.
RenamePlan checkBeforeConfirmation(const PlanInput &input);
