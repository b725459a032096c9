// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "syscalls.h"

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// Renames files inside one folder and never replaces an existing entry, on any file system:
// renameat2(RENAME_NOREPLACE) where the kernel and file system support it, else link + unlink,
// else a rename onto an exclusively created placeholder. A rename that changes only the letter
// case goes through a temporary name where the file system folds case.
class FileMover
{
public:
    explicit FileMover(std::unique_ptr<SysCalls> sys = std::make_unique<SysCalls>());
    virtual ~FileMover();
    FileMover(const FileMover &) = delete;
    FileMover &operator=(const FileMover &) = delete;

    // Moves oldFullPath to newFullPath, both in the same folder. Returns 0 or the errno of the
    // failure; on failure nothing has changed. The folder stays open until release().
    virtual int MoveFile(const QByteArray &oldFullPath, const QByteArray &newFullPath);
    // Whether the last failed move failed while reserving the new name for the last-resort
    // rename (the file itself was there and untouched).
    bool failedReservingDestination() const { return m_failedReserving; }

    SysCalls &sys() { return *m_sys; }

    // Closes the folder kept open between moves.
    void release();

private:
    int openFolder(QByteArrayView folder);
    int moveInFolder(const char *from, const char *to);
    int moveNoCaseCheck(const char *from, const char *to);
    int moveCaseOnly(const char *from, const char *to);

    std::unique_ptr<SysCalls> m_sys;
    QByteArray m_folder;
    int m_dirFd = -1;
    bool m_noReplaceWorks = true;
    bool m_linkWorks = true;
    bool m_failedReserving = false;
    unsigned m_tempCounter = 0;
};
