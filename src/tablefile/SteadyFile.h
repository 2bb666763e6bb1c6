#pragma once

#include "base/FileSystem.h"

#include <QIODevice>

#include <memory>

class QFile;

// A regular file read as it was when it was opened. Another program may truncate, append to or
// rewrite it meanwhile, and a load would then take a line cut in two for a whole one; so a
// read fails as soon as the file is seen to have changed: its size or modification time moved,
// more bytes came than it had, or it ended before them.
class SteadyFile : public QIODevice {
public:
    // Null when the name is no regular file that can be read (see FileSystem::openRegularFile).
    static std::unique_ptr<SteadyFile> open(const FileSystem& files, const QString& path);
    ~SteadyFile() override;

    bool isSequential() const override { return false; }
    // The size the file had when it was opened.
    qint64 size() const override { return m_opened.size; }

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    SteadyFile(const FileSystem& files, std::unique_ptr<QFile> file, FileStamp opened);

    const FileSystem& m_files;
    std::unique_ptr<QFile> m_file;
    FileStamp m_opened;
    qint64 m_read = 0;
};
