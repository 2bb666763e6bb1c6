#include "tablefile/TableExport.h"

#include "base/IntegerText.h"
#include "base/LocaleTexts.h"
#include "base/UserMessages.h"
#include "record/MeasurementTable.h"
#include "tablefile/DataPacketWriter.h"
#include "tablefile/ExportBuffer.h"
#include "tablefile/TableFileFormat.h"
#include "tablefile/TextReportWriter.h"

#include <QSaveFile>

namespace {

// QSaveFile writes to an unnamed or temporary file beside the target, and commit() flushes it
// to disk and then puts it in the target's place; when anything fails the temporary file is
// dropped and the target never touched.
template <class Write>
void writeFileSafely(const QString& fileName, Write write)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ExportWriteError(ExportWriteError::Stage::Create, file.errorString());
    {
        ExportBuffer out(file);
        write(out);
        out.finish();
    }
    if (!file.commit())
        throw ExportWriteError(ExportWriteError::Stage::Write, file.errorString());
}

std::string quotedFailure(const char* what, const QString& fileName, const QString& reason)
{
    return (QString::fromLatin1(what) + QStringLiteral(" \"") + fileName + QStringLiteral("\". ") + reason)
        .toUtf8()
        .toStdString();
}

void showSaved(UserMessages& messages, const QString& fileName)
{
    messages.tell(QStringLiteral("Save table to specified file: ") + fileName + QStringLiteral(" Scuss!"), MessageTone::Information);
}

void reportWritingOver(const TableExportSettings& settings, int rows)
{
    if (settings.progress)
        settings.progress(rows, rows);
}

void saveDataPacket(MeasurementTable& table, const QString& fileName, UserMessages& messages,
                    const TableExportSettings& settings)
{
    table.finishEditing();
    const int rows = table.rowCount();
    try {
        writeFileSafely(fileName,
                        [&](ExportBuffer& out) { writeDataPacket(table, rows, out, settings.progress); });
    } catch (...) {
        reportWritingOver(settings, rows);
        try {
            throw;
        } catch (const ExportWriteError& e) {
            const char* what = e.stage() == ExportWriteError::Stage::Create ? "Cannot create file" : "Cannot write file";
            throw ProgramError(quotedFailure(what, fileName, e.reason()));
        }
    }
    reportWritingOver(settings, rows);
    showSaved(messages, fileName);
}

bool saveTextReport(MeasurementTable& table, const QString& fileName, UserMessages& messages,
                    const TableExportSettings& settings)
{
    table.finishEditing();
    const int rows = table.rowCount();
    bool saved = false;
    try {
        const QByteArray date = LocaleTexts::shortDateText(settings.date, settings.locale);
        writeFileSafely(fileName,
                        [&](ExportBuffer& out) { writeTextReport(table, rows, date, out, settings.progress); });
        saved = true;
    } catch (const std::exception&) {
        // Whatever went wrong, the user gets the one warning below and the old file stays.
    }
    reportWritingOver(settings, rows);
    // The report is read from the first row to the end, which leaves the last row current.
    table.last();
    if (saved)
        showSaved(messages, fileName);
    else
        messages.tell(QStringLiteral("Could not save table to specified file: ") + fileName, MessageTone::Warning);
    return saved;
}

}  // namespace

bool SaveTableToFile(MeasurementTable& table, const QString& fileName, UserMessages& messages,
                     const TableExportSettings& settings)
{
    if (tableFileFormat(fileName) != TableFileFormat::DataPacket)
        return saveTextReport(table, fileName, messages, settings);
    saveDataPacket(table, fileName, messages, settings);
    return true;
}
