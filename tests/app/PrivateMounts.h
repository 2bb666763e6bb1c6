#pragma once

// Code run in a child process that has mounts of its own: a folder made read-only, a small file
// system that fills up. Neither this process nor the rest of the machine sees them. As root the
// child makes a mount namespace; anyone else gets one inside a user namespace of their own where
// the kernel allows those.
#include <QFile>
#include <QString>

#include <sched.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

namespace PrivateMounts {

// Each returns what went wrong, or nothing once it is done.
using Step = std::function<std::optional<std::string>()>;

inline std::optional<std::string> systemFailure(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

inline bool writeProcFile(const char* name, const std::string& text)
{
    const int fd = ::open(name, O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, text.data(), text.size()) == ssize_t(text.size());
    if (fd >= 0)
        ::close(fd);
    return written;
}

// A mount namespace for this (single-threaded) process whose mounts never reach the parent's.
inline std::optional<std::string> enterNamespace()
{
    if (::unshare(CLONE_NEWNS) != 0) {
        const std::string uid = std::to_string(::geteuid());
        const std::string gid = std::to_string(::getegid());
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            return systemFailure("no mount namespace, not even in a user namespace");
        if (!writeProcFile("/proc/self/setgroups", "deny") || !writeProcFile("/proc/self/uid_map", "0 " + uid + " 1")
            || !writeProcFile("/proc/self/gid_map", "0 " + gid + " 1"))
            return systemFailure("cannot map this user in its namespace");
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return systemFailure("cannot make the mounts private");
    return std::nullopt;
}

// The folder as a read-only bind mount of itself. Proven by a file that cannot be created in it.
inline Step readOnly(const QString& folder)
{
    return [path = QFile::encodeName(folder)]() -> std::optional<std::string> {
        if (::mount(path.constData(), path.constData(), nullptr, MS_BIND, nullptr) != 0)
            return systemFailure("cannot bind-mount the folder");
        // A user namespace may not drop what the mount already has of these.
        struct statvfs status {};
        ::statvfs(path.constData(), &status);
        unsigned long kept = 0;
        for (const auto [has, keeps] : {std::pair{ST_NOSUID, MS_NOSUID}, {ST_NODEV, MS_NODEV}, {ST_NOEXEC, MS_NOEXEC},
                                        {ST_NOATIME, MS_NOATIME}, {ST_NODIRATIME, MS_NODIRATIME},
                                        {ST_RELATIME, MS_RELATIME}}) {
            if (status.f_flag & has)
                kept |= keeps;
        }
        if (::mount(nullptr, path.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY | kept, nullptr) != 0)
            return systemFailure("cannot make the bind mount read-only");
        const int probe = ::open((path + "/.probe").constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (probe >= 0 || errno != EROFS)
            return std::string("the read-only mount still takes a new file");
        return std::nullopt;
    };
}

// A new, empty file system of `kilobytes` on the folder.
inline Step smallDisk(const QString& folder, int kilobytes)
{
    return [path = QFile::encodeName(folder), options = "size=" + std::to_string(kilobytes) + "k"]()
               -> std::optional<std::string> {
        if (::mount("tmpfs", path.constData(), "tmpfs", 0, options.c_str()) != 0)
            return systemFailure("cannot mount a small file system");
        return std::nullopt;
    };
}

// What the child's code returned, or why the mounts could not be made (`ran` false). A child
// that dies throws.
struct Result {
    bool ran = false;
    std::string text;
};

// Makes the mounts in a child process, runs `body` there and hands back what it returned. Call
// it while this process runs no other thread that the child would need: only the calling
// thread goes on in the child.
inline Result runWith(const std::function<std::optional<std::string>()>& mount,
                      const std::function<std::string()>& body)
{
    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0)
        throw std::runtime_error("no pipe to the child");
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        std::optional<std::string> failure = enterNamespace();
        if (!failure)
            failure = mount();
        const std::string text = failure ? *failure : body();
        for (size_t sent = 0; sent < text.size();) {
            const ssize_t n = ::write(channel[1], text.data() + sent, text.size() - sent);
            if (n <= 0)
                ::_exit(2);
            sent += size_t(n);
        }
        // Nothing of the parent's, its temporary folders above all, is cleaned up by the child.
        ::_exit(failure ? 1 : 0);
    }
    ::close(channel[1]);
    Result result;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
        if (n > 0)
            result.text.append(buffer, size_t(n));
        else if (n == 0 || errno != EINTR)
            break;
    }
    ::close(channel[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) > 1)
        throw std::runtime_error("the child process died: " + result.text);
    result.ran = WEXITSTATUS(status) == 0;
    return result;
}

}  // namespace PrivateMounts
