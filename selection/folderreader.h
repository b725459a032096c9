// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "folderscan.h"

#include <QByteArray>
#include <QString>

#include <vector>

// One listed name: the raw bytes the file system has; decoded only to be shown.
struct ListedName
{
    QByteArray raw;
    QString shown() const;
};

// Which files of a folder count as hidden and as system files.
struct FileFilter
{
    bool showHidden = false;
    bool showSystem = false;
};

// The files of folder (no sub-folders; a symlink to a file is a file, a dangling one a system
// file), filtered and sorted by name without regard to case, in German order (Ä with A, ß as ss),
// names that differ only in case in byte order. Hidden: a leading dot, or the DOS
// hidden attribute on FAT and NTFS media. System: device nodes, sockets, FIFOs, dangling
// symlinks, and the DOS system attribute. A folder that cannot be read gives no files. The
// folder is read by the engine's folder scan, as the preview and the run read it.
std::vector<ListedName> readFiles(const QByteArray &folder, FileFilter filter);
// The same from a scan of the folder read with FolderScan::Details::Listing.
std::vector<ListedName> readFiles(const FolderScan &scan, FileFilter filter);

// The sub-folders of folder that do not begin with a dot, sorted like the files.
std::vector<ListedName> readSubFolders(const QByteArray &folder);

// Whether the folder can be opened for listing.
bool canReadFolder(const QByteArray &folder);
