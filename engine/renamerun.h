#pragma once

class IRenameWindow;

// What "Dateien umbenennen >>" does: checks the selection and the options, asks for
// confirmation, then renames every selected file of the shown folder in list order and puts
// the window back into its ready state. Every failed check ends the run before any file is
// touched; a failed move stops the run at that file and offers to undo the renames before it.
void runRename(IRenameWindow &window);

// The line of characters a new name must not contain, in the order the message lists them.
extern const char forbiddenNameCharacters[];
