// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderreader.h"

#include "displayname.h"
#include "syscalls.h"

#include <QCollator>

#include <algorithm>
#include <cstring>

QString ListedName::shown() const
{
    return displayName(raw);
}

namespace {

// German order without regard to case: Ä, Ö, Ü next to A, O, U and ß as ss.
int compareGerman(const QString &a, const QString &b)
{
    static const QCollator collator = [] {
        QCollator c(QLocale(QLocale::German, QLocale::Germany));
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator.compare(a, b);
}

// Case-insensitive order of two names: byte by byte while both are ASCII, which is what the
// German order does there; from the first other byte on, by their decoded text in German order.
int compareNames(const QByteArray &a, const QByteArray &b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const uchar x = uchar(a[i]);
        const uchar y = uchar(b[i]);
        if (x >= 0x80 || y >= 0x80)
            return compareGerman(displayName(a.mid(i)), displayName(b.mid(i)));
        const int lx = x >= 'A' && x <= 'Z' ? x + 32 : x;
        const int ly = y >= 'A' && y <= 'Z' ? y + 32 : y;
        if (lx != ly)
            return lx - ly;
    }
    return int(a.size() - b.size());
}

} // namespace

void sortNames(std::vector<ListedName> &names)
{
    // Sorted through keys side by side in one buffer: for names of ASCII only, the lower-case
    // bytes, which compare as compareNames does, without reaching into each name's own memory.
    struct Key
    {
        quint32 offset;
        quint32 size;
        bool ascii;
        quint32 index;
    };
    QByteArray folded;
    std::vector<Key> keys;
    keys.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        const QByteArray &raw = names[i].raw;
        const bool ascii
            = std::all_of(raw.begin(), raw.end(), [](char c) { return uchar(c) < 0x80; });
        keys.push_back({quint32(folded.size()), quint32(raw.size()), ascii, quint32(i)});
        if (ascii) {
            for (const char c : raw)
                folded += c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        }
    }
    const char *base = folded.constData();
    std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
        const QByteArray &x = names[a.index].raw;
        const QByteArray &y = names[b.index].raw;
        int c;
        if (a.ascii && b.ascii) {
            c = std::memcmp(base + a.offset, base + b.offset, std::min(a.size, b.size));
            if (c == 0)
                c = int(a.size) - int(b.size);
        } else {
            c = compareNames(x, y);
        }
        return c != 0 ? c < 0 : x < y;
    });
    std::vector<ListedName> sorted;
    sorted.reserve(names.size());
    for (const Key &k : keys)
        sorted.push_back(std::move(names[k.index]));
    names = std::move(sorted);
}

namespace {

// The entries of scan that accept takes, sorted.
template<typename Accept> std::vector<ListedName> listed(const FolderScan &scan, Accept accept)
{
    std::vector<ListedName> names;
    for (int e = 0; e < scan.entryCount(); ++e) {
        if (accept(scan, e))
            names.push_back({scan.name(e)});
    }
    sortNames(names);
    return names;
}

FolderScan listingOf(const QByteArray &folder)
{
    return FolderScan::read(folder, SysCalls::real(), FolderScan::Details::Listing);
}

} // namespace

std::vector<ListedName> readFiles(const FolderScan &scan, FileFilter filter)
{
    return listed(scan, [filter](const FolderScan &s, int e) {
        const EntryType type = s.shownType(e);
        if (type == EntryType::Folder)
            return false;
        // A device, socket, FIFO or a link that leads nowhere is a system file.
        const bool hidden = s.name(e).startsWith('.') || s.dosHiddenFlag(e);
        const bool system = type != EntryType::File || s.dosSystemFlag(e);
        return (!hidden || filter.showHidden) && (!system || filter.showSystem);
    });
}

std::vector<ListedName> readFiles(const QByteArray &folder, FileFilter filter)
{
    return readFiles(listingOf(folder), filter);
}

std::vector<ListedName> readSubFolders(const QByteArray &folder)
{
    return listed(listingOf(folder), [](const FolderScan &scan, int e) {
        return scan.shownType(e) == EntryType::Folder && !scan.name(e).startsWith('.');
    });
}

bool canReadFolder(const QByteArray &folder)
{
    SysCalls &sys = SysCalls::real();
    const int fd = sys.openDirectory(folder.isEmpty() ? "/" : folder.constData());
    if (fd < 0)
        return false;
    sys.closeFd(fd);
    return true;
}
