#include "tablefile/SteadyFile.h"

#include <QFile>

std::unique_ptr<SteadyFile> SteadyFile::open(const FileSystem& files, const QString& path)
{
    std::unique_ptr<QFile> file = files.openRegularFile(path);
    if (!file)
        return nullptr;
    const std::optional<FileStamp> opened = files.stamp(*file);
    if (!opened)
        return nullptr;
    std::unique_ptr<SteadyFile> steady(new SteadyFile(files, std::move(file), *opened));
    steady->QIODevice::open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    return steady;
}

SteadyFile::SteadyFile(const FileSystem& files, std::unique_ptr<QFile> file, FileStamp opened)
    : m_files(files), m_file(std::move(file)), m_opened(opened)
{
}

SteadyFile::~SteadyFile() = default;

qint64 SteadyFile::readData(char* data, qint64 maxSize)
{
    const qint64 got = m_file->read(data, maxSize);
    if (got < 0) {
        setErrorString(m_file->errorString());
        return -1;
    }
    m_read += got;
    const std::optional<FileStamp> now = m_files.stamp(*m_file);
    if (m_read > m_opened.size || (got == 0 && m_read < m_opened.size) || now != m_opened) {
        setErrorString(QStringLiteral("The file changed while it was being read"));
        return -1;
    }
    return got;
}
