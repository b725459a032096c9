// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "syscalls.h"

#include <QByteArray>

#include <atomic>
#include <chrono>

#include <sys/stat.h>

// How much of one file a metadata reader may read and for how long. Bytes from a card are
// untrusted: whatever a file's structure declares, its reader stops at these limits.
struct ReadLimits
{
    qint64 bytes = 1024 * 1024;
    std::chrono::milliseconds time {2000};
    // Set from another thread to stop the read at once (the program is quitting).
    const std::atomic<bool> *cancel = nullptr;
};

// A range of offsets in a file, from begin up to end.
struct ByteRange
{
    qint64 begin, end;
};

// A regular file opened for reading at offsets, within limits. Every read counts against the
// byte budget; a read that would go over it, one after the deadline or after a cancel, reads
// nothing, and so does every read after it.
class BoundedFile
{
public:
    // Opens without blocking on a FIFO; anything but a regular file is then not ok().
    BoundedFile(const QByteArray &path, const ReadLimits &limits, SysCalls &sys = SysCalls::real());
    ~BoundedFile();
    BoundedFile(const BoundedFile &) = delete;
    BoundedFile &operator=(const BoundedFile &) = delete;

    bool ok() const { return m_fd >= 0 && S_ISREG(m_stat.st_mode); }
    const struct stat &stat() const { return m_stat; }
    qint64 size() const { return qint64(m_stat.st_size); }

    // Reads up to length bytes at offset into buffer: the count read, fewer at the end of the
    // file, or -1 when a limit stopped it.
    qint64 read(char *buffer, qint64 offset, qint64 length);
    // The same as bytes; empty when a limit stopped it.
    QByteArray read(qint64 offset, qint64 length);

    // True once a limit has stopped a read, or when the deadline has passed or a cancel come.
    bool stopped();
    // True when the deadline has passed or a cancel come: nothing read counts then.
    bool expired();
    // True once the file failed a read (EIO of a failing card): every read after it fails too.
    bool failed() const { return m_failed; }
    qint64 bytesRead() const { return m_bytesRead; }
    qint64 budgetLeft() const { return m_limits.bytes - m_bytesRead; }

private:
    qint64 readFromDisk(char *buffer, qint64 offset, qint64 length);

    SysCalls &m_sys;
    int m_fd;
    struct stat m_stat = {};
    ReadLimits m_limits;
    std::chrono::steady_clock::time_point m_deadline;
    qint64 m_bytesRead = 0;
    bool m_stopped = false; // by the budget or expired
    bool m_expired = false;
    bool m_failed = false;
    // The first bytes of the file, read once: every format's readers look at them many times.
    QByteArray m_head;
};
