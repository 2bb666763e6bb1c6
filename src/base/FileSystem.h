#pragma once

#include <QByteArrayView>
#include <QString>

#include <memory>
#include <optional>
#include <system_error>

class QFile;

// The size and last change of an open file: if either moves while the file is read, something
// else is writing to it.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const FileStamp&) const = default;
};

// What saving and loading ask of the platform's files beyond what Qt and the standard library
// offer, and the steps whose failure tests must be able to bring about. One implementation per
// platform file (PosixFileSystem); tests derive from it to make one step fail. The calls are
// made on the GUI thread, so none of them may wait on a file that may never answer.
class FileSystem {
public:
    virtual ~FileSystem() = default;

    // An existing regular file opened for reading; null for a name that is missing, unreadable
    // or anything but a regular file. A pipe or a device is refused before it is opened, since
    // opening one may wait or have effects of its own, and a read that would wait fails at once.
    virtual std::unique_ptr<QFile> openRegularFile(const QString& path) const = 0;
    // nullopt when the file cannot tell.
    virtual std::optional<FileStamp> stamp(const QFile& file) const = 0;

    // Whether the existing file may be written: no error, or why not.
    virtual std::error_code writeAccess(const QString& path) const = 0;
    // A file created under a name that must not exist yet, open for writing; null with the
    // error set when it cannot be made. It counts as in use until it is closed, even when this
    // process dies with it open (see removeIfAbandoned).
    virtual std::unique_ptr<QFile> createNew(const QString& path, std::error_code& error) const = 0;
    // Writes every byte, going on where the system cut a write short; the system's reason when
    // it cannot (a full disk: ENOSPC), which QFile leaves unset after a write that was cut short.
    // Also called from a save's writer thread, on a file no other thread touches meanwhile.
    virtual std::error_code write(QFile& file, QByteArrayView bytes) const = 0;
    // Returns once the file's data is on the disk.
    virtual std::error_code syncData(QFile& file) const = 0;
    // Puts `from` in the place of `to` in one step, replacing whatever `to` was.
    virtual std::error_code replace(const QString& from, const QString& to) const = 0;
    // Returns once the folder's entries, a replacement in it included, are on the disk.
    virtual std::error_code syncFolder(const QString& folder) const = 0;
    // Removes a regular file made by createNew that nobody has open any more; false when it is
    // still in use, is something else or cannot be removed.
    virtual bool removeIfAbandoned(const QString& path) const = 0;
    // The longest name the folder takes, in bytes as the system stores names.
    virtual int longestName(const QString& folder) const = 0;
};

// The platform's own, for the programs.
const FileSystem& systemFileSystem();
