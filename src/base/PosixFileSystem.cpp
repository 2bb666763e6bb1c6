#include "base/PosixFileSystem.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// Qt takes the descriptor over and closes it with the file.
std::unique_ptr<QFile> fileOn(int fd, QIODevice::OpenMode mode)
{
    auto file = std::make_unique<QFile>();
    if (!file->open(fd, mode | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return nullptr;
    }
    return file;
}

}  // namespace

std::unique_ptr<QFile> PosixFileSystem::openRegularFile(const QString& path) const
{
    const QByteArray name = QFile::encodeName(path);
    struct stat status {};
    if (::stat(name.constData(), &status) != 0 || !S_ISREG(status.st_mode))
        return nullptr;
    // O_NONBLOCK stays on: a regular file ignores it, and whatever took the place of the name
    // since the look above, or a kernel file that looks regular, fails a read instead of
    // waiting for data that may never come.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return nullptr;
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return fileOn(fd, QIODevice::ReadOnly);
}

std::optional<FileStamp> PosixFileSystem::stamp(const QFile& file) const
{
    struct stat status {};
    if (::fstat(file.handle(), &status) != 0)
        return std::nullopt;
    return FileStamp{qint64(status.st_size), qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

std::error_code PosixFileSystem::writeAccess(const QString& path) const
{
    return ::access(QFile::encodeName(path).constData(), W_OK) == 0 ? std::error_code() : lastError();
}

std::unique_ptr<QFile> PosixFileSystem::createNew(const QString& path, std::error_code& error) const
{
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        error = lastError();
        return nullptr;
    }
    // The lock marks the file as in use; the kernel drops it when the descriptor is closed,
    // also by the death of the process. A file system without locks leaves it unmarked, and
    // such a file is then never taken for abandoned.
    ::flock(fd, LOCK_EX | LOCK_NB);
    error.clear();
    return fileOn(fd, QIODevice::WriteOnly);
}

std::error_code PosixFileSystem::write(QFile& file, QByteArrayView bytes) const
{
    while (!bytes.isEmpty()) {
        const ssize_t written = ::write(file.handle(), bytes.data(), size_t(bytes.size()));
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            return lastError();
        bytes = bytes.sliced(written);
    }
    return {};
}

std::error_code PosixFileSystem::syncData(QFile& file) const
{
    return ::fdatasync(file.handle()) == 0 ? std::error_code() : lastError();
}

std::error_code PosixFileSystem::replace(const QString& from, const QString& to) const
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 ? std::error_code()
                                                                                                  : lastError();
}

std::error_code PosixFileSystem::syncFolder(const QString& folder) const
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return lastError();
    std::error_code error;
    // A file system that cannot sync a folder at all says EINVAL; there is nothing more to do
    // there, and refusing every save on it would help nobody.
    if (::fsync(fd) != 0 && errno != EINVAL)
        error = lastError();
    ::close(fd);
    return error;
}

bool PosixFileSystem::removeIfAbandoned(const QString& path) const
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat status {};
    const bool abandoned =
        ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    const bool removed = abandoned && ::unlink(name.constData()) == 0;
    ::close(fd);
    return removed;
}

int PosixFileSystem::longestName(const QString& folder) const
{
    const long longest = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    return longest > 0 ? int(std::min<long>(longest, 4096)) : 255;
}

const FileSystem& systemFileSystem()
{
    static const PosixFileSystem files;
    return files;
}
