// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "boundedfile.h"

// Exiv2 0.27 hands its images and streams around as std::auto_ptr.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <string>
#include <vector>

// A part of a BoundedFile as Exiv2 sees a file: it reads where Exiv2 seeks, on demand, within
// the file's byte budget and deadline, and reports the part's real size, so that a reader finds
// metadata wherever its container puts it without the file being read whole. Blind ranges are
// read as zeros without touching the file: the media data that Exiv2's box reader loads only to
// skip. Read-only: every write fails.
class Exiv2Stream : public Exiv2::BasicIo
{
public:
    // The part of file from offset begin, length bytes long.
    Exiv2Stream(BoundedFile &file, qint64 begin, qint64 length, std::vector<ByteRange> blind = {});
    ~Exiv2Stream() override;

    int open() override;
    int close() override;
    long write(const Exiv2::byte *data, long count) override;
    long write(Exiv2::BasicIo &source) override;
    int putb(Exiv2::byte data) override;
    Exiv2::DataBuf read(long count) override;
    long read(Exiv2::byte *buffer, long count) override;
    int getb() override;
    void transfer(Exiv2::BasicIo &source) override;
    int seek(long offset, Position from) override;
    // The whole part in memory, where the budget allows it; throws otherwise.
    Exiv2::byte *mmap(bool writeable = false) override;
    int munmap() override;
    long tell() const override;
    size_t size() const override;
    bool isopen() const override;
    int error() const override;
    bool eof() const override;
    std::string path() const override;

private:
    BoundedFile &m_file;
    qint64 m_begin;
    qint64 m_length;
    std::vector<ByteRange> m_blind; // offsets within the part, ascending, not overlapping
    qint64 m_position = 0;
    bool m_error = false;
    bool m_eof = false;
    std::vector<Exiv2::byte> m_mapped;
    // The last larger read: readers load a box whole and then read its parts again.
    qint64 m_recentBegin = 0;
    QByteArray m_recent;
};
