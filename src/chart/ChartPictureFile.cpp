#include "chart/BitmapFile.h"

#include "base/ProgramError.h"

#include <QImage>
#include <QImageWriter>
#include <QSaveFile>

namespace {

[[noreturn]] void failSaving(const QString& fileName, const QString& reason)
{
    throw ProgramError(QStringLiteral("Could not save the picture %1: %2").arg(fileName, reason).toStdString());
}

}  // namespace

void writeBitmapFile(const QImage& picture, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        failSaving(fileName, file.errorString());
    QImageWriter writer(&file, "bmp");
    if (!writer.write(picture)) {
        // A failed write of the device shows in the file's error, a refused picture in the writer's.
        failSaving(fileName, file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString());
    }
    if (!file.commit())
        failSaving(fileName, file.errorString());
}
