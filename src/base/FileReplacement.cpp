#include "base/FileReplacement.h"

#include "base/FileSystem.h"
#include "base/FileWriteError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <filesystem>

namespace {

using Stage = FileWriteError::Stage;

// A temporary file is named ".<target name>.<hash of the target name>-<random>.tq612-part":
// recognisable by anyone listing the folder, and by the next save of the same target through
// the hash, even when the target's name had to be shortened to make room.
constexpr char kTemporarySuffix[] = ".tq612-part";
constexpr int kHashDigits = 16;
constexpr int kRandomCharacters = 6;
constexpr int kTemporaryTail = 1 + kHashDigits + 1 + kRandomCharacters + int(sizeof kTemporarySuffix) - 1;
constexpr int kLinkLimit = 40;

QString nameHash(const QString& name)
{
    // FNV-1a: the same on every run, unlike qHash.
    quint64 hash = 14695981039346656037ull;
    for (const char byte : QFile::encodeName(name)) {
        hash ^= uchar(byte);
        hash *= 1099511628211ull;
    }
    return QStringLiteral("%1").arg(hash, kHashDigits, 16, QLatin1Char('0'));
}

// The start of name that takes at most `bytes` bytes as the system stores it, never cutting a
// character in two.
QString cutToBytes(QString name, int bytes)
{
    while (!name.isEmpty() && QFile::encodeName(name).size() > bytes) {
        name.chop(1);
        if (!name.isEmpty() && name.back().isHighSurrogate())
            name.chop(1);
    }
    return name;
}

QString temporaryName(const QString& target, int longestName)
{
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    QString random;
    for (int i = 0; i < kRandomCharacters; ++i)
        random += QLatin1Char(kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters) - 1)]);
    return QLatin1Char('.') + cutToBytes(target, longestName - 1 - kTemporaryTail) + QLatin1Char('.') +
           nameHash(target) + QLatin1Char('-') + random + QLatin1String(kTemporarySuffix);
}

bool isTemporaryFor(const QString& entry, const QString& hashPart)
{
    return entry.size() > kTemporaryTail && entry.endsWith(QLatin1String(kTemporarySuffix)) &&
           entry.mid(entry.size() - kTemporaryTail, hashPart.size()) == hashPart;
}

// Where the name leads once every symbolic link has been followed.
QString followLinks(const QString& fileName)
{
    QString path = fileName;
    for (int links = 0; links < kLinkLimit; ++links) {
        const QFileInfo info(path);
        if (!info.isSymbolicLink())
            return path;
        path = info.symLinkTarget();
    }
    throw FileWriteError(Stage::Create, QString::fromLocal8Bit(std::make_error_code(
                                              std::errc::too_many_symbolic_link_levels).message()));
}

QString kindName(std::filesystem::file_type type)
{
    switch (type) {
    case std::filesystem::file_type::directory: return QStringLiteral("a folder");
    case std::filesystem::file_type::fifo: return QStringLiteral("a named pipe");
    case std::filesystem::file_type::block:
    case std::filesystem::file_type::character: return QStringLiteral("a device");
    case std::filesystem::file_type::socket: return QStringLiteral("a socket");
    default: return QStringLiteral("something other than a file");
    }
}

QString readOnlyReason()
{
    return QStringLiteral("The file system is read-only");
}

// True when the target exists and may be replaced, false when the name is free; throws when
// the name leads to anything but a regular file, or to one that may not be written.
bool checkTarget(const FileSystem& files, const QString& fileName, const QString& target)
{
    std::error_code error;
    const std::filesystem::file_type type =
        std::filesystem::status(QFile::encodeName(target).toStdString(), error).type();
    if (type == std::filesystem::file_type::not_found || type == std::filesystem::file_type::none)
        return false;  // creating the file will tell whatever else is wrong
    if (type != std::filesystem::file_type::regular) {
        const QString what = kindName(type) + QStringLiteral(", not a regular file");
        throw FileWriteError(Stage::Refused, target == fileName ? QStringLiteral("It is ") + what
                                                                  : QStringLiteral("It leads to ") + target +
                                                                        QStringLiteral(", ") + what);
    }
    error = files.writeAccess(target);
    if (error == std::errc::read_only_file_system)
        throw FileWriteError(Stage::Refused, readOnlyReason());
    if (error)
        throw FileWriteError(Stage::Refused, QStringLiteral("Existing file %1 is not writable").arg(target));
    return true;
}

void removeAbandonedTemporaries(const FileSystem& files, const QDir& folder, const QString& target)
{
    const QString hashPart = QLatin1Char('.') + nameHash(target) + QLatin1Char('-');
    const QStringList entries = folder.entryList({QLatin1Char('*') + QLatin1String(kTemporarySuffix)},
                                                 QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        if (isTemporaryFor(entry, hashPart))
            files.removeIfAbandoned(folder.filePath(entry));
    }
}

std::unique_ptr<QFile> createTemporary(const FileSystem& files, const QDir& folder, const QString& target,
                                       QString& temporary)
{
    const int longest = files.longestName(folder.path());
    std::error_code error;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder.filePath(temporaryName(target, longest));
        if (std::unique_ptr<QFile> file = files.createNew(temporary, error))
            return file;
        if (error != std::errc::file_exists)
            break;
    }
    if (error == std::errc::read_only_file_system)
        throw FileWriteError(Stage::Refused, readOnlyReason());
    throw FileWriteError(Stage::Create, QString::fromLocal8Bit(error.message()));
}

// What the writer writes to: every write goes through the file system, so the failure carries the
// system's own reason ("No space left on device"), not the "Unknown error" QFile gives after a
// write the disk cut short.
class FileOutput : public QIODevice {
public:
    FileOutput(const FileSystem& files, QFile& file) : m_files(files), m_file(file)
    {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (const std::error_code error = m_files.write(m_file, QByteArrayView(data, size))) {
            setErrorString(QString::fromLocal8Bit(error.message()));
            return -1;
        }
        return size;
    }

private:
    const FileSystem& m_files;
    QFile& m_file;
};

void failOn(std::error_code error)
{
    if (error)
        throw FileWriteError(Stage::Write, QString::fromLocal8Bit(error.message()));
}

}  // namespace

void replaceFileSafely(const FileSystem& files, const QString& fileName, const std::function<void(QIODevice&)>& write)
{
    const QString target = followLinks(fileName);
    const bool exists = checkTarget(files, fileName, target);
    const QFileInfo targetInfo(target);
    const QDir folder = targetInfo.absoluteDir();
    removeAbandonedTemporaries(files, folder, targetInfo.fileName());

    QString temporary;
    const std::unique_ptr<QFile> file = createTemporary(files, folder, targetInfo.fileName(), temporary);
    if (exists)
        file->setPermissions(targetInfo.permissions());
    try {
        FileOutput output(files, *file);
        write(output);
        // Data that never reached the disk is a failed save like a failed write: the old
        // file stays.
        failOn(files.syncData(*file));
        failOn(files.replace(temporary, target));
    } catch (...) {
        file->close();
        QFile::remove(temporary);
        throw;
    }
    file->close();
    // Without this a power cut could still bring the old file back, or lose a new one.
    failOn(files.syncFolder(folder.path()));
}
