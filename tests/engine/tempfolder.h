// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

// A temporary folder with real files, removed with everything in it at the end of the test.
class TempFolder
{
public:
    // parent: where to make it (a mounted card, say).
    explicit TempFolder(const QByteArray &parent = "/tmp")
    {
        QByteArray pattern = parent + "/brixelwand-test-XXXXXX";
        const char *made = ::mkdtemp(pattern.data());
        EXPECT_NE(made, nullptr);
        m_path = made ? made : "";
    }
    ~TempFolder() { removeAll(m_path); }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    const QByteArray &path() const { return m_path; }
    QByteArray pathOf(const QByteArray &name) const { return m_path + '/' + name; }

    void write(const QByteArray &name, const QByteArray &content = QByteArray()) const
    {
        const int fd = ::open(pathOf(name).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0) << name.constData();
        ASSERT_EQ(::write(fd, content.constData(), size_t(content.size())), content.size());
        ::close(fd);
    }

    // Sets the modification (and access) time of a file, in seconds since 1970.
    void setTime(const QByteArray &name, qint64 seconds) const
    {
        const struct timespec times[2] = {{seconds, 0}, {seconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, pathOf(name).constData(), times, 0), 0) << name.constData();
    }

    QByteArray read(const QByteArray &name) const
    {
        QByteArray content;
        const int fd = ::open(pathOf(name).constData(), O_RDONLY);
        if (fd < 0)
            return "<missing>";
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            content.append(buffer, n);
        ::close(fd);
        return content;
    }

    // Entry names, sorted bytewise.
    std::vector<std::string> names() const
    {
        std::vector<std::string> result;
        if (DIR *dir = ::opendir(m_path.constData())) {
            while (const dirent *entry = ::readdir(dir)) {
                const std::string name = entry->d_name;
                if (name != "." && name != "..")
                    result.push_back(name);
            }
            ::closedir(dir);
        }
        std::sort(result.begin(), result.end());
        return result;
    }

private:
    static void removeAll(const QByteArray &path)
    {
        if (path.isEmpty())
            return;
        if (DIR *dir = ::opendir(path.constData())) {
            while (const dirent *entry = ::readdir(dir)) {
                const QByteArray name = entry->d_name;
                if (name == "." || name == "..")
                    continue;
                const QByteArray child = path + '/' + name;
                struct stat st;
                if (::lstat(child.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
                    ::chmod(child.constData(), 0755);
                    removeAll(child);
                } else {
                    ::unlink(child.constData());
                }
            }
            ::closedir(dir);
        }
        ::rmdir(path.constData());
    }

    QByteArray m_path;
};
