#pragma once

#include "tablefile/ExportRows.h"

#include <QDate>
#include <QLocale>
#include <QString>

class MeasurementTable;
class UserMessages;

struct TableExportSettings {
    // The text report's first line gives this date in this locale's short date format.
    QDate date = QDate::currentDate();
    QLocale locale = QLocale::system();
    ExportProgress progress;
};

// Saves the table in the format the file name selects (see tableFileFormat) and tells the user
// how it went. The file is written under a temporary name in the same folder and replaces the
// old file only once everything has been written, so a failed save leaves the old file as it
// was. A row still being appended is completed first.
//
// Text report: success or failure is shown in the program's message dialog. Data
// packet: success is shown there; a failure throws ProgramError ("Cannot create file ..." or "Cannot write file
// ...") for the application's standard error report.
// Returns whether the file was saved.
bool SaveTableToFile(MeasurementTable& table, const QString& fileName, UserMessages& messages,
                     const TableExportSettings& settings = TableExportSettings());
