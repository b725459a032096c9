// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A small file system of its own for one test: an image file made with mkfs, attached to a loop
// device and mounted, ext4 by the kernel or exFAT through FUSE as a camera card is on many
// desktops. Unmounted, detached and removed again in the destructor, also when the test fails.
// Several at once are fine; each can be mounted elsewhere and unmounted in the test.
// Needs root, the mkfs tools and, for exFAT, /dev/fuse; without them mounted() is false and the
// test skips with skipReason().
class RealMedia
{
public:
    // Ext4WithoutTypes: ext4 made without file types in its folders, so that a listing says
    // nothing of what an entry is and each entry must be looked up.
    enum Kind { Ext4Loop, ExfatFuse, Ext4WithoutTypes };

    explicit RealMedia(Kind kind, int mebibytes = 16)
    {
        removeLeftovers();
        if (::geteuid() != 0 || (kind == ExfatFuse && ::access("/dev/fuse", R_OK | W_OK) != 0)) {
            m_skipReason = "skipped: cannot mount (needs root and /dev/fuse)";
            return;
        }
        const char *mkfs = kind == Ext4Loop ? "mkfs.ext4 -q -F"
            : kind == Ext4WithoutTypes      ? "mkfs.ext4 -q -F -O ^filetype"
                                            : "mkfs.exfat";
        const char *tool = kind == ExfatFuse ? "mkfs.exfat" : "mkfs.ext4";
        if (!run(std::string("command -v ") + tool)
            || (kind == ExfatFuse && !run("command -v mount.exfat-fuse"))) {
            m_skipReason = std::string("skipped: cannot mount (") + tool
                + (kind == ExfatFuse ? " or mount.exfat-fuse" : "") + " is not installed)";
            return;
        }
        std::string pattern = "/tmp/brixelwand-media-" + std::to_string(::getpid()) + "-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            m_skipReason = "skipped: cannot make a folder in /tmp";
            return;
        }
        m_dir = pattern;
        m_image = m_dir + "/image";
        m_mountPoint = m_dir + "/EOS DIGITAL"; // a blank, as card labels have
        ::mkdir(m_mountPoint.c_str(), 0755);
        const int fd = ::open(m_image.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        const bool sized = fd >= 0 && ::ftruncate(fd, off_t(mebibytes) << 20) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!sized || !run(std::string(mkfs) + " " + quoted(m_image))) {
            m_skipReason = std::string("skipped: cannot make the image with ") + tool;
            return;
        }
        m_loop = output("losetup -f --show " + quoted(m_image));
        if (m_loop.rfind("/dev/loop", 0) != 0) {
            m_loop.clear();
            m_skipReason = "skipped: cannot mount (needs root and /dev/fuse)";
            return;
        }
        m_mount = kind == ExfatFuse ? "mount.exfat-fuse " : "mount -t ext4 ";
        if (!mountAt(QByteArray::fromStdString(m_mountPoint)))
            m_skipReason = "skipped: cannot mount (needs root and /dev/fuse)";
    }
    ~RealMedia()
    {
        unmount();
        if (!m_loop.empty()) {
            bool detached = false;
            for (int i = 0; i < 20 && !detached; ++i) {
                detached = run("losetup -d " + m_loop);
                if (!detached)
                    ::usleep(50000);
            }
        }
        if (!m_dir.empty()) {
            ::unlink(m_image.c_str());
            ::rmdir(m_mountPoint.c_str());
            ::rmdir(m_dir.c_str());
        }
    }
    RealMedia(const RealMedia &) = delete;
    RealMedia &operator=(const RealMedia &) = delete;

    bool mounted() const { return !m_at.empty(); }
    const std::string &skipReason() const { return m_skipReason; }
    // Where it is mounted now.
    QByteArray path() const { return QByteArray::fromStdString(m_at); }

    // Mounts it at folder instead, as a card put back in under another path. The lost+found of
    // ext4 is removed: an empty card holds nothing.
    bool mountAt(const QByteArray &folder)
    {
        unmount();
        if (m_loop.empty() || !run(m_mount + m_loop + " " + quoted(folder.toStdString())))
            return false;
        m_at = folder.toStdString();
        ::rmdir((m_at + "/lost+found").c_str());
        return true;
    }
    void unmount()
    {
        if (m_at.empty())
            return;
        // FUSE can answer "busy" for a moment after the last file closed.
        bool gone = false;
        for (int i = 0; i < 20 && !gone; ++i) {
            gone = run("umount " + quoted(m_at));
            if (!gone)
                ::usleep(50000);
        }
        if (!gone)
            run("umount -l " + quoted(m_at));
        m_at.clear();
    }

private:
    static std::string quoted(const std::string &s) { return "'" + s + "'"; }
    static bool run(const std::string &command)
    {
        return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
    }
    static std::string output(const std::string &command)
    {
        std::string text;
        if (FILE *pipe = ::popen((command + " 2>/dev/null").c_str(), "r")) {
            char buffer[256];
            while (std::fgets(buffer, sizeof buffer, pipe))
                text += buffer;
            ::pclose(pipe);
        }
        while (!text.empty() && (text.back() == '\n' || text.back() == ' '))
            text.pop_back();
        return text;
    }

    // The mounts of a test program that was killed before its destructors ran.
    static void removeLeftovers()
    {
        DIR *tmp = ::opendir("/tmp");
        if (!tmp)
            return;
        while (const dirent *entry = ::readdir(tmp)) {
            const std::string name = entry->d_name;
            const std::string prefix = "brixelwand-media-";
            if (name.rfind(prefix, 0) != 0)
                continue;
            const int pid = std::atoi(name.c_str() + prefix.size());
            if (pid <= 0 || ::kill(pid, 0) == 0 || errno != ESRCH)
                continue; // its program still runs
            const std::string dir = "/tmp/" + name;
            run("umount -l " + quoted(dir + "/EOS DIGITAL"));
            const std::string loops = output("losetup -j " + quoted(dir + "/image"));
            for (size_t at = 0; (at = loops.find("/dev/loop", at)) != std::string::npos;) {
                const size_t end = loops.find(':', at);
                run("losetup -d " + loops.substr(at, end - at));
                at = end;
            }
            ::unlink((dir + "/image").c_str());
            ::rmdir((dir + "/EOS DIGITAL").c_str());
            ::rmdir(dir.c_str());
        }
        ::closedir(tmp);
    }

    std::string m_skipReason;
    std::string m_mount; // the command that mounts the loop device
    std::string m_at;
    std::string m_dir;
    std::string m_image;
    std::string m_mountPoint;
    std::string m_loop;
};
