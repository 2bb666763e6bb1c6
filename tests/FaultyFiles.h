#pragma once

#include "base/PosixFileSystem.h"

#include <QFile>

#include <functional>
#include <memory>
#include <system_error>

// The real file system with one step made to fail, or to run something first.
class FaultyFiles : public PosixFileSystem {
public:
    std::error_code writeError;
    std::error_code syncDataError;
    std::error_code syncFolderError;
    std::error_code accessError;
    std::error_code createError;
    std::function<void()> beforeReplace;

    std::error_code write(QFile& file, QByteArrayView bytes) const override
    {
        return writeError ? writeError : PosixFileSystem::write(file, bytes);
    }
    std::error_code syncData(QFile& file) const override
    {
        return syncDataError ? syncDataError : PosixFileSystem::syncData(file);
    }
    std::error_code syncFolder(const QString& folder) const override
    {
        return syncFolderError ? syncFolderError : PosixFileSystem::syncFolder(folder);
    }
    std::error_code writeAccess(const QString& path) const override
    {
        return accessError ? accessError : PosixFileSystem::writeAccess(path);
    }
    std::unique_ptr<QFile> createNew(const QString& path, std::error_code& error) const override
    {
        if (createError) {
            error = createError;
            return nullptr;
        }
        return PosixFileSystem::createNew(path, error);
    }
    std::error_code replace(const QString& from, const QString& to) const override
    {
        if (beforeReplace)
            beforeReplace();
        return PosixFileSystem::replace(from, to);
    }
};
