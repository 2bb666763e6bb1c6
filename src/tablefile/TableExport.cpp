#include "tablefile/TableExport.h"

#include "base/FileReplacement.h"
#include "base/IntegerText.h"
#include "base/LocaleTexts.h"
#include "base/UserMessages.h"
#include "record/MeasurementTable.h"
#include "tablefile/DataPacketWriter.h"
#include "tablefile/ExportBuffer.h"
#include "tablefile/TableFileFormat.h"
#include "tablefile/TextReportWriter.h"

namespace {

template <class Write>
void writeFileSafely(const TableExportSettings& settings, const QString& fileName, Write write)
{
    replaceFileSafely(*settings.files, fileName, [&write](QIODevice& file) {
        ExportBuffer out(file);
        write(out);
        out.finish();
    });
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
        writeFileSafely(settings, fileName,
                        [&](ExportBuffer& out) { writeDataPacket(table, rows, out, settings.progress); });
    } catch (...) {
        reportWritingOver(settings, rows);
        try {
            throw;
        } catch (const ExportWriteError& e) {
            const char* what = e.stage() == ExportWriteError::Stage::Write ? "Cannot write file" : "Cannot create file";
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
    QString refusal;
    try {
        const QByteArray date = LocaleTexts::shortDateText(settings.date, settings.locale);
        writeFileSafely(settings, fileName,
                        [&](ExportBuffer& out) { writeTextReport(table, rows, date, out, settings.progress); });
        saved = true;
    } catch (const ExportWriteError& e) {
        // A name that can never take a table is worth telling apart from a write that failed.
        if (e.stage() == ExportWriteError::Stage::Refused)
            refusal = QLatin1Char('\n') + e.reason() + QLatin1Char('.');
    } catch (const std::exception&) {
        // Whatever went wrong, the user gets the one warning below and the old file stays.
    }
    reportWritingOver(settings, rows);
    // The report is read from the first row to the end, which leaves the last row current.
    table.last();
    if (saved)
        showSaved(messages, fileName);
    else
        messages.tell(QStringLiteral("Could not save table to specified file: ") + fileName + refusal,
                      MessageTone::Warning);
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
