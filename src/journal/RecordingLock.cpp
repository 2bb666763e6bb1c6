#include "journal/RecordingLock.h"

#include "journal/JournalDatabase.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Links and other strangers in the lock's place are cleared this often before giving up.
constexpr int kAttempts = 4;

JournalError lockError(int error, const QByteArray& path)
{
    const std::string what = "cannot make the lock file " + path.toStdString() + ": " + std::strerror(error);
    switch (error) {
    case EACCES:
    case EPERM:
    case EROFS:
        return {JournalError::Kind::Unwritable, what};
    case ENOSPC:
    case EDQUOT:
        return {JournalError::Kind::Full, what};
    default:
        return {JournalError::Kind::Other, what};
    }
}

bool sameFile(const struct stat& a, const struct stat& b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

}  // namespace

std::unique_ptr<RecordingLock> RecordingLock::tryTake(const QString& path)
{
    const QByteArray file = QFile::encodeName(path);
    int error = 0;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        const int fd = ::open(file.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
        if (fd < 0) {
            error = errno;
            if (error == ELOOP && ::unlink(file.constData()) == 0)
                continue;
            throw lockError(error, file);
        }
        struct stat opened;
        if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            error = EEXIST;
            ::close(fd);
            ::unlink(file.constData());
            continue;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            error = errno;
            ::close(fd);
            if (error == EWOULDBLOCK)
                return nullptr;
            throw lockError(error, file);
        }
        // The holder that had it before may have removed the file meanwhile; a lock on a file no
        // longer under the name would protect nothing.
        struct stat named;
        if (::lstat(file.constData(), &named) == 0 && sameFile(opened, named))
            return std::unique_ptr<RecordingLock>(new RecordingLock(fd, path));
        ::close(fd);
    }
    throw lockError(error ? error : EAGAIN, file);
}

RecordingLock::~RecordingLock()
{
    ::close(m_fd);
}

void RecordingLock::remove()
{
    ::unlink(QFile::encodeName(m_path).constData());
}
