#pragma once

#include "base/FileSystem.h"

// FileSystem on POSIX systems. Not final: tests derive from it to make one step fail.
class PosixFileSystem : public FileSystem {
public:
    std::unique_ptr<QFile> openRegularFile(const QString& path) const override;
    std::optional<FileStamp> stamp(const QFile& file) const override;
    std::error_code writeAccess(const QString& path) const override;
    std::unique_ptr<QFile> createNew(const QString& path, std::error_code& error) const override;
    std::error_code write(QFile& file, QByteArrayView bytes) const override;
    std::error_code syncData(QFile& file) const override;
    std::error_code replace(const QString& from, const QString& to) const override;
    std::error_code syncFolder(const QString& folder) const override;
    bool removeIfAbandoned(const QString& path) const override;
    int longestName(const QString& folder) const override;
};
