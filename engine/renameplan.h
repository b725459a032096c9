#pragma once

#include "folderscan.h"

#include <QByteArray>
#include <QString>

#include <vector>

class IRenameWindow;
struct RenameOptions;

// Why a file of a run cannot get its new name; found before any file is touched.
struct Conflict
{
    enum Reason {
        NotAFile, // the listed entry has become a folder or a device
        Missing, // the listed entry is gone
        NameTaken, // an entry outside the run has the new name
        SameName, // another file of the run gets the same name
        TooLong, // longer than the file system allows
    };
    int file; // index into the run's files
    Reason reason;
    QByteArray other; // NameTaken: the entry; SameName: the other file's old name
    EntryType otherType = EntryType::Missing;
};

// One rename of a planned run; a file in a cycle of renames takes two, through a temporary name.
struct Step
{
    int file;
    QByteArray from;
    QByteArray to;
};

// The new name of every file of a run, in list order, made by the name-building procedures.
// window, where given, sees what ErmittleDateiendung does to the extension option.
std::vector<QByteArray> makeNewNames(const QByteArray &folder,
                                     const std::vector<QByteArray> &oldNames,
                                     RenameOptions &options, const QString &preparedName,
                                     int firstNumber, int digits, IRenameWindow *window);

// Every conflict of the planned renames with the folder as scanned. A new name that a file of
// the same run has now is no conflict: that file moves away first. With systemFilesListed off,
// a device cannot have been listed, so one found now has replaced a listed file.
std::vector<Conflict> findConflicts(const FolderScan &scan, const std::vector<QByteArray> &oldNames,
                                    const std::vector<QByteArray> &newNames,
                                    bool systemFilesListed);

// The German line for a conflict: old name, new name and the reason.
QString describeConflict(const Conflict &conflict, const std::vector<QByteArray> &oldNames,
                         const std::vector<QByteArray> &newNames, const FolderScan &scan);
// The reason alone.
QString conflictReason(const Conflict &conflict, const FolderScan &scan);

// The order of renames in which every destination is free when its file moves: chains from
// their free end, cycles through a temporary name of the folder. Files whose name stays are
// left out. tempNames, where given, receives each file's temporary name (empty for most).
std::vector<Step> orderMoves(const FolderScan &scan, const std::vector<QByteArray> &from,
                             const std::vector<QByteArray> &to, std::vector<QByteArray> *tempNames,
                             unsigned &tempCounter);
