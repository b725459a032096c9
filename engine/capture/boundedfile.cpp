// SPDX-License-Identifier: GPL-3.0-or-later
#include "boundedfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>

namespace {
constexpr qint64 headSize = 16 * 1024;
}

BoundedFile::BoundedFile(const QByteArray &path, const ReadLimits &limits, SysCalls &sys)
    : m_sys(sys)
    , m_fd(sys.openAt(AT_FDCWD, path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY))
    , m_limits(limits)
    , m_deadline(std::chrono::steady_clock::now() + limits.time)
{
    if (m_fd >= 0 && m_sys.fstatFd(m_fd, &m_stat) != 0) {
        m_sys.closeFd(m_fd);
        m_fd = -1;
    }
}

BoundedFile::~BoundedFile()
{
    if (m_fd >= 0)
        m_sys.closeFd(m_fd);
}

bool BoundedFile::expired()
{
    if (!m_expired
        && ((m_limits.cancel && m_limits.cancel->load(std::memory_order_relaxed))
            || std::chrono::steady_clock::now() > m_deadline))
        m_expired = m_stopped = true;
    return m_expired;
}

bool BoundedFile::stopped()
{
    return expired() || m_stopped;
}

qint64 BoundedFile::read(char *buffer, qint64 offset, qint64 length)
{
    if (!ok() || m_failed || stopped() || offset < 0 || length < 0)
        return -1;
    if (offset >= size() || length == 0)
        return 0;
    length = std::min(length, size() - offset);
    const qint64 head = std::min({headSize, size(), m_limits.bytes});
    if (offset + length > head)
        return readFromDisk(buffer, offset, length);
    if (m_head.isEmpty()) {
        m_head.resize(qsizetype(head));
        const qint64 got = readFromDisk(m_head.data(), 0, head);
        m_head.truncate(qsizetype(std::max<qint64>(got, 0)));
        if (got < 0)
            return -1;
    }
    const qint64 n
        = std::min<qint64>(length, m_head.size() - offset); // the file may be shorter now
    if (n <= 0)
        return 0;
    std::memcpy(buffer, m_head.constData() + offset, size_t(n));
    return n;
}

qint64 BoundedFile::readFromDisk(char *buffer, qint64 offset, qint64 length)
{
    if (length > budgetLeft()) {
        m_stopped = true;
        return -1;
    }
    qint64 got = 0;
    while (got < length) {
        const long n
            = m_sys.preadFd(m_fd, buffer + got, (unsigned long)(length - got), long(offset + got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            m_failed = true;
        if (n <= 0)
            break;
        got += n;
    }
    m_bytesRead += got;
    return m_failed ? -1 : got;
}

QByteArray BoundedFile::read(qint64 offset, qint64 length)
{
    if (!ok() || offset < 0 || length <= 0 || offset >= size())
        return QByteArray();
    QByteArray data(qsizetype(std::min(length, size() - offset)), Qt::Uninitialized);
    const qint64 got = read(data.data(), offset, data.size());
    data.truncate(qsizetype(std::max<qint64>(got, 0)));
    return data;
}
