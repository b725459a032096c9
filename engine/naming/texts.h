// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Every German text the engine shows: box titles, captions, messages and reasons.

#include <QByteArray>
#include <QString>
#include <QStringList>

// Title of every message box that has none of its own.
QString programTitle();
// The titles of the message boxes and the two captions of the status line.
QString questionTitle();
QString errorTitle();
QString inputErrorTitle();
QString warningTitle(); // "Achtung!"
QString doneTitle(); // "Bin fertig!"
QString readyCaption();
QString busyCaption();

namespace Texts {

// "„name“", the name decoded for display.
QString quoted(const QByteArray &name);
// "1 Datei", "2 Dateien".
QString files(qsizetype count);

// Checks of the run before its confirmation.
QString noFilesSelected();
QString enterNewName();
QString forbiddenCharacters(); // with the line of characters
QString controlCharactersInName();
QString leadingDot();
QString slashInExtension();
QString controlCharactersInExtension();
// The line of characters a new name must not contain, in the order the message lists them.
extern const char forbiddenNameCharacters[];

QString confirmation(bool hiddenOrSystemShown);
QString digitsCorrected();
QString tooManyFiles(int selectedCount, int maxSum);
// The same where the files of a shot share one number: the shots count.
QString tooManyShots(int shotCount, int maxSum);
QString cdLimit();
QString done();

// The folder could not be read before the run.
QString folderUnreadable(int error);
// The box that lists what keeps files from their new names; lines are the first few.
QString conflicts(qsizetype count, const QStringList &lines, qsizetype notShown);

// Reasons of a conflict found before the run.
QString notAFile();
QString missing();
QString tooLong(long nameMax, bool countsCharacters);
QString sameNewName(const QByteArray &other);
// other is of the same shot: one number, and one typed extension for both.
QString sameShotName(const QByteArray &other);
QString folderTaken(const QByteArray &name);
QString symlinkTaken(const QByteArray &name);
QString hiddenFileTaken(const QByteArray &name);
QString unselectedFileTaken(const QByteArray &name);
QString entryTaken(const QByteArray &name);
QString conflictLineNotAFile(const QByteArray &oldName);
QString conflictLineMissing(const QByteArray &oldName);
QString conflictLine(const QByteArray &oldName, const QByteArray &newName, const QString &reason);

// What the system said, in German: the usual errors of a card and a disk by name, any other
// as "Systemfehler N (the system's text)".
QString systemError(int error);
// Why a move failed. reserving: the new name could not be reserved for the last-resort rename;
// restoring: the move was to give the file its old name, destination, back.
QString moveError(int error, bool reserving, bool restoring, const QByteArray &destination);
// One move that failed: "„from“ → „to“: reason".
QString failedMove(const QByteArray &from, const QByteArray &to, const QString &reason);

// After a move of the run failed. renamed: files that carry their new names; hidden: lines
// "„old“ als „temporary“" of files left under a temporary name.
QString runFailed(const QByteArray &oldName, const QByteArray &newName, const QString &reason,
                  qsizetype renamed, const QStringList &hidden);
// Whether the moved files shall get their old names back.
QString restoreQuestion(qsizetype moved);
// The restore after a failed run stopped at failure; notTried moves were left as they are.
QString notRestored(const QString &failure, size_t notTried);
// A second copy of the program is renaming: nothing was renamed.
QString anotherRunGoingOn();
// The lock that keeps a second copy from renaming at the same time cannot be taken.
QString lockFailed(int error);
// A new run is refused while the record of an interrupted one (in folder, empty where the
// record cannot be read) waits.
QString interruptedRunFirst(const QByteArray &folder);
QString journalNotCompleted(int error);
QString journalNotUpdated(int error);
// The reason a write of the run record failed, without a closing full stop (it stands in
// brackets or before one).
QString journalError(int error);
QString hiddenFile(const QByteArray &oldName, const QByteArray &tempName);

// The run's record could not be written.
QString journalNotWritten(int error);

// The record of a run at start, on F5 and for "Letzte Umbenennung rückgängig".
// The state folder is a link or someone else's: nothing is renamed.
QString stateFolderRefused(const QString &folder);
QString journalDamaged();
QString journalUnreadable();
// Which record a warning about its folder is about.
enum class Record { Interrupted, Last };
// The warnings "Achtung!" about the record's folder: nothing is moved, the record stays.
QString otherVolume(Record record, const QByteArray &folder, const QByteArray &uuidHere,
                    const QByteArray &uuidRecorded);
QString journalFolderUnreachable(Record record, const QByteArray &folder);
QString journalFolderUnreadable(Record record, const QByteArray &folder, int error);
// misfits: the lines of the files of the record's sample that the folder does not hold.
QString journalFilesNotThere(Record record, const QByteArray &folder, const QStringList &misfits);
QString misfitMissing(const QByteArray &name);
QString misfitOtherFile(const QByteArray &name);
// The last line of a list cut short: "und N weitere".
QString andMore(qsizetype count);

// Lines of the files a recovery or an undo leaves as they are.
QString fileMissing(const QByteArray &name);
QString fileRenamedSince(const QByteArray &name, const QByteArray &holder);
QString fileChanged(const QByteArray &name);
QString fileUnclear(const QByteArray &name);
QString nameTaken(const QByteArray &name, const QByteArray &taken);
// The one report of the files that kept their names; recordKept: a file is left under a
// temporary name, so the record stays.
QString filesLeft(const QStringList &lines, bool recordKept = false);

// ahead, back: the files that "Fortsetzen" and "Rückgängig machen" move; staying: files that
// keep their names either way.
QString recoveryQuestion(const QByteArray &folder, int filesDone, int filesTotal, int ahead,
                         int back, qsizetype staying);
QString undoQuestion(const QByteArray &folder, qsizetype files, qsizetype staying = 0);
// The empty placeholder a cut move left could not be removed.
QString leftoverNotRemoved(const QByteArray &name, int error);
// A recovery or an undo stopped at failure: the line of a move that failed (moving), else the
// text of the leftover that could not be removed; notTried moves were left. undoButton: the
// undo of "Letzte Umbenennung rückgängig", else the recovery at start or F5.
QString recoveryFailed(const QString &failure, bool moving, size_t notTried, bool undoButton,
                       const QStringList &left = QStringList());
// What was settled when the record could not be updated afterwards.
enum class Settled { LastRunComplete, InterruptedRunComplete, OldNamesBack };
QString recordNotUpdated(Settled settled, int error);

} // namespace Texts
