#include "chart/ChartPictureFile.h"

#include "base/FileReplacement.h"
#include "base/FileWriteError.h"
#include "base/ProgramError.h"

#include <QBuffer>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace {

[[noreturn]] void failSaving(const QString& fileName, const QString& reason)
{
    throw ProgramError(QStringLiteral("Could not save the picture %1: %2").arg(fileName, reason).toStdString());
}

// The screen's pixel size, so that a vector picture opens at the size the chart had on screen.
constexpr int kScreenDotsPerInch = 96;

QByteArray encodedImage(const QImage& picture, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (!writer.write(picture))
        throw FileWriteError(FileWriteError::Stage::Write, writer.errorString());
    return bytes;
}

QByteArray svgDocument(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(picture.size());
    generator.setViewBox(picture.rect());
    generator.setResolution(kScreenDotsPerInch);
    QPainter painter(&generator);
    painter.drawImage(0, 0, picture);
    painter.end();
    return bytes;
}

QByteArray pdfDocument(const QImage& picture)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kScreenDotsPerInch);
    const QSizeF points = QSizeF(picture.size()) * 72.0 / kScreenDotsPerInch;
    writer.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    QPainter painter(&writer);
    painter.drawImage(0, 0, picture);
    painter.end();
    return bytes;
}

QByteArray pictureBytes(const QImage& picture, const QString& fileName)
{
    if (picture.isNull())
        throw FileWriteError(FileWriteError::Stage::Write, QStringLiteral("The chart has no size to draw"));
    const QString type = QFileInfo(fileName).suffix().toLower();
    if (type == QLatin1String("png"))
        return encodedImage(picture, "png");
    if (type == QLatin1String("svg"))
        return svgDocument(picture);
    if (type == QLatin1String("pdf"))
        return pdfDocument(picture);
    return encodedImage(picture, "bmp");
}

}  // namespace

void writeChartPicture(const QImage& picture, const QString& fileName, const FileSystem& files)
{
    try {
        const QByteArray bytes = pictureBytes(picture, fileName);
        replaceFileSafely(files, fileName, [&bytes](QIODevice& file) {
            if (file.write(bytes) != bytes.size())
                throw FileWriteError(FileWriteError::Stage::Write, file.errorString());
        });
    } catch (const FileWriteError& error) {
        failSaving(fileName, error.reason());
    }
}
