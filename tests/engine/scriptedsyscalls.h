#pragma once

#include "filemover.h"

#include <QByteArray>
#include <QStringList>

#include <cerrno>
#include <deque>
#include <functional>
#include <map>
#include <string>

// Real system calls, except where a test scripted a failure: each operation takes its next
// scripted errno (0 lets the real call run). Every call is recorded as "op from to".
class ScriptedSysCalls : public SysCalls
{
public:
    std::map<std::string, std::deque<int>> failures;
    std::function<void(const char *name)> beforeCreate; // runs before the placeholder is made
    QStringList log;

    int openDirectory(const char *path) override
    {
        return run("open", path, "", [&] { return SysCalls::openDirectory(path); });
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

    QStringList ops() const
    {
        QStringList result;
        for (const QString &line : log)
            result << line.section(QLatin1Char(' '), 0, 0);
        return result;
    }

private:
    template<typename Call> int run(const char *op, const char *a, const char *b, Call call)
    {
        log << QStringLiteral("%1 %2 %3")
                   .arg(QLatin1String(op), QString::fromUtf8(a), QString::fromUtf8(b));
        auto &queue = failures[op];
        if (!queue.empty()) {
            const int error = queue.front();
            queue.pop_front();
            if (error != 0) {
                errno = error;
                return -1;
            }
        }
        return call();
    }
};
