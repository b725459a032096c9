#pragma once

#include "renamewindow.h"

#include <QString>

#include <optional>

class IRenameWindow;
struct RenameOptions;

// What "Dateien umbenennen >>" does: checks the selection and the options, asks for
// confirmation, plans every new name, checks the plan against the folder, then renames every
// selected file of the shown folder and puts the window back into its ready state. Every
// failed check and every conflict ends the run before any file is touched; a move that still
// fails stops the run at that file and offers to undo the renames before it.
void runRename(IRenameWindow &window);

// The line of characters a new name must not contain, in the order the message lists them.
extern const char forbiddenNameCharacters[];

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

// Why a move failed, in German. reserving: the new name could not be reserved for the
// last-resort rename; restoring: the move gave a file its old name back.
QString moveErrorReason(int error, bool reserving, bool restoring);

// The messages of the limits the run checks after its confirmation.
QString tooManyFilesMessage(int selectedCount);
QString cdLimitMessage();
// Whether a name is longer than a CD's 64 characters.
bool exceedsCdLimit(const QByteArray &newName);
