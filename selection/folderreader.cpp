// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderreader.h"

#include "displayname.h"
#include "syscalls.h"

#include <QCollator>

#include <algorithm>
#include <cstdint>
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
int compareNames(QByteArrayView a, QByteArrayView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const uchar x = uchar(a[i]);
        const uchar y = uchar(b[i]);
        if (x >= 0x80 || y >= 0x80)
            return compareGerman(displayName(a.sliced(i).toByteArray()),
                                 displayName(b.sliced(i).toByteArray()));
        const int lx = x >= 'A' && x <= 'Z' ? x + 32 : x;
        const int ly = y >= 'A' && y <= 'Z' ? y + 32 : y;
        if (lx != ly)
            return lx - ly;
    }
    return int(a.size() - b.size());
}

// The entries of scan in the order of compareNames, names that differ only in case in byte
// order. A file list is sorted after every rename run, and the sort is most of the list's time:
// it goes through keys side by side in one array. A key of a name of ASCII only holds the eight
// lower-case bytes that follow what all such names begin with (a card's "IMG_", "DSC0"), as a
// number that compares as the bytes do; most comparisons end there, without reaching into the
// names.
void sortEntries(const FolderScan &scan, std::vector<int> &entries)
{
    struct Key
    {
        quint64 window; // the bytes at common .. common + 7, zero past the name's end
        quint32 offset; // of the lower-case name in folded
        quint32 size;
        int entry;
        bool ascii;
    };
    size_t total = 0;
    for (const int e : entries)
        total += size_t(scan.nameView(e).size());
    std::vector<char> folded(total);
    std::vector<Key> keys;
    keys.reserve(entries.size());
    char *at = folded.data();
    size_t common = SIZE_MAX;
    const char *first = nullptr;
    for (const int e : entries) {
        const QByteArrayView raw = scan.nameView(e);
        bool ascii = true;
        char *out = at;
        for (const char c : raw) {
            ascii = ascii && uchar(c) < 0x80;
            *out++ = c >= 'A' && c <= 'Z' ? char(c + 32) : c;
        }
        keys.push_back({0, quint32(at - folded.data()), quint32(raw.size()), e, ascii});
        if (ascii) {
            if (!first) {
                first = at;
                common = size_t(raw.size());
            }
            size_t same = 0;
            while (same < common && same < size_t(raw.size()) && at[same] == first[same])
                ++same;
            common = same;
        }
        at = out;
    }
    if (!first)
        common = 0;
    for (Key &k : keys) {
        for (size_t i = common; i < common + 8; ++i)
            k.window = k.window << 8 | (i < k.size ? uchar(folded[k.offset + i]) : 0);
    }
    const char *base = folded.data();
    std::sort(keys.begin(), keys.end(), [&](const Key &a, const Key &b) {
        int c;
        if (a.ascii && b.ascii) {
            // Equal windows with an end in them are equal names: no name holds a zero byte.
            if (a.window != b.window)
                return a.window < b.window;
            const size_t n = std::min(a.size, b.size);
            c = n > common + 8 ? std::memcmp(base + a.offset + common + 8,
                                             base + b.offset + common + 8, n - common - 8)
                               : 0;
            if (c == 0)
                c = int(a.size) - int(b.size);
        } else {
            c = compareNames(scan.nameView(a.entry), scan.nameView(b.entry));
        }
        // Names equal without regard to case: in byte order.
        return c != 0 ? c < 0 : scan.nameView(a.entry) < scan.nameView(b.entry);
    });
    for (size_t i = 0; i < keys.size(); ++i)
        entries[i] = keys[i].entry;
}

// The entries of scan that accept takes, sorted.
template<typename Accept> std::vector<ListedName> listed(const FolderScan &scan, Accept accept)
{
    std::vector<int> entries;
    entries.reserve(size_t(scan.entryCount()));
    for (int e = 0; e < scan.entryCount(); ++e) {
        if (accept(scan, e))
            entries.push_back(e);
    }
    sortEntries(scan, entries);
    std::vector<ListedName> names;
    names.reserve(entries.size());
    for (const int e : entries)
        names.push_back({scan.name(e)});
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
        const bool hidden = s.nameView(e).startsWith('.') || s.dosHiddenFlag(e);
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
        return scan.shownType(e) == EntryType::Folder && !scan.nameView(e).startsWith('.');
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
