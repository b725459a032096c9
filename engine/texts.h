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
QString journalNotCompleted(int error);
QString journalNotUpdated(int error);
// The reason a write of the run record failed, without a closing full stop (it stands in
// brackets or before one).
QString journalError(int error);
QString hiddenFile(const QByteArray &oldName, const QByteArray &tempName);

// The run's record could not be written.
QString journalNotWritten(int error);

// The record of a run at start and the undo of the last run.
QString journalDamaged();
QString journalFolderUnreachable(const QByteArray &folder);
QString recoveryQuestion(const QByteArray &folder, int filesDone, int filesTotal);
QString recoveryProblems(const QStringList &lines);
QString undoQuestion(const QByteArray &folder, qsizetype files);
QString undoProblems(const QStringList &lines);

} // namespace Texts
