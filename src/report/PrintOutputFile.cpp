#include "report/PrintOutputFile.h"

#include "base/ProgramError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPrinter>
#include <QRandomGenerator>

#include <filesystem>
#include <system_error>

namespace {

// A new, empty file beside target, made the way a new file of the target's would be (so it gets
// the same permissions), or those of the target when it exists already.
QString createTemporaryFile(const QString& target)
{
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 16; ++attempt) {
        const QString name = info.dir().filePath(
            QStringLiteral(".%1.%2.part").arg(info.fileName()).arg(QRandomGenerator::global()->generate(), 8, 16,
                                                                  QLatin1Char('0')));
        QFile file(name);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            if (info.exists())
                file.setPermissions(info.permissions());
            return name;
        }
        if (!QFileInfo::exists(name))
            throw ProgramError(QStringLiteral("Could not print to %1: %2").arg(target, file.errorString()).toStdString());
    }
    throw ProgramError(QStringLiteral("Could not print to %1: no free temporary name in its folder").arg(target).toStdString());
}

}  // namespace

PrintOutputFile::PrintOutputFile(QPrinter& printer) : m_printer(printer), m_target(printer.outputFileName())
{
    if (m_target.isEmpty())
        return;
    m_temporary = createTemporaryFile(m_target);
    m_printer.setOutputFileName(m_temporary);
}

PrintOutputFile::~PrintOutputFile()
{
    if (m_target.isEmpty())
        return;
    if (!m_temporary.isEmpty())
        QFile::remove(m_temporary);
    m_printer.setOutputFileName(m_target);
}

void PrintOutputFile::putInPlace()
{
    if (m_target.isEmpty())
        return;
    // One rename, which replaces an earlier file at once: there is no moment without a file.
    std::error_code failure;
    std::filesystem::rename(QFile::encodeName(m_temporary).toStdString(), QFile::encodeName(m_target).toStdString(),
                            failure);
    if (failure)
        throw ProgramError(QStringLiteral("Could not save the printed file as %1: %2")
                               .arg(m_target, QString::fromLocal8Bit(failure.message()))
                               .toStdString());
    m_temporary.clear();
}
