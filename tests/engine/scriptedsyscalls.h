// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "filemover.h"

#include <QByteArray>
#include <QStringList>

#include <cerrno>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Real system calls, except where a test scripted a failure: each operation takes its next
// scripted errno (0 lets the real call run). Every call is recorded as "op from to".
class ScriptedSysCalls : public SysCalls
{
public:
    std::map<std::string, std::deque<int>> failures;
    std::function<void(const char *name)> beforeCreate; // runs before the placeholder is made
    bool foldCase = false; // lstat finds names whatever their letter case, as on FAT
    bool inodePerSpelling = false; // with foldCase: each spelling its own inode, as FUSE exFAT
    std::map<std::string, std::string> redirect; // folders opened in place of others
    QStringList log;

    int openDirectory(const char *path) override
    {
        const auto to = redirect.find(path);
        const char *real = to == redirect.end() ? path : to->second.c_str();
        const int opened = run("open", path, "", [&] { return SysCalls::openDirectory(real); });
        if (opened >= 0)
            m_names[opened] = path;
        return opened;
    }
    int statEntry(int fd, const char *name, struct stat *st) override
    {
        if (!foldCase)
            return SysCalls::statEntry(fd, name, st);
        // The entry whose name equals name but for letter case.
        const int copy = ::openat(fd, ".", O_RDONLY | O_DIRECTORY);
        DIR *dir = ::fdopendir(copy);
        std::string found;
        while (const dirent *e = dir ? ::readdir(dir) : nullptr) {
            if (QString::fromUtf8(e->d_name).compare(QString::fromUtf8(name), Qt::CaseInsensitive)
                == 0)
                found = e->d_name;
        }
        if (dir)
            ::closedir(dir);
        if (found.empty()) {
            errno = ENOENT;
            return -1;
        }
        const int result = SysCalls::statEntry(fd, found.c_str(), st);
        if (result == 0 && inodePerSpelling && found != name)
            st->st_ino += 1000000 + std::hash<std::string>()(name) % 1000000;
        return result;
    }
    int renameNoReplace(int fd, const char *from, const char *to) override
    {
        return run("renameat2", from, to, [&] { return SysCalls::renameNoReplace(fd, from, to); });
    }
    int renameReplacing(int fd, const char *from, const char *to) override
    {
        return run("renameat", from, to, [&] { return SysCalls::renameReplacing(fd, from, to); });
    }
    int hardLink(int fd, const char *from, const char *to) override
    {
        return run("link", from, to, [&] { return SysCalls::hardLink(fd, from, to); });
    }
    int unlinkFile(int fd, const char *name) override
    {
        return run("unlink", name, "", [&] { return SysCalls::unlinkFile(fd, name); });
    }
    int createExclusive(int fd, const char *name) override
    {
        if (beforeCreate)
            beforeCreate(name);
        return run("create", name, "", [&] { return SysCalls::createExclusive(fd, name); });
    }

    // The calls of the run record. Calls on a descriptor are logged with the name it was
    // opened under.
    std::function<void(const char *op)> beforeCall; // runs before every call
    int openAt(int fd, const char *name, int flags, unsigned mode) override
    {
        const int opened
            = run("openat", name, "", [&] { return SysCalls::openAt(fd, name, flags, mode); });
        if (opened >= 0)
            m_names[opened] = name;
        return opened;
    }
    long readFd(int fd, void *buffer, unsigned long size) override
    {
        return run("read", nameOf(fd), "", [&] { return SysCalls::readFd(fd, buffer, size); });
    }
    int listFolder(int fd, const std::function<void(const char *, unsigned char)> &entry) override
    {
        return run("readdir", nameOf(fd), "", [&] { return SysCalls::listFolder(fd, entry); });
    }
    long preadFd(int fd, void *buffer, unsigned long size, long offset) override
    {
        return run("pread", nameOf(fd), "",
                   [&] { return SysCalls::preadFd(fd, buffer, size, offset); });
    }
    long writeFd(int fd, const void *data, unsigned long size) override
    {
        return run("write", nameOf(fd), "", [&] { return SysCalls::writeFd(fd, data, size); });
    }
    long pwriteFd(int fd, const void *data, unsigned long size, long offset) override
    {
        return run("pwrite", nameOf(fd), "",
                   [&] { return SysCalls::pwriteFd(fd, data, size, offset); });
    }
    bool skipSyncs = false; // where only a killed process, not a power cut, is tried
    int fdatasyncFd(int fd) override
    {
        return run("fdatasync", nameOf(fd), "",
                   [&] { return skipSyncs ? 0 : SysCalls::fdatasyncFd(fd); });
    }
    int fsyncFd(int fd) override
    {
        return run("fsync", nameOf(fd), "", [&] { return skipSyncs ? 0 : SysCalls::fsyncFd(fd); });
    }
    int fstatFd(int fd, struct stat *st) override
    {
        return run("fstat", nameOf(fd), "", [&] { return SysCalls::fstatFd(fd, st); });
    }
    int makeFolder(int fd, const char *name, unsigned mode) override
    {
        return run("mkdir", name, "", [&] { return SysCalls::makeFolder(fd, name, mode); });
    }
    int lockFd(int fd, int operation) override
    {
        return run("flock", nameOf(fd), "", [&] { return SysCalls::lockFd(fd, operation); });
    }
    int closeFd(int fd) override
    {
        m_names.erase(fd);
        return SysCalls::closeFd(fd);
    }

    QStringList ops() const
    {
        QStringList result;
        for (const QString &line : log)
            result << line.section(QLatin1Char(' '), 0, 0);
        return result;
    }

private:
    const char *nameOf(int fd) const
    {
        const auto it = m_names.find(fd);
        return it == m_names.end() ? "?" : it->second.c_str();
    }
    std::map<int, std::string> m_names;

    template<typename Call>
    auto run(const char *op, const char *a, const char *b, Call call) -> decltype(call())
    {
        if (beforeCall)
            beforeCall(op);
        log << QStringLiteral("%1 %2 %3")
                   .arg(QLatin1String(op), QString::fromUtf8(a), QString::fromUtf8(b));
        auto &queue = failures[op];
        if (!queue.empty()) {
            const int error = queue.front();
            queue.pop_front();
            if (error != 0) {
                errno = error;
                return decltype(call())(-1);
            }
        }
        return call();
    }
};

// A file mover on fresh scripted system calls: sys points at them, the mover owns them.
// auto &&[sys, mover] = ScriptedMover(); gives both names in one line.
struct ScriptedMover
{
    ScriptedSysCalls *sys = new ScriptedSysCalls;
    FileMover mover {std::unique_ptr<SysCalls>(sys)};
};
