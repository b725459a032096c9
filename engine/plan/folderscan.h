// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <vector>

#include <sys/types.h>

class SysCalls;

// What foldCase makes of a name that is not valid UTF-8.
enum class InvalidUtf8 : unsigned char {
    KeepBytes, // the name itself: such names compare as their bytes
    LowerAscii, // the name with its ASCII letters lowered
};

// The case folding of a name that is valid UTF-8; another name as invalid says.
QByteArray foldCase(const QByteArray &name, InvalidUtf8 invalid);

// What a folder entry is, as lstat sees it (a symlink is a symlink, whatever it points to).
enum class EntryType : unsigned char { Missing, File, Folder, Symlink, Device, Special };

// One read of a folder: every entry (hidden ones included) with its type, whether the folder
// treats names that differ only in letter case as one name, and how long a name may be.
class FolderScan
{
public:
    // Plain: what renames need. Listing: besides, what a symbolic link leads to and the DOS
    // attributes of files, for the file list.
    enum class Details { Plain, Listing };
    // Reads folder once; on failure ok() is false and error() holds the errno.
    static FolderScan read(const QByteArray &folder, SysCalls &sys,
                           Details details = Details::Plain);

    bool ok() const { return m_error == 0; }
    int error() const { return m_error; }
    bool ignoresCase() const { return m_ignoresCase; }
    dev_t device() const { return m_device; }
    ino_t inode() const { return m_inode; }

    // The entry that holds name in this folder: name itself, or where the folder ignores
    // case, an entry whose name differs from it in case only; -1 when there is none.
    int find(QByteArrayView name) const;
    int entryCount() const { return int(m_types.size()); }
    QByteArray name(int entry) const;
    // The same without a copy, valid as long as this scan.
    QByteArrayView nameView(int entry) const
    {
        return {m_names.constData() + m_offsets[size_t(entry)], m_lengths[size_t(entry)]};
    }
    EntryType type(int entry) const { return m_types[size_t(entry)]; }
    // With Details::Listing: the type of what the entry leads to, a link followed (Missing for
    // a dangling one), and the DOS hidden and system attributes of a file on FAT or NTFS.
    EntryType shownType(int entry) const;
    bool dosHiddenFlag(int entry) const;
    bool dosSystemFlag(int entry) const;

    EntryType typeOf(QByteArrayView name) const
    {
        const int e = findExact(name);
        return e < 0 ? EntryType::Missing : type(e);
    }
    // The name of the entry that holds name; empty when there is none.
    QByteArray holderOf(QByteArrayView name) const;
    // The form under which the folder compares names: the name itself, or its case folding.
    QByteArray key(const QByteArray &name) const;
    // Whether name is longer than the folder's file system allows.
    bool tooLong(const QByteArray &name) const;
    qsizetype nameLength(const QByteArray &name) const;
    long nameMax() const { return m_nameMax; }
    // Whether nameMax() counts UTF-16 units (FAT, exFAT) rather than bytes.
    bool countsUtf16() const { return m_countsUtf16; }
    // A name no entry has, for a file on its way through a cycle of renames.
    QByteArray unusedName(unsigned &counter) const;

    // Whether other holds the same entries, in the same order, of the same types, and compares
    // and limits names as this one does: a plan made on either is the same.
    bool sameEntries(const FolderScan &other) const;

    // For tests: a folder made to ignore case.
    void setIgnoresCase(bool ignores);

private:
    int findExact(QByteArrayView name) const;
    void add(QByteArrayView name, EntryType type);
    void buildIndex();

    int m_error = 0;
    bool m_ignoresCase = false;
    bool m_countsUtf16 = false; // FAT and exFAT limit names in UTF-16 units, not bytes
    long m_nameMax = 255;
    dev_t m_device = 0;
    ino_t m_inode = 0;
    // Every name in one buffer, found through an open-addressing table: tens of thousands of
    // entries without an allocation each.
    QByteArray m_names;
    std::vector<quint32> m_offsets;
    std::vector<quint16> m_lengths;
    std::vector<EntryType> m_types;
    std::vector<EntryType> m_targets; // with Details::Listing
    std::vector<quint8> m_dos; // with Details::Listing
    std::vector<qint32> m_slots; // entry index or -1; a power of two, at least twice the entries
    QHash<QByteArray, int> m_byKey; // case-folded name to entry; only when ignoring case
};
