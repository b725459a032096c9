// SPDX-License-Identifier: GPL-3.0-or-later
#include "exiv2stream.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr qint64 recentMinimum = 4096;
}

Exiv2Stream::Exiv2Stream(BoundedFile &file, qint64 begin, qint64 length,
                         std::vector<ByteRange> blind)
    : m_file(file)
    , m_begin(begin)
    , m_length(std::max<qint64>(0, std::min(length, file.size() - begin)))
    , m_blind(std::move(blind))
{
    std::sort(m_blind.begin(), m_blind.end(),
              [](const ByteRange &a, const ByteRange &b) { return a.begin < b.begin; });
}

Exiv2Stream::~Exiv2Stream() = default;

int Exiv2Stream::open()
{
    m_position = 0;
    m_error = m_eof = false;
    return 0;
}

int Exiv2Stream::close()
{
    return 0;
}

long Exiv2Stream::write(const Exiv2::byte *, long)
{
    return 0;
}

long Exiv2Stream::write(Exiv2::BasicIo &)
{
    return 0;
}

int Exiv2Stream::putb(Exiv2::byte)
{
    return EOF;
}

Exiv2::DataBuf Exiv2Stream::read(long count)
{
    // Never more memory than the part has bytes left, whatever count a damaged file makes.
    const long wanted = long(std::clamp<qint64>(count, 0, m_length - m_position));
    Exiv2::DataBuf buffer(wanted);
    buffer.size_ = read(buffer.pData_, wanted);
    return buffer;
}

long Exiv2Stream::read(Exiv2::byte *buffer, long count)
{
    if (count <= 0 || m_error || m_file.stopped()) {
        m_error = m_error || count > 0;
        return 0;
    }
    const qint64 start = m_position;
    const qint64 last = std::min<qint64>(start + count, m_length);
    char *out = reinterpret_cast<char *>(buffer);
    if (start >= m_recentBegin && last <= m_recentBegin + m_recent.size()) {
        std::memcpy(out, m_recent.constData() + (start - m_recentBegin), size_t(last - start));
        m_position = last;
        if (last - start < count)
            m_eof = true;
        return long(last - start);
    }
    qint64 at = start;
    while (at < last) {
        const auto next = std::find_if(m_blind.begin(), m_blind.end(),
                                       [at](const ByteRange &r) { return r.end > at; });
        if (next != m_blind.end() && next->begin <= at) {
            const qint64 n = std::min(next->end, last) - at;
            std::memset(out + (at - start), 0, size_t(n));
            at += n;
            continue;
        }
        const qint64 stop = next != m_blind.end() ? std::min(next->begin, last) : last;
        const qint64 got = m_file.read(out + (at - start), m_begin + at, stop - at);
        if (got < 0)
            m_error = true;
        if (got <= 0)
            break;
        at += got;
        if (at < stop)
            break; // the file is shorter than it was
    }
    m_position = at;
    if (at - start < count)
        m_eof = true;
    if (at - start >= recentMinimum) {
        m_recentBegin = start;
        m_recent = QByteArray(out, qsizetype(at - start));
    }
    return long(at - start);
}

int Exiv2Stream::getb()
{
    Exiv2::byte b;
    return read(&b, 1) == 1 ? int(b) : EOF;
}

void Exiv2Stream::transfer(Exiv2::BasicIo &)
{
    throw Exiv2::Error(Exiv2::kerFunctionNotSupported, "Exiv2Stream::transfer");
}

int Exiv2Stream::seek(long offset, Position from)
{
    const qint64 base = from == beg ? 0 : from == cur ? m_position : m_length;
    const qint64 target = base + offset;
    if (target < 0 || target > m_length || m_file.stopped()) {
        m_error = true;
        return 1;
    }
    m_position = target;
    m_eof = false;
    return 0;
}

Exiv2::byte *Exiv2Stream::mmap(bool writeable)
{
    if (writeable || m_length > m_file.budgetLeft())
        throw Exiv2::Error(Exiv2::kerCallFailed, path(), "mmap", "more than may be read");
    if (m_mapped.size() != size_t(m_length)) {
        m_mapped.assign(size_t(m_length), 0);
        const qint64 keep = m_position;
        m_position = 0;
        const long got = read(m_mapped.data(), long(m_length));
        m_position = keep;
        if (got != m_length)
            throw Exiv2::Error(Exiv2::kerCallFailed, path(), "mmap", "read");
    }
    return m_mapped.data();
}

int Exiv2Stream::munmap()
{
    std::vector<Exiv2::byte>().swap(m_mapped);
    return 0;
}

long Exiv2Stream::tell() const
{
    return long(m_position);
}

size_t Exiv2Stream::size() const
{
    return size_t(m_length);
}

bool Exiv2Stream::isopen() const
{
    return true;
}

int Exiv2Stream::error() const
{
    return m_error ? 1 : 0;
}

bool Exiv2Stream::eof() const
{
    return m_eof;
}

std::string Exiv2Stream::path() const
{
    return std::string();
}
